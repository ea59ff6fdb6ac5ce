// dump and rewrite: a table as JSON, and a table read and written back.

#include <cstdio>
#include <span>
#include <string>

#include "cli_commands.h"
#include "codec/hex_text.h"
#include "console_interaction.h"
#include "formats/dat_file.h"
#include "messages/read_failure_messages.h"
#include "json_text.h"
#include "platform/file_lock.h"
#include "platform/file_stream.h"
#include "platform/utf.h"

namespace verbarium::cli {

namespace {


std::string dumpJson(DatLayout layout, const TextTable& table) {
  std::string json = "{\"layout\": " + std::to_string(static_cast<int>(layout)) +
                     ", \"header\": " + std::to_string(table.header) + ", \"entries\": [";
  bool first = true;
  for (int i = 0; i < table.count(); ++i) {
    json += first ? "{\"key\": \"" : ", {\"key\": \"";
    first = false;
    json += lowerHex(table.key(i));
    json += "\", \"text\": ";
    appendJsonString(json, table.text(i));
    json += '}';
  }
  json += "]}\n";
  return json;
}

}  // namespace

int runDump(CommandArgs args, CliOutput& output) {
  if (args.size() != 1) return usageError(output, "dump FILE");
  FileStream stream(File::openForReading(args[0]));
  if (!stream.isOpen()) {
    output.err += "verbarium-cli: cannot open " + toUtf8(args[0]) + "\n";
    return kExitUsage;
  }
  TextTable table;
  const DatReadResult read = readTextTable(stream, table);
  ConsoleInteraction console(output.err);
  tellTableNotRead(console, read);
  // A table that was not read is shown with the layout the sniffing told.
  output.out += dumpJson(table.layout, table);
  return read == DatReadResult::Read ? kExitOk : kExitRefused;
}

int runRewrite(CommandArgs args, CliOutput& output) {
  if (args.size() != 2) return usageError(output, "rewrite IN OUT");
  const FileLock lock = FileLock::tryAcquire(args[1]);
  if (lock.state() == FileLock::State::InUse) return refused(output, toUtf8(args[1]) + " is in use by another program");
  if (!lock.held()) return refused(output, "cannot write " + toUtf8(args[1]));
  TextTable table;
  switch (const DatReadResult read = readTextTableFile(args[0], table)) {
    case DatReadResult::Read: break;
    case DatReadResult::CannotOpen: return refused(output, "cannot open " + toUtf8(args[0]));
    default: {
      ConsoleInteraction console(output.err);
      tellTableNotRead(console, read);
      return kExitRefused;
    }
  }
  switch (saveTextTableFile(args[1], table)) {
    case TableSaveResult::Saved: return kExitOk;
    case TableSaveResult::LayoutCannotHold:
      return refused(output, "entry " + std::to_string(firstEntryLayoutCannotHold(table) + 1) +
                                 " cannot be stored in the table's layout: it would not read back as it is");
    case TableSaveResult::WriteFailed: break;
  }
  return refused(output, "cannot write " + toUtf8(args[1]));
}

}  // namespace verbarium::cli
