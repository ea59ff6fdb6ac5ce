#include "formats/exchange_table.h"

#include "formats/dat_file.h"
#include "platform/atomic_replace.h"
#include "platform/file_stream.h"

namespace verbarium {

Path exchangeFilePath(const Path& tablePath) { return tablePath + u".txt"; }

ExportResult exportTable(const Path& tablePath, const Path& exchangePath) {
  TextTable table;
  const TableOpenResult read = readTextTableFile(nullptr, tablePath, table);
  if (read == TableOpenResult::CannotOpen) return ExportResult::TableCannotOpen;
  if (read == TableOpenResult::Rejected) table = TextTable{};

  AtomicReplace replace(exchangePath);
  if (!replace.isOpen() || !writeExchangeText(replace.stream(), table) || !replace.commit()) {
    return ExportResult::WriteFailed;
  }
  return read == TableOpenResult::Read ? ExportResult::Written : ExportResult::WrittenTableRejected;
}

ImportOutcome importTable(Interaction* owner, const Path& tablePath, const Path& exchangePath) {
  ImportOutcome outcome;
  ExchangeLines lines;
  {
    // Closed before the table is opened.
    FileStream exchange(File::openForReading(exchangePath));
    if (!exchange.isOpen()) {
      outcome.result = ImportResult::NoExchangeFile;
      return outcome;
    }
    switch (readExchangeLines(owner, exchange, lines)) {
      case ExchangeReadResult::Read: break;
      case ExchangeReadResult::NoByteOrderMark: outcome.result = ImportResult::NoByteOrderMark; return outcome;
      case ExchangeReadResult::ReadFailed: outcome.result = ImportResult::NoExchangeFile; return outcome;
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
