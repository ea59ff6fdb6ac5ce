#pragma once
// The bytes of small .dat tables for tests that need a table on disk and do
// not care about its layout: six-byte keys 01.., 02.., and the given texts.

#include <string>
#include <vector>

#include "support/test_bytes.h"

namespace verbarium::test {

inline Bytes sixByteTable(const std::vector<std::u16string>& texts) {
  Bytes bytes = hex("0a 00 00 00");
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto units = static_cast<std::uint16_t>(texts[i].size());
    const Bytes keyAndLength = {static_cast<std::uint8_t>(i + 1), 0, 0, 0, 3, 0, static_cast<std::uint8_t>(units),
                                static_cast<std::uint8_t>(units >> 8), 0, 0};
    bytes = cat({bytes, keyAndLength, utf16le(texts[i])});
  }
  return bytes;
}

}  // namespace verbarium::test
