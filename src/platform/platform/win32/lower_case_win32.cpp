#include <windows.h>

#include <limits>

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

std::u16string toLowerCase(std::u16string_view text) {
  std::u16string lower(text);
  lowerCaseInPlace(lower);
  return lower;
}

}  // namespace verbarium
