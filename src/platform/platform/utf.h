#pragma once
// Conversions between the program's UTF-16 texts and the UTF-8 of Linux
// paths, command lines and JSON output.

#include <string>
#include <string_view>

namespace verbarium {

// Lone surrogates are kept as three-byte sequences (WTF-8), so a path that
// came from UTF-16 goes to the file system and back unchanged.
std::string toUtf8(std::u16string_view text);

// Ill-formed bytes become U+FFFD, one per byte that cannot start a sequence.
// Three-byte encodings of surrogates are taken back as those code units.
std::u16string fromUtf8(std::string_view bytes);

// The ASCII subset of a literal, for messages that are built from numbers.
std::u16string asciiToUtf16(std::string_view ascii);

// A message with its first "%d" replaced by the number in decimal.
std::u16string withDecimal(std::u16string_view pattern, long long number);

}  // namespace verbarium
