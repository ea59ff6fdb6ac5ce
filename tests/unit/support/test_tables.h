#pragma once
// The bytes of small .dat tables for tests that need a table on disk and do
// not care about its layout: six-byte keys 01.., 02.., and the given texts.

#include <string>
#include <vector>

#include "support/test_bytes.h"

namespace verbarium::test {

inline Bytes sixByteTable(const std::vector<std::u16string>& texts) {
  Bytes bytes = hex("0a 00 00 00");
  std::uint8_t n = 0;
  for (const auto& text : texts) {
    Bytes key = hex("00 00 00 00 03 00");
    key[0] = ++n;
    Bytes length = hex("00 00 00 00");
    length[0] = static_cast<std::uint8_t>(text.size());
    length[1] = static_cast<std::uint8_t>(text.size() >> 8);
    bytes = cat({bytes, key, length, utf16le(text)});
  }
  return bytes;
}

}  // namespace verbarium::test
