#include "platform/utf.h"

#include <string>

namespace verbarium {

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      char32_t cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      appendUtf8(out, cp);
      ++i;
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::u16string fromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  auto isCont = [&](std::size_t k) { return k < n && (byteAt(k) & 0xC0) == 0x80; };
  while (i < n) {
    unsigned char b = byteAt(i);
    char32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if (b >= 0xC2 && b <= 0xDF && isCont(i + 1)) {
      cp = ((b & 0x1F) << 6) | (byteAt(i + 1) & 0x3F);
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF && isCont(i + 1) && isCont(i + 2)) {
      cp = ((b & 0x0F) << 12) | ((byteAt(i + 1) & 0x3F) << 6) | (byteAt(i + 2) & 0x3F);
      if (cp >= 0x800) len = 3; else cp = 0xFFFD;
    } else if (b >= 0xF0 && b <= 0xF4 && isCont(i + 1) && isCont(i + 2) && isCont(i + 3)) {
      cp = ((b & 0x07) << 18) | ((byteAt(i + 1) & 0x3F) << 12) | ((byteAt(i + 2) & 0x3F) << 6) |
           (byteAt(i + 3) & 0x3F);
      if (cp >= 0x10000 && cp <= 0x10FFFF) len = 4; else cp = 0xFFFD;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::u16string asciiToUtf16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string withDecimal(std::u16string_view pattern, long long number) {
  std::u16string text(pattern);
  auto at = text.find(u"%d");
  if (at != std::u16string::npos) text.replace(at, 2, asciiToUtf16(std::to_string(number)));
  return text;
}

}  // namespace verbarium
