#pragma once
// One .dat text table in memory: the header word kept verbatim and the
// entries in file order. After a read only texts change, so writing the
// table back reproduces every key and the order of the file.

#include <array>
#include <cstdint>
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

struct TextEntry {
  std::uint32_t keyLength = 0;
  // Bytes from keyLength on are zero.
  std::array<std::uint8_t, KeyCapacity> key{};
  // Never holds a U+0000 unit.
  std::u16string text;

  // Keeps the units before the first U+0000, if there is one.
  void setText(std::u16string_view newText);
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

  int count() const { return static_cast<int>(entries_.size()); }
  // Throws std::out_of_range for an index outside the table.
  TextEntry& at(int index);
  const TextEntry& at(int index) const;
  void append(const TextEntry& entry) { entries_.push_back(entry); }
  void append(TextEntry&& entry) { entries_.push_back(std::move(entry)); }
  void reserve(std::size_t entries) { entries_.reserve(entries); }

  const std::vector<TextEntry>& entries() const { return entries_; }

 private:
  std::vector<TextEntry> entries_;
};

}  // namespace verbarium
