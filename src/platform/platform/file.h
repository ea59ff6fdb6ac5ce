#pragma once
// An open file: the one owner of a native handle. Unbuffered; FileStream
// puts a buffer in front of it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace verbarium {

using Path = std::u16string;

enum class SeekOrigin { Begin, Current, End };

class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  // Existing file, reading only; others may read it meanwhile.
  static File openForReading(const Path& path);
  // The same, for a regular file only: fails on a link (it is not followed),
  // a directory, a pipe or a device, and never waits for a writer to come.
  static File openRegularForReading(const Path& path);
  // Existing file, reading and writing.
  static File openForReadWrite(const Path& path);
  // Creates the file, or empties an existing one.
  static File createAlways(const Path& path);
  // Creates the file; fails when it exists (temporary files).
  static File createNew(const Path& path);

  bool isOpen() const { return handle_ != kInvalid; }

  // The count read, 0 at the end of the file, or -1 when the read failed.
  std::int64_t read(void* buffer, std::size_t size);
  // The count written, or -1 when the write failed.
  std::int64_t write(const void* data, std::size_t size);
  bool seek(std::int64_t offset, SeekOrigin origin);
  // -1 when unknown.
  std::int64_t position() const;
  std::int64_t size() const;
  // Cuts the file at the current position.
  bool truncate();
  // Puts what was written on the disk itself, not only in the cache.
  [[nodiscard]] bool flushToDisk();
  bool close();

 private:
  static constexpr std::intptr_t kInvalid = -1;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kInvalid;
};

}  // namespace verbarium
