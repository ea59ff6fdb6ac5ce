#include <algorithm>
#include <array>
#include <memory>

#include "platform/lower_case.h"

namespace verbarium {

namespace {

struct CodePointPair {
  char32_t codePoint;
  char32_t lower;
};

constexpr CodePointPair kLowerCasePairs[] = {
#include "platform/lower_case_table.inc"
};

constexpr auto kFirstSupplementary =
    std::find_if(std::begin(kLowerCasePairs), std::end(kLowerCasePairs),
                 [](const CodePointPair& pair) { return pair.codePoint >= 0x10000; });

char32_t lowerSupplementary(char32_t codePoint) {
  auto found = std::lower_bound(kFirstSupplementary, std::end(kLowerCasePairs), codePoint,
                                [](const CodePointPair& pair, char32_t cp) { return pair.codePoint < cp; });
  return found != std::end(kLowerCasePairs) && found->codePoint == codePoint ? found->lower : codePoint;
}

}  // namespace

// Search runs over every text of a table: the BMP, where nearly all text
// lives, goes through a flat map.
const LowerCaseUnitMap& tableLowerCaseUnitMap() {
  static const auto map = [] {
    auto table = std::make_unique<LowerCaseUnitMap>();
    for (unsigned u = 0; u < 0x10000; ++u) (*table)[u] = static_cast<char16_t>(u);
    for (auto pair = std::begin(kLowerCasePairs); pair != kFirstSupplementary; ++pair) {
      (*table)[pair->codePoint] = static_cast<char16_t>(pair->lower);
    }
    return table;
  }();
  return *map;
}

void tableLowerCaseInPlace(std::u16string& text) {
  const auto& map = tableLowerCaseUnitMap();
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (!pair) {
      text[i] = map[unit];
      continue;
    }
    char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    char32_t lower = lowerSupplementary(cp) - 0x10000;
    text[i] = static_cast<char16_t>(0xD800 + (lower >> 10));
    text[i + 1] = static_cast<char16_t>(0xDC00 + (lower & 0x3FF));
    ++i;
  }
}

}  // namespace verbarium
