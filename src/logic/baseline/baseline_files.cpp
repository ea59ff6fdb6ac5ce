#include "baseline/baseline_files.h"

#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/file_system.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kTablePattern = u"*.dat";
constexpr std::u16string_view kBaselinePattern = u"*.dat.org";
constexpr std::u16string_view kBaselineSuffix = u".org";

}  // namespace

void ClearUnpackedTables(const Path& scratch) {
  for (const Path& name : listFiles(scratch, kTablePattern)) removeFile(JoinPath(scratch, name));
}

std::vector<Path> BaselinesToReplace(const BaselineDirectories& directories) {
  std::vector<Path> baselines;
  for (const Path& name : listFiles(directories.scratch, kTablePattern)) {
    Path baseline = name + Path(kBaselineSuffix);
    const auto attributes = fileAttributes(JoinPath(directories.edition, baseline));
    if (attributes && !attributes->directory) baselines.push_back(std::move(baseline));
  }
  return baselines;
}

bool IsReplacedByBaselineRun(const Path& file, const BaselineDirectories& directories) {
  if (IsWorkFile(file, directories.scratch)) return true;
  for (const Path& name : listFiles(directories.edition, kBaselinePattern)) {
    if (isSameFile(JoinPath(directories.edition, name), file)) return true;
  }
  return false;
}

bool MoveUnpackedTables(const BaselineDirectories& directories) {
  // An unpack that succeeded left tables there: none listed means the
  // directory could not be read.
  const std::vector<Path> names = listFiles(directories.scratch, kTablePattern);
  bool allMoved = !names.empty();
  // Like the unpack that made them, these can be made again from the
  // archive: no wait for the disk.
  for (const Path& name : names) {
    allMoved = replaceFileUnsynced(JoinPath(directories.scratch, name),
                                   JoinPath(directories.edition, name + Path(kBaselineSuffix))) &&
               allMoved;
  }
  return allMoved;
}

int CountBaselineTables(const Path& edition) {
  int count = 0;
  for (const Path& name : listFiles(edition, kBaselinePattern)) {
    if (IsTableFileName(name)) ++count;
  }
  return count;
}

}  // namespace verbarium
