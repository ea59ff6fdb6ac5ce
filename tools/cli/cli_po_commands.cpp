// po export and po import: an edition's tables, or one table, as gettext PO
// files for translation-memory tools, and their translations back.

#include <algorithm>
#include <string>
#include <vector>

#include "archive/restore_point.h"
#include "archive/work_files.h"
#include "cli_commands.h"
#include "formats/dat_file.h"
#include "platform/atomic_replace.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "table_pair_reasons.h"
#include "workbench/po_exchange.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kPoUsage = "po export PATH OUT | po import PATH IN [--dry-run]";
constexpr std::u16string_view kPoSuffix = u".po";
// Far above the PO file of any table; a larger file is not one of ours.
constexpr std::int64_t kMostPoBytes = std::int64_t{1} << 30;

bool writeWhole(const Path& path, const std::string& bytes) {
  AtomicReplace replace(path);
  return replace.isOpen() && replace.stream().write(bytes.data(), bytes.size()) && replace.commit();
}

enum class ReadWhole { Read, CannotOpen, TooLarge };

ReadWhole readWhole(const Path& path, std::string& bytes) {
  File file = File::openRegularForReading(path);
  if (!file.isOpen()) return ReadWhole::CannotOpen;
  const std::int64_t size = file.size();
  if (size < 0) return ReadWhole::CannotOpen;
  if (size > kMostPoBytes) return ReadWhole::TooLarge;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::int64_t n = file.read(bytes.data() + got, bytes.size() - got);
    if (n <= 0) return ReadWhole::CannotOpen;
    got += static_cast<std::size_t>(n);
  }
  return ReadWhole::Read;
}

std::string whyMalformed(PoReadFailure failure) {
  switch (failure) {
    case PoReadFailure::None: break;
    case PoReadFailure::NotUtf8: return "not UTF-8 text";
    case PoReadFailure::BadString: return "a string without its quotes or with an unknown escape";
    case PoReadFailure::BadStructure: return "a keyword out of place";
    case PoReadFailure::PluralForms: return "plural forms, which tables do not have";
  }
  return "malformed";
}

std::string whyNotApplied(NotApplied why) {
  switch (why) {
    case NotApplied::NoSuchTable: return "no such table here";
    case NotApplied::TableNotMeasurable: return "the table cannot be paired with its baseline";
    case NotApplied::NoContext: return "msgctxt is not TABLE#ENTRY";
    case NotApplied::NoSuchEntry: return "no such entry";
    case NotApplied::KeyMissing: return "no \"#. key\" comment";
    case NotApplied::KeyDiffers: return "the entry's key differs";
    case NotApplied::OriginalChanged: return "the original text has changed";
    case NotApplied::HoldsZero: return "the translation holds a zero character";
  }
  return "not applied";
}

int exportPo(const Path& path, const Path& out, CliOutput& output) {
  const std::optional<TableSet> set = tablesAt(path);
  if (!set) return refused(output, "no such table or directory: " + toUtf8(path));
  const bool oneTable = !isDirectory(path);
  if (!oneTable && !isDirectory(out) && !createDirectory(out)) return refused(output, "cannot create " + toUtf8(out));
  const LocalTime now = localTimeNow();
  bool complete = true;
  for (const Path& name : set->tables) {
    const TablePair pair = readTablePair(set->directory, name);
    if (!pair.measurable()) {
      output.err += "not exported: " + toUtf8(name) + ": " + whyNotMeasured(pair) + "\n";
      complete = false;
      continue;
    }
    const PoExport po = tableToPo(name, pair.current, pair.original, now);
    const Path target = oneTable ? out : JoinPath(out, name + Path(kPoSuffix));
    if (!writeWhole(target, po.text)) {
      output.err += "not exported: " + toUtf8(name) + ": cannot write " + shownPath(target) + "\n";
      complete = false;
      continue;
    }
    for (int entry : po.leftOut) {
      output.err += "left out: " + toUtf8(name) + "#" + std::to_string(entry + 1) +
                    ": a lone surrogate, which UTF-8 cannot carry\n";
      complete = false;
    }
    output.out += "exported " + toUtf8(name) + " (" + std::to_string(pair.current.count() - po.leftOut.size()) +
                  " messages) to " + shownPath(target) + "\n";
  }
  return complete ? kExitOk : kExitRefused;
}

