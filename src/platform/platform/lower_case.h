#pragma once
// The one lower-case mapping of the program, for case-insensitive search and
// keyword matching: simple mapping, no other folding or normalisation.
// Windows uses CharLowerBuffW, which also lowers letters outside the BMP
// given as surrogate pairs; Linux uses a table taken from the C library's
// Unicode data, which the tests compare with CharLowerW under Wine.

#include <array>
#include <string>
#include <string_view>

namespace verbarium {

std::u16string toLowerCase(std::u16string_view text);
void lowerCaseInPlace(std::u16string& text);

// The table's mapping, on every platform.
void tableLowerCaseInPlace(std::u16string& text);

// Every unit lowered on its own, as lowerCaseInPlace lowers it where it is
// no half of a surrogate pair; the surrogates stand for themselves. A search
// over a whole table compares through it instead of lowering a copy of each
// text.
using LowerCaseUnitMap = std::array<char16_t, 0x10000>;
const LowerCaseUnitMap& lowerCaseUnitMap();
const LowerCaseUnitMap& tableLowerCaseUnitMap();

}  // namespace verbarium
