#pragma once
// A stream that takes `capacity` bytes, as a disk that fills up would: the
// write that does not fit stores the part that fits and fails, and so does
// every write after it.

#include <algorithm>

#include "platform/byte_stream.h"

namespace verbarium::test {

class CappedWriteStream final : public ByteStream {
 public:
  explicit CappedWriteStream(std::size_t capacity) : capacity_(capacity) {}

  std::int64_t read(void*, std::size_t) override { return 0; }
  bool write(const void*, std::size_t size) override {
    const std::size_t fits = std::min(size, capacity_ - stored_);
    stored_ += fits;
    return fits == size;
  }
  bool seek(std::int64_t, SeekOrigin) override { return false; }
  std::int64_t position() override { return static_cast<std::int64_t>(stored_); }
  std::int64_t size() override { return static_cast<std::int64_t>(stored_); }
  bool truncate() override { return false; }
  bool flush() override { return true; }

 private:
  std::size_t capacity_;
  std::size_t stored_ = 0;
};

}  // namespace verbarium::test
