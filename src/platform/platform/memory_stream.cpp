#include <algorithm>
#include <cstring>

#include "platform/byte_stream.h"

namespace verbarium {

std::int64_t MemoryStream::read(void* buffer, std::size_t size) {
  std::size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  std::size_t count = std::min(size, available);
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  return static_cast<std::int64_t>(count);
}

bool MemoryStream::write(const void* data, std::size_t size) {
  if (size == 0) return true;
  if (bytes_.size() < position_ + size) bytes_.resize(position_ + size);
  std::memcpy(bytes_.data() + position_, data, size);
  position_ += size;
  return true;
}

bool MemoryStream::seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = origin == SeekOrigin::Begin     ? 0
                      : origin == SeekOrigin::Current ? static_cast<std::int64_t>(position_)
                                                      : static_cast<std::int64_t>(bytes_.size());
  std::int64_t target = base + offset;
  if (target < 0) return false;
  position_ = static_cast<std::size_t>(target);
  return true;
}

bool MemoryStream::truncate() {
  bytes_.resize(position_);
  return true;
}

}  // namespace verbarium
