#pragma once
// The packer's archive container (docs/archive-format.md describes it byte
// by byte): a 12-byte archive header, then the entries one after another,
// each a 16-byte entry header, its name and its zlib stream. All numbers are
// little-endian.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cratework {

inline constexpr std::array<std::uint8_t, 4> kSignature = {0x12, 0xDD, 0x72, 0xDD};
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kArchiveHeaderSize = 12;
inline constexpr std::size_t kEntryHeaderSize = 16;

// Caps on what an archive may ask for. A game's text archive holds a few
// dozen tables of at most a few megabytes each; these leave ample room and
// bound what a hostile archive can make the packer write.
inline constexpr std::uint32_t kMaxEntries = 10000;
inline constexpr std::uint32_t kMaxEntrySize = 256u * 1024 * 1024;
inline constexpr std::size_t kMaxNameLength = 64;

struct EntryInfo {
  std::string name;  // a plain table name, ASCII, without ".dat"
  std::uint32_t size = 0;        // of the table
  std::uint32_t storedSize = 0;  // of the zlib stream
  std::uint32_t crc = 0;         // CRC-32 of the table
  std::int64_t dataOffset = 0;   // where the zlib stream begins
};

// A name that can only ever make a file in the directory it is unpacked in:
// 13 characters "0000-0000_0_0" (ASCII digits), then at most 51 more of
// letters, digits, '-', '_', '.' and blanks, neither "..", nor a final '.'
// or blank (which Windows would drop). It excludes separators, drive
// letters, device names and control characters by construction.
bool isPlainTableName(std::string_view name);

// True for the two files an entry unpacks to: "<name>.dat" and "<name>.zlib".
bool isUnpackedFileName(std::string_view fileName);

// The entry name of a file name "<name>.dat", or empty when it is none.
std::string tableNameOfDatFile(std::u16string_view fileName);

}  // namespace cratework
