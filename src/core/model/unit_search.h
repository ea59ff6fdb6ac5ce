#pragma once
// Finding UTF-16 units in a long text many units at a time: tables and
// exchange files are scanned whole for zeros and line ends on every read,
// and a unit-by-unit loop is what those reads would spend their time on.
// Eight units at once where the processor has SSE2 (every x86-64 one), four
// at once in a 64-bit word elsewhere.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace verbarium {

namespace unit_search_detail {

#if defined(__SSE2__)
inline __m128i load8(const char16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
// Two bits per unit, set where `matches` holds all ones.
inline unsigned maskOf(__m128i matches) { return static_cast<unsigned>(_mm_movemask_epi8(matches)); }
#endif

}  // namespace unit_search_detail

inline std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from = 0) {
  std::size_t i = from;
#if defined(__SSE2__)
  using namespace unit_search_detail;
  const __m128i pattern = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= text.size(); i += 8) {
    if (const unsigned mask = maskOf(_mm_cmpeq_epi16(load8(text.data() + i), pattern)); mask != 0) {
      return i + static_cast<std::size_t>(std::countr_zero(mask)) / 2;
    }
  }
#else
  constexpr std::uint64_t kLowBits = 0x0001000100010001ull;
  constexpr std::uint64_t kHighBits = 0x8000800080008000ull;
  const std::uint64_t pattern = kLowBits * unit;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    word ^= pattern;
    // A lane is zero exactly where the unit stands; this flags such lanes
    // (and never misses one), the loop below tells which.
    if (((word - kLowBits) & ~word & kHighBits) != 0) break;
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] == unit) return i;
  }
  return std::u16string_view::npos;
}

// The first unit above 0x00FF from `from` on: the marker-delimited layout
// ends a text at such a unit.
inline std::size_t findUnitAbove00FF(std::u16string_view text, std::size_t from = 0) {
  std::size_t i = from;
#if defined(__SSE2__)
  using namespace unit_search_detail;
  const __m128i highBytes = _mm_set1_epi16(static_cast<short>(0xFF00));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i high = _mm_and_si128(load8(text.data() + i), highBytes);
    if (const unsigned mask = ~maskOf(_mm_cmpeq_epi16(high, zero)) & 0xFFFF; mask != 0) {
      return i + static_cast<std::size_t>(std::countr_zero(mask)) / 2;
    }
  }
#else
  constexpr std::uint64_t kHighBytes = 0xFF00FF00FF00FF00ull;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if ((word & kHighBytes) != 0) break;
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] > 0x00FF) return i;
  }
  return std::u16string_view::npos;
}

// A table's text as it is kept: the units before its first U+0000.
inline std::u16string_view beforeZero(std::u16string_view text) { return text.substr(0, findUnit(text, u'\0')); }

}  // namespace verbarium
