#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/fault_injection.h"
#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace verbarium {

bool fileExists(const Path& path) {
  struct stat info {};
  return ::stat(toNativePath(path).c_str(), &info) == 0;
}

bool removeFile(const Path& path) {
  return !injectedFailure(FileOperation::Delete) && ::unlink(toNativePath(path).c_str()) == 0;
}

bool copyFile(const Path& from, const Path& to, bool failIfExists) {
  if (injectedFailure(FileOperation::Copy)) return false;
  File source = File::openForReading(from);
  if (!source.isOpen()) return false;
  File target = failIfExists ? File::createNew(to) : File::createAlways(to);
  if (!target.isOpen()) return false;
  std::vector<char> buffer(256 * 1024);
  bool ok = true;
  for (;;) {
    std::int64_t got = source.read(buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0 || target.write(buffer.data(), static_cast<std::size_t>(got)) != got) {
      ok = false;
      break;
    }
  }
  ok = target.close() && ok;
  // Only a file this copy created is its own to remove.
  if (!ok && failIfExists) removeFile(to);
  if (ok) copyPermissions(from, to);
  return ok;
}

bool replaceFile(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Rename)) return false;
  std::string target = toNativePath(to);
  if (::rename(toNativePath(from).c_str(), target.c_str()) != 0) return false;
  syncParentDirectory(target);
  return true;
}

bool replaceFileUnsynced(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Rename)) return false;
  return ::rename(toNativePath(from).c_str(), toNativePath(to).c_str()) == 0;
}

void copyPermissions(const Path& from, const Path& to) {
  // A link planted where the old file was would lend the new file the mode
  // of whatever it points to; and setuid, setgid or sticky bits on bytes
  // that came from outside would be an open door.
  struct stat info {};
  if (::lstat(toNativePath(from).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    ::chmod(toNativePath(to).c_str(), info.st_mode & 0777);
  }
}

unsigned long currentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool moveFile(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Move)) return false;
  std::string source = toNativePath(from);
  std::string target = toNativePath(to);
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing
    // target just the same.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(source.c_str(), target.c_str()) != 0) return false;
    ::unlink(source.c_str());
  }
  syncParentDirectory(target);
  return true;
}

bool linkFile(const Path& existing, const Path& link) {
  if (injectedFailure(FileOperation::Move)) return false;
  // linkat without AT_SYMLINK_FOLLOW names the link itself, not its target.
  return ::linkat(AT_FDCWD, toNativePath(existing).c_str(), AT_FDCWD, toNativePath(link).c_str(), 0) == 0;
}

bool isRegularFile(const Path& path) {
  struct stat info {};
  return ::lstat(toNativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<FileAttributes> fileAttributes(const Path& path) {
  struct stat info {};
  if (::stat(toNativePath(path).c_str(), &info) != 0) return std::nullopt;
  return FileAttributes{S_ISDIR(info.st_mode), (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0};
}

bool isSameFile(const Path& a, const Path& b) {
  struct stat first {}, second {};
  return ::stat(toNativePath(a).c_str(), &first) == 0 && ::stat(toNativePath(b).c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace verbarium
