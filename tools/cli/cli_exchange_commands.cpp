// export and import: one table's texts to and from its exchange file, by the
// very steps the desktop program runs for each listed table.

#include <string>

#include "cli_commands.h"
#include "console_interaction.h"
#include "formats/exchange_table.h"
#include "messages/read_failure_messages.h"
#include "platform/utf.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kExportUsage = "export TABLE [TXT]";
constexpr std::string_view kImportUsage = "import TABLE [TXT]";

Path exchangePathArgument(CommandArgs args) { return args.size() == 2 ? args[1] : exchangeFilePath(args[0]); }

std::string whyUnchanged(const ImportOutcome& outcome, const Path& table, const Path& exchange) {
  switch (outcome.result) {
    case ImportResult::NoExchangeFile: return toUtf8(exchange) + " does not exist";
    case ImportResult::ExchangeFileUnreadable: return "cannot read " + toUtf8(exchange);
    case ImportResult::ExchangeFileIsTable: return toUtf8(exchange) + " is the table itself";
    case ImportResult::TableInUse: return toUtf8(table) + " is in use by another program";
    case ImportResult::NoByteOrderMark: return toUtf8(exchange) + " does not begin with the UTF-16LE byte order mark";
    case ImportResult::TableUnreadable: return "cannot read " + toUtf8(table) + " as a table";
    case ImportResult::LineCountDiffers:
      return "the line count of " + toUtf8(exchange) + ", " + std::to_string(outcome.exchangeLines) +
             ", differs from the entry count, " + std::to_string(outcome.tableEntries);
    case ImportResult::LayoutCannotHold:
      return "entry " + std::to_string(outcome.entryLayoutCannotHold + 1) +
             " cannot be stored in the table's layout: it would not read back as it is";
    case ImportResult::WriteFailed: return "cannot write " + toUtf8(table);
    case ImportResult::Imported: break;
  }
  return {};
}

}  // namespace

int runExport(CommandArgs args, CliOutput& output) {
  if (args.empty() || args.size() > 2) return usageError(output, kExportUsage);
  const Path& table = args[0];
  const Path exchange = exchangePathArgument(args);
  switch (exportTable(table, exchange)) {
    case ExportResult::Written: return kExitOk;
    case ExportResult::TableCannotOpen: return refused(output, "cannot open " + toUtf8(table));
    case ExportResult::TableRejected:
      return refused(output, "cannot read " + toUtf8(table) + " as a table; " + toUtf8(exchange) + " left as it was");
    case ExportResult::ExchangeFileIsTable: return refused(output, toUtf8(exchange) + " is the table itself");
    case ExportResult::ExchangeFileInUse: return refused(output, toUtf8(exchange) + " is in use by another program");
    case ExportResult::WriteFailed: break;
  }
  return refused(output, "cannot write " + toUtf8(exchange));
}

int runImport(CommandArgs args, CliOutput& output) {
  if (args.empty() || args.size() > 2) return usageError(output, kImportUsage);
  const Path& table = args[0];
  const Path exchange = exchangePathArgument(args);
  const ImportOutcome outcome = importTable(table, exchange);
  if (outcome.result == ImportResult::NoByteOrderMark) {
    ConsoleInteraction console(output.err);
    tellExchangeFileHasNoMark(console, exchange);
  }
  if (outcome.changedTable()) return kExitOk;
  return refused(output, toUtf8(table) + " left unchanged: " + whyUnchanged(outcome, table, exchange));
}

}  // namespace verbarium::cli
