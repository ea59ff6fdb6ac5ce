#include "archive_format.h"

namespace cratework {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isPlainSuffixCharacter(char c) {
  return isAsciiDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.' ||
         c == ' ';
}

}  // namespace

bool isPlainTableName(std::string_view name) {
  constexpr std::string_view kPattern = "0000-0000_0_0";
  if (name.size() < kPattern.size() || name.size() > kMaxNameLength) return false;
  for (std::size_t i = 0; i < kPattern.size(); ++i) {
    if (kPattern[i] == '0' ? !isAsciiDigit(name[i]) : name[i] != kPattern[i]) return false;
  }
  for (char c : name.substr(kPattern.size())) {
    if (!isPlainSuffixCharacter(c)) return false;
  }
  return name.find("..") == std::string_view::npos && name.back() != '.' && name.back() != ' ';
}

bool isUnpackedFileName(std::string_view fileName) {
  for (std::string_view extension : {std::string_view(".dat"), std::string_view(".zlib")}) {
    if (fileName.size() > extension.size() && fileName.substr(fileName.size() - extension.size()) == extension &&
        isPlainTableName(fileName.substr(0, fileName.size() - extension.size()))) {
      return true;
    }
  }
  return false;
}

std::string tableNameOfDatFile(std::u16string_view fileName) {
  constexpr std::u16string_view kExtension = u".dat";
  if (fileName.size() <= kExtension.size() || fileName.substr(fileName.size() - kExtension.size()) != kExtension) {
    return {};
  }
  std::string name;
  for (char16_t c : fileName.substr(0, fileName.size() - kExtension.size())) {
    if (c >= 0x80) return {};
    name.push_back(static_cast<char>(c));
  }
  return isPlainTableName(name) ? name : std::string();
}

}  // namespace cratework
