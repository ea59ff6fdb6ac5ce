#pragma once
// Restore points: an operation that replaces an edition's files in bulk (a
// load, the import loop, the baseline setup) first keeps the files it is
// about to replace in <edition>\backup\<yyyymmdd-hhmmss>\, so that saved
// work it overwrites can be put back. The newest points stay; older ones go.

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/local_time.h"

namespace verbarium {

inline constexpr std::u16string_view kRestorePointFolderName = u"backup";
inline constexpr std::size_t kRestorePointsKept = 10;

enum class RestorePointFailure {
  None,
  FolderNotCreated,  // the backup folder or the point's own folder
  FileNotKept,       // a file could not be read, or its copy not written
};

struct RestorePointResult {
  RestorePointFailure failure = RestorePointFailure::None;
  // The new point's name; empty when there was nothing to keep.
  Path point;
  // With a failure: the folder that could not be made, or the file that
  // could not be kept.
  Path failedPath;

  explicit operator bool() const { return failure == RestorePointFailure::None; }
};

// "yyyymmdd-hhmmss" of its local time, then "-2", "-3"... for later points of
// the same second.
bool IsRestorePointName(std::u16string_view name);

// Copies `files` (tables and baseline tables, named as in the edition
// directory) into a new point named
// after `now`; every copy is whole and on the disk before this returns. Then
// removes the oldest points beyond kRestorePointsKept. An empty list makes no
// point. A failure leaves no new point behind and removes none.
[[nodiscard]] RestorePointResult KeepRestorePoint(const Path& editionDirectory, const std::vector<Path>& files,
                                                  const LocalTime& now = localTimeNow());

struct RestorePointEntry {
  Path name;
  std::size_t fileCount = 0;
};

// The edition's points, newest first.
std::vector<RestorePointEntry> ListRestorePoints(const Path& editionDirectory);

enum class RestoreFailure {
  None,
  NotAPointName,     // outside input that names no point: refused unread
  NoSuchPoint,
  CurrentNotKept,    // the files as they are could not be kept first
  NothingReplaced,   // a point file could not be read, or its copy not written
  NotAllReplaced,    // some files were restored, the others are as they were
};

struct RestoreOutcome {
  RestoreFailure failure = RestoreFailure::None;
  // The point that holds the files as they were just before.
  RestorePointResult kept;
  std::vector<Path> restored;
  // With NothingReplaced the file that failed; with NotAllReplaced the files
  // left as they were.
  std::vector<Path> notRestored;
};

// Puts the files that point `pointName` holds back into the edition
// directory. The current versions of those files are kept in a new point
// first; files the point does not hold are left alone.
[[nodiscard]] RestoreOutcome RestoreFromPoint(const Path& editionDirectory, std::u16string_view pointName,
                                              const LocalTime& now = localTimeNow());

}  // namespace verbarium
