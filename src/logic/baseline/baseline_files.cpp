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

void ClearUnpackedTables() {
  const Path scratch(kScratchFromEdition);
  for (const Path& name : listFiles(scratch, kTablePattern)) removeFile(JoinPath(scratch, name));
}

std::vector<Path> BaselinesToReplace() {
  std::vector<Path> baselines;
  for (const Path& name : listFiles(Path(kScratchFromEdition), kTablePattern)) {
    Path baseline = name + Path(kBaselineSuffix);
    const auto attributes = fileAttributes(baseline);
    if (attributes && !attributes->directory) baselines.push_back(std::move(baseline));
  }
  return baselines;
}

bool IsReplacedByBaselineRun(const Path& file) {
  if (IsWorkFile(file, Path(kScratchFromEdition))) return true;
  for (const Path& name : listFiles(u".", kBaselinePattern)) {
    if (isSameFile(name, file)) return true;
  }
  return false;
}

bool MoveUnpackedTables() {
  const Path scratch(kScratchFromEdition);
  // An unpack that succeeded left tables there: none listed means the
  // directory could not be read.
  const std::vector<Path> names = listFiles(scratch, kTablePattern);
  bool allMoved = !names.empty();
  // Like the unpack that made them, these can be made again from the
  // archive: no wait for the disk.
  for (const Path& name : names) {
    allMoved = replaceFileUnsynced(JoinPath(scratch, name), name + Path(kBaselineSuffix)) && allMoved;
  }
  return allMoved;
}

int CountBaselineTables() {
  int count = 0;
  for (const Path& name : listFiles(u".", kBaselinePattern)) {
    if (IsTableFileName(name)) ++count;
  }
  return count;
}

}  // namespace verbarium
