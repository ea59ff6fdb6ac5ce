// restore: lists an edition's restore points, or puts the files of one back,
// keeping the files it replaces in a new point first, as the desktop program
// keeps them before a load or an import.

#include <string>

#include "archive/restore_point.h"
#include "cli_commands.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kRestoreUsage = "restore EDITION_DIR [POINT]";

std::string files(std::size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

std::string names(const std::vector<Path>& list) {
  std::string text;
  for (const Path& name : list) text += (text.empty() ? "" : ", ") + toUtf8(name);
  return text;
}

int list(const Path& edition, CliOutput& output) {
  for (const RestorePointEntry& point : ListRestorePoints(edition)) {
    output.out += toUtf8(point.name) + "  " + files(point.fileCount) + "\n";
  }
  return kExitOk;
}

int restore(const Path& edition, const Path& point, CliOutput& output) {
  const RestoreOutcome outcome = RestoreFromPoint(edition, point);
  switch (outcome.failure) {
    case RestoreFailure::NotAPointName: return refused(output, "not the name of a restore point: " + toUtf8(point));
    case RestoreFailure::NoSuchPoint: return refused(output, "no restore point " + toUtf8(point));
    case RestoreFailure::CurrentNotKept:
      return refused(output, "cannot keep the current files in a restore point (" +
                                 toUtf8(outcome.kept.failedPath) + "); nothing restored");
    case RestoreFailure::NothingReplaced:
      return refused(output, "cannot restore " + names(outcome.notRestored) + "; nothing restored");
    case RestoreFailure::None:
    case RestoreFailure::NotAllReplaced: break;
  }
  output.out += "restored " + files(outcome.restored.size()) + " from " + toUtf8(point) + "\n";
  if (!outcome.kept.point.empty()) {
    output.out += "the files it replaced are in restore point " + toUtf8(outcome.kept.point) + "\n";
  }
  if (outcome.failure == RestoreFailure::NotAllReplaced) {
    return refused(output, "cannot replace " + names(outcome.notRestored) + "; left as they were");
  }
  return kExitOk;
}

}  // namespace

int runRestore(CommandArgs args, CliOutput& output) {
  if (args.empty() || args.size() > 2) return usageError(output, kRestoreUsage);
  const Path& edition = args[0];
  if (!isDirectory(edition)) return refused(output, "no such directory: " + toUtf8(edition));
  return args.size() == 1 ? list(edition, output) : restore(edition, args[1], output);
}

}  // namespace verbarium::cli
