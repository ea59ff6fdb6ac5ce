#pragma once
// A buffered stream over a file, so that reading a table field by field costs
// one system call per 64 KiB rather than one per field.

#include <memory>

#include "platform/byte_stream.h"

namespace verbarium {

class FileStream final : public ByteStream {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // How far back a reader may seek after a refill at no cost.
  static constexpr std::size_t kKeepBack = 4 * 1024;

  explicit FileStream(File file);
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;
  // Pending writes go out; whoever must know whether they arrived calls flush().
  ~FileStream() override;

  bool isOpen() const { return file_.isOpen(); }

  std::int64_t read(void* buffer, std::size_t size) override;
  bool write(const void* data, std::size_t size) override;
  bool seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t position() override;
  std::int64_t size() override;
  bool truncate() override;
  bool flush() override;

  // Flushes and closes; false when anything written did not arrive.
  bool close();
  // For the atomic replace, which must reach the disk before the rename.
  bool flushToDisk();
  // The number of reads made of the file, for the benchmarks.
  std::size_t fileReads() const { return fileReads_; }

 private:
  bool flushWrites();
  // Puts the file's own position where the stream's logical position is.
  bool syncFilePosition();

  File file_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::size_t bufferLength_ = 0;  // bytes valid for reading
  std::size_t bufferPos_ = 0;     // cursor; while writing, the bytes pending
  bool writing_ = false;
  bool atEnd_ = false;  // a read met the end of the file since the last seek or write
  bool failed_ = false;
  std::size_t fileReads_ = 0;
};

}  // namespace verbarium
