#include "platform/lower_case.h"

namespace verbarium {

void lowerCaseInPlace(std::u16string& text) { tableLowerCaseInPlace(text); }

const LowerCaseUnitMap& lowerCaseUnitMap() { return tableLowerCaseUnitMap(); }

std::u16string toLowerCase(std::u16string_view text) {
  std::u16string lower(text);
  lowerCaseInPlace(lower);
  return lower;
}

}  // namespace verbarium
