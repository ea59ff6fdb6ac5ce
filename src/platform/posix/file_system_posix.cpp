#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace verbarium {

namespace {

// After a rename the directory entry itself must reach the disk too.
void syncParentDirectory(const std::string& path) {
  auto slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool fileExists(const Path& path) {
  struct stat info {};
  return ::stat(toNativePath(path).c_str(), &info) == 0;
}

bool removeFile(const Path& path) { return ::unlink(toNativePath(path).c_str()) == 0; }

bool replaceFile(const Path& from, const Path& to) {
  std::string target = toNativePath(to);
  if (::rename(toNativePath(from).c_str(), target.c_str()) != 0) return false;
  syncParentDirectory(target);
  return true;
}

void copyPermissions(const Path& from, const Path& to) {
  struct stat info {};
  if (::stat(toNativePath(from).c_str(), &info) == 0) ::chmod(toNativePath(to).c_str(), info.st_mode & 07777);
}

unsigned long currentProcessId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace verbarium
