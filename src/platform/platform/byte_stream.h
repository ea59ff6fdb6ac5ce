#pragma once
// The seekable byte stream that every reader and writer of the formats works
// on. Reads may come back short: a reader treats a short read of a field the
// way the format says, never as an error of the stream.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file.h"

namespace verbarium {

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // The count read (fewer than asked only at the end), or -1 when the read failed.
  virtual std::int64_t read(void* buffer, std::size_t size) = 0;
  // False when the bytes did not all reach the stream, now or in an earlier
  // write whose failure only showed when the buffer went out.
  virtual bool write(const void* data, std::size_t size) = 0;
  virtual bool seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual std::int64_t position() = 0;
  virtual std::int64_t size() = 0;
  // Cuts the stream at the current position.
  virtual bool truncate() = 0;
  // Hands buffered writes on; false when any write so far failed.
  virtual bool flush() = 0;
};

// A stream over bytes in memory: the tests and the fuzz targets read and
// write tables through it.
class MemoryStream final : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemoryStream(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}

  std::int64_t read(void* buffer, std::size_t size) override;
  bool write(const void* data, std::size_t size) override;
  bool seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t position() override { return static_cast<std::int64_t>(position_); }
  std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }
  bool truncate() override;
  bool flush() override { return true; }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace verbarium
