#include "platform/file_stream.h"

#include <algorithm>
#include <cstring>

namespace verbarium {

FileStream::FileStream(File file)
    : file_(std::move(file)), buffer_(std::make_unique<std::uint8_t[]>(kKeepBack + kBufferSize)) {
  if (file_.isOpen()) {
    std::int64_t here = file_.position();
    bufferStart_ = here < 0 ? 0 : here;
  }
}

FileStream::~FileStream() { flushWrites(); }

bool FileStream::flushWrites() {
  if (!writing_) return !failed_;
  writing_ = false;
  if (bufferPos_ > 0) {
    std::int64_t put = file_.write(buffer_.get(), bufferPos_);
    if (put != static_cast<std::int64_t>(bufferPos_)) failed_ = true;
    bufferStart_ += put > 0 ? put : 0;
  }
  bufferPos_ = 0;
  bufferLength_ = 0;
  return !failed_;
}

bool FileStream::syncFilePosition() {
  std::int64_t logical = bufferStart_ + static_cast<std::int64_t>(bufferPos_);
  atEnd_ = false;
  bool ok = file_.seek(logical, SeekOrigin::Begin);
  bufferStart_ = logical;
  bufferPos_ = 0;
  bufferLength_ = 0;
  return ok;
}

std::int64_t FileStream::read(void* buffer, std::size_t size) {
  if (!file_.isOpen()) return -1;
  if (writing_ && !flushWrites()) return -1;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    if (bufferPos_ < bufferLength_) {
      std::size_t take = std::min(size - done, bufferLength_ - bufferPos_);
      std::memcpy(out + done, buffer_.get() + bufferPos_, take);
      bufferPos_ += take;
      done += take;
      continue;
    }
    std::size_t wanted = size - done;
    if (wanted >= kBufferSize) {
      // The buffer is used up and the file's position is at its end: a
      // large read goes straight to the caller.
      bufferStart_ += static_cast<std::int64_t>(bufferLength_);
      bufferPos_ = 0;
      bufferLength_ = 0;
      ++fileReads_;
      std::int64_t got = file_.read(out + done, wanted);
      if (got < 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
      bufferStart_ += got;
      done += static_cast<std::size_t>(got);
      if (static_cast<std::size_t>(got) < wanted) break;
      continue;
    }
    // Readers try several fields at the end of a file: one system call
    // tells it.
    if (atEnd_) break;
    // Keep the tail of the old buffer in front of the new one, so that a
    // reader that read a little ahead can step back without a system call.
    std::size_t keep = std::min(kKeepBack, bufferLength_);
    std::memmove(buffer_.get(), buffer_.get() + bufferLength_ - keep, keep);
    bufferStart_ += static_cast<std::int64_t>(bufferLength_ - keep);
    bufferPos_ = keep;
    bufferLength_ = keep;
    ++fileReads_;
    std::int64_t got = file_.read(buffer_.get() + keep, kBufferSize);
    if (got < 0) return done > 0 ? static_cast<std::int64_t>(done) : -1;
    if (got == 0) {
      atEnd_ = true;
      break;
    }
    bufferLength_ += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

bool FileStream::write(const void* data, std::size_t size) {
  if (!file_.isOpen() || failed_) return false;
  atEnd_ = false;
  if (!writing_) {
    if (bufferLength_ != 0 || bufferPos_ != 0) {
      if (!syncFilePosition()) return failed_ = true, false;
    }
    writing_ = true;
  }
  const auto* in = static_cast<const std::uint8_t*>(data);
  if (bufferPos_ + size <= kBufferSize) {
    std::memcpy(buffer_.get() + bufferPos_, in, size);
    bufferPos_ += size;
    return true;
  }
  if (!flushWrites()) return false;
  writing_ = true;
  if (size >= kBufferSize) {
    std::int64_t put = file_.write(in, size);
    if (put != static_cast<std::int64_t>(size)) {
      failed_ = true;
      return false;
    }
    bufferStart_ += put;
    return true;
  }
  std::memcpy(buffer_.get(), in, size);
  bufferPos_ = size;
  return true;
}

bool FileStream::seek(std::int64_t offset, SeekOrigin origin) {
  if (!file_.isOpen()) return false;
  std::int64_t logical = bufferStart_ + static_cast<std::int64_t>(bufferPos_);
  std::int64_t target;
  if (origin == SeekOrigin::Begin) {
    target = offset;
  } else if (origin == SeekOrigin::Current) {
    target = logical + offset;
  } else {
    std::int64_t end = size();
    if (end < 0) return false;
    target = end + offset;
  }
  if (target < 0) return false;
  if (!writing_ && target >= bufferStart_ &&
      target <= bufferStart_ + static_cast<std::int64_t>(bufferLength_)) {
    bufferPos_ = static_cast<std::size_t>(target - bufferStart_);
    return true;
  }
  if (!flushWrites()) return false;
  atEnd_ = false;
  if (!file_.seek(target, SeekOrigin::Begin)) return false;
  bufferStart_ = target;
  bufferPos_ = 0;
  bufferLength_ = 0;
  return true;
}

std::int64_t FileStream::position() {
  if (!file_.isOpen()) return -1;
  return bufferStart_ + static_cast<std::int64_t>(bufferPos_);
}

std::int64_t FileStream::size() {
  if (!file_.isOpen()) return -1;
  if (writing_ && !flushWrites()) return -1;
  return file_.size();
}

bool FileStream::truncate() {
  if (!file_.isOpen()) return false;
  if (writing_) {
    if (!flushWrites()) return false;
  } else if (!syncFilePosition()) {
    return false;
  }
  return file_.truncate();
}

bool FileStream::flush() { return flushWrites(); }

bool FileStream::flushToDisk() { return flushWrites() && file_.flushToDisk(); }

bool FileStream::close() {
  bool ok = flushWrites();
  ok = file_.close() && ok;
  return ok;
}

}  // namespace verbarium
