#pragma once
// Little-endian fields of the file formats and the archive container.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace verbarium {

// Texts are copied between files and memory as raw UTF-16LE units.
static_assert(std::endian::native == std::endian::little, "the formats are read on little-endian machines");

inline std::uint16_t loadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline void storeLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::uint32_t loadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void storeLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// The same on a field of a fixed-size record, as wide as the value: a
// field that does not lie within the record does not compile.
template <std::size_t Offset, typename Field, std::size_t Size>
void loadLeField(std::span<const std::uint8_t, Size> record, Field& value) {
  static_assert(std::is_same_v<Field, std::uint16_t> || std::is_same_v<Field, std::uint32_t>);
  const std::uint8_t* p = record.template subspan<Offset, sizeof(Field)>().data();
  if constexpr (sizeof(Field) == 2) {
    value = loadLe16(p);
  } else {
    value = loadLe32(p);
  }
}

template <std::size_t Offset, typename Field, std::size_t Size>
void storeLeField(std::span<std::uint8_t, Size> record, Field value) {
  static_assert(std::is_same_v<Field, std::uint16_t> || std::is_same_v<Field, std::uint32_t>);
  std::uint8_t* p = record.template subspan<Offset, sizeof(Field)>().data();
  if constexpr (sizeof(Field) == 2) {
    storeLe16(p, value);
  } else {
    storeLe32(p, value);
  }
}

}  // namespace verbarium
