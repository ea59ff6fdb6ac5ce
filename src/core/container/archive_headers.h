#pragma once
// The archive container (docs/archive-format.md describes it byte by byte):
// a 12-byte archive header, then the entries one after another, each a
// 16-byte entry header, its name and its zlib stream. The packer writes and
// reads it; the program only looks at its signature.
//
// Decoding only splits the bytes into fields: whether the values are
// acceptable, and why not, is the reader's to say.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace verbarium {

inline constexpr std::array<std::uint8_t, 4> kArchiveSignature = {0x12, 0xDD, 0x72, 0xDD};
inline constexpr std::uint16_t kArchiveFormatVersion = 1;

// Caps on what an archive may ask for. A game's text archive holds a few
// dozen tables of at most a few megabytes each; these leave ample room and
// bound what a hostile archive can make the packer write.
inline constexpr std::uint32_t kMaxEntries = 10000;
inline constexpr std::uint32_t kMaxEntrySize = 256u * 1024 * 1024;
inline constexpr std::size_t kMaxNameLength = 64;

struct ArchiveHeader {
  static constexpr std::size_t kSignatureOffset = 0;
  static constexpr std::size_t kVersionOffset = 4;
  static constexpr std::size_t kFlagsOffset = 6;
  static constexpr std::size_t kEntryCountOffset = 8;
  static constexpr std::size_t kEncodedSize = 12;

  std::array<std::uint8_t, 4> signature = kArchiveSignature;
  std::uint16_t version = kArchiveFormatVersion;
  std::uint16_t flags = 0;
  std::uint32_t entryCount = 0;

  void encodeTo(std::span<std::uint8_t, kEncodedSize> bytes) const;
  static ArchiveHeader decodeFrom(std::span<const std::uint8_t, kEncodedSize> bytes);
  bool operator==(const ArchiveHeader&) const = default;
};

// Followed in the archive by `nameLength` bytes of name and `storedSize`
// bytes of zlib stream.
struct EntryHeader {
  static constexpr std::size_t kNameLengthOffset = 0;
  static constexpr std::size_t kFlagsOffset = 2;
  static constexpr std::size_t kSizeOffset = 4;
  static constexpr std::size_t kStoredSizeOffset = 8;
  static constexpr std::size_t kCrcOffset = 12;
  static constexpr std::size_t kEncodedSize = 16;

  std::uint16_t nameLength = 0;
  std::uint16_t flags = 0;
  std::uint32_t size = 0;        // of the table
  std::uint32_t storedSize = 0;  // of the zlib stream
  std::uint32_t crc = 0;         // CRC-32 of the table

  void encodeTo(std::span<std::uint8_t, kEncodedSize> bytes) const;
  static EntryHeader decodeFrom(std::span<const std::uint8_t, kEncodedSize> bytes);
  bool operator==(const EntryHeader&) const = default;
};

}  // namespace verbarium
