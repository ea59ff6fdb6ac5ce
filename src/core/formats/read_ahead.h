#pragma once
// A reader's view of a stream in large pieces: a table is read field by
// field, and each field served from memory costs no call on the stream. It
// reads only; stepping back within what it holds costs nothing.

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/byte_stream.h"

namespace verbarium {

class ReadAhead final : public ByteStream {
 public:
  // Begins at the stream's current position.
  explicit ReadAhead(ByteStream& base)
      : base_(base), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kCapacity)), start_(base.position()) {}

  std::int64_t read(void* out, std::size_t size) override {
    if (size <= length_ - at_) {
      std::memcpy(out, buffer_.get() + at_, size);
      at_ += size;
      return static_cast<std::int64_t>(size);
    }
    return readSlowly(static_cast<std::uint8_t*>(out), size);
  }
  bool write(const void*, std::size_t) override { return false; }
  bool seek(std::int64_t offset, SeekOrigin origin) override {
    std::int64_t target = origin == SeekOrigin::Begin ? offset : origin == SeekOrigin::Current ? position() + offset : -1;
    if (origin == SeekOrigin::End) {
      const std::int64_t end = size();
      if (end < 0) return false;
      target = end + offset;
    }
    if (target < 0) return false;
    if (target >= start_ && target <= start_ + static_cast<std::int64_t>(length_)) {
      at_ = static_cast<std::size_t>(target - start_);
      return true;
    }
    if (!base_.seek(target, SeekOrigin::Begin)) return false;
    start_ = target;
    at_ = length_ = 0;
    return true;
  }
  std::int64_t position() override { return start_ + static_cast<std::int64_t>(at_); }
  std::int64_t size() override { return base_.size(); }
  bool truncate() override { return false; }
  bool flush() override { return true; }

  // Leaves the stream itself where this view stands.
  bool settle() { return base_.seek(position(), SeekOrigin::Begin); }
  // Whether a read of the stream failed: what was read after it may not be
  // what the file holds at that place.
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kCapacity = 256 * 1024;
  // Kept before the refilled bytes, for the readers that step back.
  static constexpr std::size_t kKeepBack = 4 * 1024;

  std::int64_t readSlowly(std::uint8_t* out, std::size_t size) {
    std::size_t done = std::min(size, length_ - at_);
    std::memcpy(out, buffer_.get() + at_, done);
    at_ += done;
    while (done < size) {
      // The stream's own position is where the buffer ends.
      const std::size_t keep = std::min(kKeepBack, at_);
      std::memmove(buffer_.get(), buffer_.get() + at_ - keep, keep);
      start_ += static_cast<std::int64_t>(at_ - keep);
      at_ = length_ = keep;
      const std::int64_t got = base_.read(buffer_.get() + keep, kCapacity - keep);
      if (got < 0) {
        failed_ = true;
        return done > 0 ? static_cast<std::int64_t>(done) : -1;
      }
      if (got == 0) break;
      length_ += static_cast<std::size_t>(got);
      const std::size_t take = std::min(size - done, length_ - at_);
      std::memcpy(out + done, buffer_.get() + at_, take);
      at_ += take;
      done += take;
    }
    return static_cast<std::int64_t>(done);
  }

  ByteStream& base_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int64_t start_;  // the stream position of buffer_[0]
  std::size_t at_ = 0;
  std::size_t length_ = 0;
  bool failed_ = false;
};

}  // namespace verbarium
