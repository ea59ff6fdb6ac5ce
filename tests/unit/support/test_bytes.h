#pragma once
// Writing the bytes of a test case out: hex strings and UTF-16LE texts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verbarium::test {

using Bytes = std::vector<std::uint8_t>;

// "36 01 00 00 'Sword'" -> the bytes, an ASCII text in single quotes as its
// UTF-16LE units; blanks and line breaks are ignored.
Bytes hex(std::string_view text);
// The UTF-16LE bytes of a text.
Bytes utf16le(std::u16string_view text);
// Concatenation of byte runs.
Bytes cat(std::initializer_list<Bytes> parts);
// The bytes as "36 01 00 00", for failure messages.
std::string toHex(const Bytes& bytes);

Bytes readFileBytes(const std::u16string& path);
void writeFileBytes(const std::u16string& path, const Bytes& bytes);

}  // namespace verbarium::test
