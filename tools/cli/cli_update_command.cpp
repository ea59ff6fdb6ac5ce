// update: the game was updated. Tells, table by table, which translations
// carry over to the new archive's tables and which come back untranslated;
// with --write, the new tables and baselines replace the edition's, the old
// files kept in a restore point.

#include <span>
#include <string>

#include "cli_commands.h"
#include "codec/hex_text.h"
#include "json_text.h"
#include "packer_reasons.h"
#include "platform/utf.h"
#include "table_pair_reasons.h"
#include "workbench/edition_update.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kUpdateUsage = "update EDITION NEW_ARCHIVE [--write]";
constexpr std::string_view kUpdateHelp =
    "  reports how the edition's translations carry over to the new archive's tables; --write applies it\n"
    "  exit 0: every translation carried; 1: refused, or translations came back untranslated (listed); 2: usage\n";

struct Totals {
  long long kept = 0;
  long long returned = 0;
  long long added = 0;
  long long removed = 0;
};

std::string counts(const Totals& totals) {
  return std::to_string(totals.kept) + " kept, " + std::to_string(totals.returned) + " came back untranslated, " +
         std::to_string(totals.added) + " new, " + std::to_string(totals.removed) + " removed";
}

void appendReturned(std::string& out, const ReturnedEntry& entry) {
  out += "  entry " + std::to_string(entry.entry + 1) + ", key " + lowerHex(entry.key) + ": ";
  appendJsonString(out, entry.translation);
  if (entry.why == ReturnReason::LayoutCannotHold) out += " (the new table's layout cannot hold it)";
  out += "\n";
}

std::string whyNewUnreadable(const TableUpdate& table) {
  TablePair pair;
  pair.name = table.name;
  pair.failure = PairFailure::TableUnreadable;
  pair.read = table.newRead;
  return "in the new archive, " + whyNotMeasured(pair);
}

// One line per table, and the entries that come back under it.
void appendTable(std::string& out, const TableUpdate& table, Totals& totals) {
  out += toUtf8(table.name) + ": ";
  switch (table.fate) {
    case TableFate::Updated: {
      const CarriedTable& carried = table.carried;
      const Totals own{carried.kept, static_cast<long long>(carried.returned.size()), carried.added, carried.removed};
      totals.kept += own.kept;
      totals.returned += own.returned;
      totals.added += own.added;
      totals.removed += own.removed;
      out += counts(own) + "\n";
      for (const ReturnedEntry& entry : carried.returned) appendReturned(out, entry);
      return;
    }
    case TableFate::Added:
      totals.added += table.newEntries;
      out += "new table of " + std::to_string(table.newEntries) + (table.newEntries == 1 ? " entry" : " entries") +
             "; it becomes table and baseline\n";
      return;
    case TableFate::NotInArchive: out += "not in the new archive; its files are left as they are\n"; return;
    case TableFate::CannotBeMeasured: out += "cannot be measured: " + whyNotMeasured(*table.unmeasured) + "\n"; return;
    case TableFate::NewUnreadable: out += whyNewUnreadable(table) + "\n"; return;
    case TableFate::NewCannotBeWritten:
      out += "the new archive's table would not read back as it is once written\n";
      return;
  }
}

std::string names(const std::vector<Path>& list) {
  std::string text;
  for (const Path& name : list) text += (text.empty() ? "" : ", ") + toUtf8(name);
  return text;
}

int refusedBeforeTables(const Path& edition, const EditionUpdate& update, CliOutput& output) {
  const std::string path = toUtf8(update.failedPath);
  const std::string inEdition = path + " in " + toUtf8(edition);
  switch (update.failure) {
    case UpdateFailure::NoSuchEdition: return refused(output, "no such directory: " + path);
    case UpdateFailure::ScratchNotMade:
      return refused(output, "cannot make a directory to unpack the new archive into in " + path);
    case UpdateFailure::NotUnpacked:
      return refused(output, "cannot unpack the new archive: " + whyPackerFailed(update.packer));
    case UpdateFailure::NoTablesInArchive: return refused(output, "no tables in " + path);
    case UpdateFailure::FileInUse: return refused(output, inEdition + " is in use by another program; nothing written");
    case UpdateFailure::NotWritten: return refused(output, "cannot write " + inEdition + "; nothing written");
    default: return kExitOk;
  }
}

int reportReplace(const Path& edition, const EditionUpdate& update, CliOutput& output) {
  const EditionReplaceOutcome& replace = update.replace;
  const std::string point = toUtf8(replace.kept.point);
  const std::string failed = toUtf8(replace.failedName) + " in " + toUtf8(edition);
  const std::string restore = "verbarium-cli restore \"" + toUtf8(edition) + "\" " + point;
  switch (replace.failure) {
    case EditionReplaceFailure::None: break;
    case EditionReplaceFailure::RestorePointNotKept:
      return refused(output, "cannot keep the current files in a restore point (" + toUtf8(replace.kept.failedPath) +
                                 "); nothing written");
    case EditionReplaceFailure::NotMoved:
      return refused(output, "cannot replace " + failed + "; every file is as it was");
    case EditionReplaceFailure::NotPutBack:
      return refused(output, "cannot replace " + failed + ", and cannot put back " + names(replace.notPutBack) + "; " +
                                 restore + " puts them back");
  }
  output.out += "replaced " + std::to_string(replace.replaced) + " files";
  if (!point.empty()) {
    output.out += "; the files they replaced are in restore point " + point + " (" + restore + " puts them back)";
  }
  output.out += "\n";
  return kExitOk;
}

}  // namespace

int runUpdate(CommandArgs args, CliOutput& output) {
  const CommandWords words = splitFlags(args, {u"--write"});
  const bool write = words.has(u"--write");
  const std::vector<std::u16string>& paths = words.operands;
  if (paths.size() != 2) {
    const int code = usageError(output, kUpdateUsage);
    output.err += kUpdateHelp;
    return code;
  }
  const EditionUpdate update = updateEdition(paths[0], paths[1], write ? UpdateMode::Write : UpdateMode::ReportOnly);
  if (update.tables.empty()) return refusedBeforeTables(paths[0], update, output);

  Totals totals;
  long long notUsable = 0;
  for (const TableUpdate& table : update.tables) {
    appendTable(output.out, table, totals);
    if (!table.usable()) ++notUsable;
  }
  output.out += "total: " + counts(totals) + "\n";
  if (update.failure == UpdateFailure::TablesNotUsable) {
    return refused(output, std::to_string(notUsable) + (notUsable == 1 ? " table" : " tables") +
                               " cannot be updated (named above); nothing written");
  }
  int code = kExitOk;
  if (write) {
    code = reportReplace(paths[0], update, output);
  } else {
    output.out += "nothing written: --write replaces the tables and baselines\n";
  }
  if (code == kExitOk && totals.returned > 0) {
    code = refused(output, std::to_string(totals.returned) + (totals.returned == 1 ? " translation" : " translations") +
                               " came back untranslated (listed above)");
  }
  return code;
}

}  // namespace verbarium::cli