// Every PO file is read and checked before any table changes.
int importPo(const Path& path, const Path& in, bool dryRun, CliOutput& output) {
  const std::optional<TableSet> set = tablesAt(path);
  if (!set) return refused(output, "no such table or directory: " + toUtf8(path));
  std::vector<Path> files;
  if (isDirectory(in)) {
    for (const Path& name : listFiles(in, u"*.po")) files.push_back(JoinPath(in, name));
    std::sort(files.begin(), files.end());
  } else {
    files.push_back(in);
  }

  PoApplication application;
  bool malformed = false;
  for (const Path& file : files) {
    std::string bytes;
    switch (readWhole(file, bytes)) {
      case ReadWhole::Read: break;
      case ReadWhole::CannotOpen:
        output.err += shownPath(file) + ": cannot be read\n";
        malformed = true;
        continue;
      case ReadWhole::TooLarge:
        output.err += shownPath(file) + ": too large for a table's PO file\n";
        malformed = true;
        continue;
    }
    const PoReadResult read = readPo(bytes);
    if (read.failure != PoReadFailure::None) {
      output.err += shownPath(file) + ":" + std::to_string(read.line) + ": " + whyMalformed(read.failure) + "\n";
      malformed = true;
      continue;
    }
    const std::size_t before = application.unapplied.size();
    applyPoMessages(set->directory, set->tables, read.messages, application);
    for (std::size_t i = before; i < application.unapplied.size(); ++i) application.unapplied[i].file = file;
  }
  if (malformed) return refused(output, "nothing was imported");

  for (const Path& name : application.changed) {
    const int cannotHold = firstEntryLayoutCannotHold(application.tables.at(name).current);
    if (cannotHold < 0) continue;
    output.err += toUtf8(name) + "#" + std::to_string(cannotHold + 1) + ": cannot be stored in the table's layout\n";
    malformed = true;
  }
  if (malformed) return refused(output, "nothing was imported");

  for (const UnappliedMessage& message : application.unapplied) {
    output.err += "not applied: " + shownPath(message.file) + ":" + std::to_string(message.line) + ": " +
                  toUtf8(message.context) + ": " + whyNotApplied(message.why) + "\n";
  }
  if (application.fuzzySkipped > 0) output.out += "skipped " + std::to_string(application.fuzzySkipped) + " fuzzy messages\n";
  const std::string verb = dryRun ? "would change " : "changed ";
  if (!dryRun && !application.changed.empty()) {
    const RestorePointResult kept = KeepRestorePoint(set->directory, application.changed);
    if (!kept) return refused(output, "cannot keep the tables in a restore point (" + toUtf8(kept.failedPath) + "); nothing was imported");
    if (!kept.point.empty()) output.out += "the tables as they were are in restore point " + toUtf8(kept.point) + "\n";
  }
  bool written = true;
  for (const Path& name : application.changed) {
    const TablePair& pair = application.tables.at(name);
    if (!dryRun && saveTextTableFile(JoinPath(set->directory, name), pair.current) != TableSaveResult::Saved) {
      output.err += "cannot write " + toUtf8(name) + "; it is as it was\n";
      written = false;
      continue;
    }
  }
  output.out += verb + std::to_string(application.changedEntries) + " entries in " +
                std::to_string(application.changed.size()) + " tables\n";
  return written && application.unapplied.empty() ? kExitOk : kExitRefused;
}

}  // namespace

int runPo(CommandArgs args, CliOutput& output) {
  if (args.size() == 3 && args[0] == u"export") return exportPo(args[1], args[2], output);
  if (args.size() == 3 && args[0] == u"import") return importPo(args[1], args[2], false, output);
  if (args.size() == 4 && args[0] == u"import" && args[3] == u"--dry-run") return importPo(args[1], args[2], true, output);
  return usageError(output, kPoUsage);
}

}  // namespace verbarium::cli
