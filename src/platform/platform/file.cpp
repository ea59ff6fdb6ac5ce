#include "platform/file.h"

#include <utility>

namespace verbarium {

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kInvalid)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, kInvalid);
  }
  return *this;
}

File::~File() { close(); }

}  // namespace verbarium
