#include <windows.h>

#include <limits>
#include <memory>

#include "platform/lower_case.h"

namespace verbarium {

void lowerCaseInPlace(std::u16string& text) {
  auto* units = reinterpret_cast<wchar_t*>(text.data());
  std::size_t left = text.size();
  while (left > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, std::numeric_limits<DWORD>::max() / 2));
    ::CharLowerBuffW(units, chunk);
    units += chunk;
    left -= chunk;
  }
}

const LowerCaseUnitMap& lowerCaseUnitMap() {
  static const auto map = [] {
    auto units = std::make_unique<LowerCaseUnitMap>();
    for (unsigned u = 0; u < units->size(); ++u) (*units)[u] = static_cast<char16_t>(u);
    // Two calls for the whole map; the surrogates between them would pair up.
    auto* all = reinterpret_cast<wchar_t*>(units->data());
    ::CharLowerBuffW(all, 0xD800);
    ::CharLowerBuffW(all + 0xE000, 0x2000);
    return units;
  }();
  return *map;
}

std::u16string toLowerCase(std::u16string_view text) {
  std::u16string lower(text);
  lowerCaseInPlace(lower);
  return lower;
}

}  // namespace verbarium
