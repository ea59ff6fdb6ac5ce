#pragma once
// Bytes in lower-case hex, two digits each: how keys are shown and named
// wherever a person or a script reads them.

#include <cstdint>
#include <span>
#include <string>

namespace verbarium {

inline std::string lowerHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace verbarium
