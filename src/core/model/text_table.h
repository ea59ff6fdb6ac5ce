#pragma once
// One .dat text table in memory: the header word kept verbatim and the
// entries in file order. After a read only texts change, so writing the
// table back reproduces every key and the order of the file.
//
// A table is compact however small its records: each entry is stored as the
// bytes of its record (key, 32-bit length, text units) in large blocks, and
// the entry index holds one pointer and the key's length per entry. A table
// of ten-byte records needs about twice its file in memory, not ten times.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verbarium {

inline constexpr std::size_t KeyCapacity = 64;
// The text buffer of the classic readers: 1023 units and a terminating zero.
// Our readers take longer texts whole; editing uses it as its cut.
inline constexpr std::size_t TextBufferUnits = 1024;

// How a .dat file's records are laid out, as the sniffing tells it.
enum class DatLayout : int {
  ReadFailed = -2,
  UnknownFormat = -1,
  Empty = 0,
  DwordRunKey = 1,
  CountedKey = 2,
  SixByteKey = 3,
  SevenByteKey = 4,
  MarkerDelimited = 5,
};

class TextTable {
 public:
  std::uint32_t header = 0;
  // The layout the table was read in; the writer keeps to it.
  DatLayout layout = DatLayout::Empty;
  // The bytes from the end of the last whole record to the end of the file,
  // which no record could be read from: written back unchanged, so that a
  // save never drops what it did not understand.
  std::vector<std::uint8_t> trailingBytes;

  TextTable();
  TextTable(TextTable&&) noexcept;
  TextTable& operator=(TextTable&&) noexcept;
  TextTable(const TextTable& other);
  TextTable& operator=(const TextTable& other);
  ~TextTable();

  int count() const { return count_; }

  // Each throws std::out_of_range for an index outside the table.
  std::span<const std::uint8_t> key(int index) const;
  // Never holds a U+0000 unit.
  std::u16string_view text(int index) const;
  // Keeps the units before the first U+0000, if there is one.
  void setText(int index, std::u16string_view text);
  // The same text into every entry named, all or none: when memory runs out
  // (std::bad_alloc) or an index is outside the table, no entry has changed.
  void setTexts(std::span<const int> indices, std::u16string_view text);

  // `key` has at most KeyCapacity bytes; the text is cut at its first U+0000.
  void append(std::span<const std::uint8_t> key, std::u16string_view text);

  // The record as the length-prefixed layouts store it: the key, the text's
  // length as a 32-bit little-endian word, the text units. One piece of
  // memory, so the writer hands it on in one call.
  std::span<const std::uint8_t> record(int index) const;

 private:
  struct Block;
  struct Arena;

  std::uint8_t* item(int index) const;
  std::uint8_t keyLength(int index) const;
  std::uint8_t* allocateRecord(std::size_t keyBytes, std::size_t units);
  void store(int index, std::uint8_t* at, std::span<const std::uint8_t> key, std::u16string_view text);

  std::vector<std::unique_ptr<Block>> blocks_;
  std::unique_ptr<Arena> arena_;
  int count_ = 0;
};

}  // namespace verbarium
