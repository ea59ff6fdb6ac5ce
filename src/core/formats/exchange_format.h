#pragma once
// The exchange file: a table's texts as UTF-16LE with a byte order mark, one
// text per CR LF line, in table order. It holds texts only, so an import can
// only replace the texts of a table that already exists.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_stream.h"

namespace verbarium {

enum class [[nodiscard]] ExchangeReadResult { Read, NoByteOrderMark, ReadFailed };

// Reads an exchange file's lines one after the other, through a window that
// grows only as far as the longest line needs: an import holds no more of
// the file than that, however large it is. The lines end at each CR LF;
// units after the last CR LF, a trailing half unit, and everything from the
// first U+0000 on are no line.
class ExchangeLineReader {
 public:
  // Reads from the stream's start; the window begins at `windowBytes`.
  explicit ExchangeLineReader(ByteStream& file, std::size_t windowBytes = 256 * 1024);
  ExchangeLineReader(const ExchangeLineReader&) = delete;
  ExchangeLineReader& operator=(const ExchangeLineReader&) = delete;

  // Reads the byte order mark. Without it no line is read: the first text
  // would otherwise lose its first unit.
  [[nodiscard]] ExchangeReadResult readMark();
  // The next line, valid until the next call. False at the end of the lines,
  // and when a read failed: failed() tells which.
  bool next(std::u16string_view& line);
  bool failed() const { return failed_; }

 private:
  std::u16string_view units() const { return {reinterpret_cast<const char16_t*>(buffer_.get()), unitsEnd_}; }
  bool readMore();

  ByteStream& file_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint64_t remaining_ = 0;  // bytes the file held when the mark was read, still to read
  std::size_t firstWindowBytes_;
  std::size_t capacity_ = 0;  // bytes
  std::size_t bytes_ = 0;  // read into the buffer, a half unit at the end included
  std::size_t unitsEnd_ = 0;  // the units that may hold lines
  std::size_t lineStart_ = 0;
  std::size_t scanned_ = 0;  // no line end before this unit since lineStart_
  bool marked_ = false;
  bool ended_ = false;  // the end of the file, or a U+0000: nothing more to read
  bool failed_ = false;
};

// Writes the byte order mark, then each text followed by CR LF, units as
// they are.
class ExchangeLineWriter {
 public:
  explicit ExchangeLineWriter(ByteStream& file);
  void add(std::u16string_view text);
  // False when a write failed or came back short.
  [[nodiscard]] bool finish();

 private:
  ByteStream& file_;
  bool ok_;
};

}  // namespace verbarium
