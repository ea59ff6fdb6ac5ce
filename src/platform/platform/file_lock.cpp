#include "platform/file_lock.h"

#include <utility>

namespace verbarium {

FileLock::FileLock(FileLock&& other) noexcept
    : state_(std::exchange(other.state_, State::None)),
      handle_(std::exchange(other.handle_, -1)),
      lockPath_(std::move(other.lockPath_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    release();
    state_ = std::exchange(other.state_, State::None);
    handle_ = std::exchange(other.handle_, -1);
    lockPath_ = std::move(other.lockPath_);
  }
  return *this;
}

FileLock::~FileLock() { release(); }

}  // namespace verbarium
