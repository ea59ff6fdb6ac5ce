#pragma once
// Finding one UTF-16 unit in a long text four units at a time: tables and
// exchange files are scanned whole for zeros and line ends on every read,
// and a unit-by-unit loop is what those reads would spend their time on.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace verbarium {

inline std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from = 0) {
  constexpr std::uint64_t kLowBits = 0x0001000100010001ull;
  constexpr std::uint64_t kHighBits = 0x8000800080008000ull;
  const std::uint64_t pattern = kLowBits * unit;
  std::size_t i = from;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    word ^= pattern;
    // A lane is zero exactly where the unit stands; this flags such lanes
    // (and never misses one), the loop below tells which.
    if (((word - kLowBits) & ~word & kHighBits) != 0) break;
  }
  for (; i < text.size(); ++i) {
    if (text[i] == unit) return i;
  }
  return std::u16string_view::npos;
}

// The first unit above 0x00FF from `from` on, four units at a time: the
// marker-delimited layout ends a text at such a unit.
inline std::size_t findUnitAbove00FF(std::u16string_view text, std::size_t from = 0) {
  constexpr std::uint64_t kHighBytes = 0xFF00FF00FF00FF00ull;
  std::size_t i = from;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if ((word & kHighBytes) != 0) break;
  }
  for (; i < text.size(); ++i) {
    if (text[i] > 0x00FF) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace verbarium
