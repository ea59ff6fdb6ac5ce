#include "support/test_bytes.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "platform/file.h"

namespace verbarium::test {

Bytes hex(std::string_view text) {
  Bytes out;
  int pending = -1;
  for (char c : text) {
    int value;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    else continue;
    if (pending < 0) {
      pending = value;
    } else {
      out.push_back(static_cast<std::uint8_t>(pending << 4 | value));
      pending = -1;
    }
  }
  if (pending >= 0) throw std::invalid_argument("odd number of hex digits");
  return out;
}

Bytes utf16le(std::u16string_view text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(static_cast<std::uint8_t>(unit));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::string toHex(const Bytes& bytes) {
  std::string out;
  char buffer[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02x ", b);
    out += buffer;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

Bytes readFileBytes(const std::u16string& path) {
  File file = File::openForReading(path);
  if (!file.isOpen()) throw std::runtime_error("cannot open test file");
  Bytes out;
  std::uint8_t buffer[65536];
  for (;;) {
    std::int64_t got = file.read(buffer, sizeof buffer);
    if (got <= 0) break;
    out.insert(out.end(), buffer, buffer + got);
  }
  return out;
}

void writeFileBytes(const std::u16string& path, const Bytes& bytes) {
  File file = File::createAlways(path);
  if (!file.isOpen() || file.write(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())) {
    throw std::runtime_error("cannot write test file");
  }
}

}  // namespace verbarium::test
