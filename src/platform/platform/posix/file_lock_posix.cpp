#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/posix/native_path.h"

namespace verbarium {

namespace {

constexpr char16_t kLockSuffix[] = u".lock";
// A holder that releases removes its lock file; one that opened the file a
// moment before finds it gone and tries again with a new one.
constexpr int kAttempts = 8;

}  // namespace

FileLock FileLock::tryAcquire(const Path& target) {
  FileLock lock;
  lock.lockPath_ = target + kLockSuffix;
  const std::string path = toNativePath(lock.lockPath_);
  lock.state_ = State::Failed;
  if (injectedFailure(FileOperation::Lock)) return lock;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return lock;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const bool busy = errno == EWOULDBLOCK;
      ::close(fd);
      lock.state_ = busy ? State::InUse : State::Failed;
      return lock;
    }
    struct stat opened {}, named {};
    if (::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino) {
      lock.handle_ = fd;
      lock.state_ = State::Held;
      return lock;
    }
    ::close(fd);
  }
  return lock;
}

void FileLock::release() {
  if (state_ == State::Held) {
    // Removed while still locked, so that nobody locks a file on its way out.
    ::unlink(toNativePath(lockPath_).c_str());
    ::close(static_cast<int>(handle_));
  }
  handle_ = -1;
  state_ = State::None;
}

}  // namespace verbarium
