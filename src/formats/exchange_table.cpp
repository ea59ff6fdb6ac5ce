#include "formats/exchange_table.h"

#include "formats/dat_file.h"
#include "platform/atomic_replace.h"
#include "platform/file_lock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace verbarium {

Path exchangeFilePath(const Path& tablePath) { return tablePath + u".txt"; }

ExportResult exportTable(const Path& tablePath, const Path& exchangePath) {
  if (isSameFile(tablePath, exchangePath)) return ExportResult::ExchangeFileIsTable;
  const FileLock lock = FileLock::tryAcquire(exchangePath);
  if (lock.state() == FileLock::State::InUse) return ExportResult::ExchangeFileInUse;
  if (!lock.held()) return ExportResult::WriteFailed;
  TextTable table;
  const TableOpenResult read = readTextTableFile(nullptr, tablePath, table);
  if (read == TableOpenResult::CannotOpen) return ExportResult::TableCannotOpen;
  // An exchange file of no texts would replace whatever the translator has there.
  if (read == TableOpenResult::Rejected) return ExportResult::TableRejected;

  AtomicReplace replace(exchangePath);
  if (!replace.isOpen() || !writeExchangeText(replace.stream(), table) || !replace.commit()) {
    return ExportResult::WriteFailed;
  }
  return ExportResult::Written;
}

ImportOutcome importTable(Interaction* owner, const Path& tablePath, const Path& exchangePath) {
  ImportOutcome outcome;
  if (isSameFile(tablePath, exchangePath)) {
    outcome.result = ImportResult::ExchangeFileIsTable;
    return outcome;
  }
  // Held from the first read to the rename: a second import meanwhile
  // would read the old table and replace this one's work.
  const FileLock lock = FileLock::tryAcquire(tablePath);
  if (!lock.held()) {
    outcome.result = lock.state() == FileLock::State::InUse ? ImportResult::TableInUse : ImportResult::WriteFailed;
    return outcome;
  }
  ExchangeLines lines;
  {
    // Closed before the table is opened.
    FileStream exchange(File::openForReading(exchangePath));
    if (!exchange.isOpen()) {
      // A file held open by an editor is not the same as no file at all.
      outcome.result = fileAttributes(exchangePath) ? ImportResult::ExchangeFileUnreadable : ImportResult::NoExchangeFile;
      return outcome;
    }
    switch (readExchangeLines(owner, exchange, lines)) {
      case ExchangeReadResult::Read: break;
      case ExchangeReadResult::NoByteOrderMark: outcome.result = ImportResult::NoByteOrderMark; return outcome;
      case ExchangeReadResult::ReadFailed: outcome.result = ImportResult::ExchangeFileUnreadable; return outcome;
    }
  }
  outcome.exchangeLines = lines.count();

  TextTable table;
  if (readTextTableFile(nullptr, tablePath, table) != TableOpenResult::Read) {
    outcome.result = ImportResult::TableUnreadable;
    return outcome;
  }
  outcome.tableEntries = table.count();
  if (!applyExchangeLines(table, lines)) {
    outcome.result = ImportResult::LineCountDiffers;
    return outcome;
  }
  switch (saveTextTableFile(tablePath, table)) {
    case TableSaveResult::Saved: break;
    case TableSaveResult::LayoutCannotHold:
      outcome.result = ImportResult::LayoutCannotHold;
      outcome.entryLayoutCannotHold = firstEntryLayoutCannotHold(table);
      break;
    case TableSaveResult::WriteFailed: outcome.result = ImportResult::WriteFailed; break;
  }
  return outcome;
}

}  // namespace verbarium
