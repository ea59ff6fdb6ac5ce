#pragma once
// Whole-file operations of the platform layer.

#include <optional>

#include "platform/file.h"

namespace verbarium {

bool fileExists(const Path& path);
bool removeFile(const Path& path);
// Copies a whole file; with failIfExists an existing `to` is left alone and
// the copy fails, and a copy that fails then removes what it wrote.
bool copyFile(const Path& from, const Path& to, bool failIfExists);
// Moves `from` over `to`, replacing it, and makes the change durable before
// it returns.
bool replaceFile(const Path& from, const Path& to);
// The same without the wait for the disk: for files that can be made again.
bool replaceFileUnsynced(const Path& from, const Path& to);
// Gives `to` the read, write and execute bits of `from`, where the platform
// has such bits and `from` is a regular file (a link is not followed).
void copyPermissions(const Path& from, const Path& to);
unsigned long currentProcessId();

// A second name for the file `existing` (a hard link); fails when `link`
// exists or the file system has no such links.
bool linkFile(const Path& existing, const Path& link);
// True for a regular file itself, false for a link, a directory, a pipe or a
// device and for nothing at all.
bool isRegularFile(const Path& path);

// Moves or renames a file; fails when `to` exists.
bool moveFile(const Path& from, const Path& to);

struct FileAttributes {
  bool directory = false;
  bool readOnly = false;
};
// Nothing when there is no such file or directory.
std::optional<FileAttributes> fileAttributes(const Path& path);

inline bool isDirectory(const Path& path) {
  const auto attributes = fileAttributes(path);
  return attributes && attributes->directory;
}

// True when both paths name one and the same existing file, whichever way
// they spell it.
bool isSameFile(const Path& a, const Path& b);

}  // namespace verbarium
