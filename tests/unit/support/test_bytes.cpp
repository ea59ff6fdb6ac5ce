#include "support/test_bytes.h"

#include <cctype>
#include <stdexcept>

#include "platform/file.h"

namespace verbarium::test {

Bytes hex(std::string_view text) {
  Bytes out;
  std::string digits;
  bool quoted = false;
  for (char c : text) {
    if (c == '\'') {
      quoted = !quoted;
    } else if (quoted) {
      if (static_cast<unsigned char>(c) >= 0x80) throw std::invalid_argument("quoted text must be ASCII");
      out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
    } else if (std::isxdigit(static_cast<unsigned char>(c)) && (digits += c).size() == 2) {
      out.push_back(static_cast<std::uint8_t>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  if (!digits.empty() || quoted) throw std::invalid_argument("odd number of hex digits or an open quote");
  return out;
}

Bytes utf16le(std::u16string_view text) {
  Bytes out;
  for (char16_t unit : text) {
    out.insert(out.end(), {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8)});
  }
  return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::string toHex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) out += {' ', kDigits[b >> 4], kDigits[b & 15]};
  return out.empty() ? out : out.substr(1);
}

Bytes readFileBytes(const std::u16string& path) {
  File file = File::openForReading(path);
  if (!file.isOpen()) throw std::runtime_error("cannot open test file");
  Bytes out;
  std::uint8_t buffer[65536];
  for (std::int64_t got; (got = file.read(buffer, sizeof buffer)) > 0;) out.insert(out.end(), buffer, buffer + got);
  return out;
}

void writeFileBytes(const std::u16string& path, const Bytes& bytes) {
  File file = File::createAlways(path);
  if (!file.isOpen() || file.write(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())) {
    throw std::runtime_error("cannot write test file");
  }
}

}  // namespace verbarium::test
