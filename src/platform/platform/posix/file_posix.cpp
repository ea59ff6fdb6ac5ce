#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/posix/native_path.h"

namespace verbarium {

namespace {

int fd(std::intptr_t handle) { return static_cast<int>(handle); }

std::intptr_t openPath(const Path& path, int flags) {
  if (injectedFailure(FileOperation::Open)) return -1;
  std::string native = toNativePath(path);
  int result;
  do {
    result = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
  } while (result < 0 && errno == EINTR);
  if (result >= 0) {
    struct stat info {};
    if (::fstat(result, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(result);
      return -1;
    }
  }
  return result;
}

}  // namespace

File File::openForReading(const Path& path) { return File(openPath(path, O_RDONLY)); }
File File::openRegularForReading(const Path& path) {
  // Non-blocking, or the open of a pipe would wait for a writer.
  File file(openPath(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
  struct stat info {};
  if (!file.isOpen() || ::fstat(fd(file.handle_), &info) != 0 || !S_ISREG(info.st_mode)) return File();
  int flags = ::fcntl(fd(file.handle_), F_GETFL);
  if (flags < 0 || ::fcntl(fd(file.handle_), F_SETFL, flags & ~O_NONBLOCK) != 0) return File();
  return file;
}
File File::openForReadWrite(const Path& path) { return File(openPath(path, O_RDWR)); }
File File::createAlways(const Path& path) { return File(openPath(path, O_RDWR | O_CREAT | O_TRUNC)); }
File File::createNew(const Path& path) { return File(openPath(path, O_RDWR | O_CREAT | O_EXCL)); }

std::int64_t File::read(void* buffer, std::size_t size) {
  if (!isOpen() || injectedFailure(FileOperation::Read)) return -1;
  ssize_t got;
  do {
    got = ::read(fd(handle_), buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

std::int64_t File::write(const void* data, std::size_t size) {
  if (!isOpen() || injectedFailure(FileOperation::Write)) return -1;
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t put = ::write(fd(handle_), bytes + done, size - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    if (put == 0) break;
    done += static_cast<std::size_t>(put);
  }
  return static_cast<std::int64_t>(done);
}

bool File::seek(std::int64_t offset, SeekOrigin origin) {
  if (!isOpen()) return false;
  int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  return ::lseek(fd(handle_), static_cast<off_t>(offset), whence) >= 0;
}

std::int64_t File::position() const {
  if (!isOpen()) return -1;
  return ::lseek(fd(handle_), 0, SEEK_CUR);
}

std::int64_t File::size() const {
  if (!isOpen()) return -1;
  struct stat info {};
  if (::fstat(fd(handle_), &info) != 0) return -1;
  return info.st_size;
}

bool File::truncate() {
  if (injectedFailure(FileOperation::Write)) return false;
  std::int64_t here = position();
  return here >= 0 && ::ftruncate(fd(handle_), static_cast<off_t>(here)) == 0;
}

bool File::flushToDisk() { return isOpen() && !injectedFailure(FileOperation::Sync) && ::fsync(fd(handle_)) == 0; }

bool File::close() {
  if (!isOpen()) return true;
  // The handle goes whatever is reported: a failed close still closes.
  const bool failed = injectedFailure(FileOperation::Close);
  int result = ::close(fd(std::exchange(handle_, kInvalid)));
  return !failed && (result == 0 || errno == EINTR);
}

}  // namespace verbarium
