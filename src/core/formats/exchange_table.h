#pragma once
// Export and import of one table through its exchange file: the steps the
// main window's loops run for every listed table, and verbarium-cli for one.
// Neither talks to the person: each returns why it did not write, and the
// caller chooses what to say.

#include "formats/exchange_format.h"
#include "platform/file.h"

namespace verbarium {

// The table file's name with ".txt" appended, in the same directory.
Path exchangeFilePath(const Path& tablePath);

// Every result but Written leaves an earlier exchange file of that name as it
// was: it may hold a translator's work.
enum class [[nodiscard]] ExportResult {
  Written,
  TableCannotOpen,
  // The reader refused the table (empty, in no known layout).
  TableRejected,
  // The exchange file named is the table itself.
  ExchangeFileIsTable,
  // Another writer is replacing the exchange file.
  ExchangeFileInUse,
  WriteFailed,
};

// Reads the table without showing the reader's messages and writes its texts
// through the atomic replace, so a half-written file never replaces a good one.
[[nodiscard]]
ExportResult exportTable(const Path& tablePath, const Path& exchangePath);

// Why an import left its table unchanged, or that it did not.
enum class [[nodiscard]] ImportResult {
  Imported,
  NoExchangeFile,  // there is no such file
  ExchangeFileUnreadable,  // it exists but cannot be opened or read (locked, no permission)
  NoByteOrderMark,
  ExchangeFileIsTable,
  TableInUse,  // another writer is replacing the table
  TableUnreadable,  // cannot be opened, or the reader refused it
  LineCountDiffers,
  LayoutCannotHold,  // a new text has a unit the table's layout cannot hold
  WriteFailed,
};

struct ImportOutcome {
  ImportResult result = ImportResult::Imported;
  // Known once the exchange file was read.
  std::int64_t exchangeLines = 0;
  // Known once the table was read.
  int tableEntries = 0;
  // With LayoutCannotHold: the first entry the layout cannot hold.
  int entryLayoutCannotHold = -1;

  bool changedTable() const { return result == ImportResult::Imported; }
};

// Puts the exchange file's lines into the table's texts by position and saves
// the table through the atomic replace: afterwards the table file is either
// exactly as it was or exactly the imported table.
[[nodiscard]] ImportOutcome importTable(const Path& tablePath, const Path& exchangePath);

}  // namespace verbarium
