#pragma once
// The one lower-case mapping of the program, for case-insensitive search and
// keyword matching: simple mapping, no other folding or normalisation.
// Windows uses CharLowerBuffW, which also lowers letters outside the BMP
// given as surrogate pairs; Linux uses a table taken from the C library's
// Unicode data, which the tests compare with CharLowerW under Wine.

#include <string>
#include <string_view>

namespace verbarium {

std::u16string toLowerCase(std::u16string_view text);
void lowerCaseInPlace(std::u16string& text);

// The table's mapping, on every platform.
void tableLowerCaseInPlace(std::u16string& text);

}  // namespace verbarium
