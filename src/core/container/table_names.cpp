#include "container/table_names.h"

#include "container/archive_headers.h"

namespace verbarium {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isPlainSuffixCharacter(char c) {
  return isAsciiDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.' ||
         c == ' ';
}

}  // namespace

bool isPlainTableName(std::string_view name) {
  if (name.size() > kMaxNameLength || !hasTableNamePrefix(name, isAsciiDigit)) return false;
  for (char c : name.substr(kTableNamePrefixShape.size())) {
    if (!isPlainSuffixCharacter(c)) return false;
  }
  return name.find("..") == std::string_view::npos && name.back() != '.' && name.back() != ' ';
}

bool isUnpackedFileName(std::string_view fileName) {
  for (std::string_view extension : {std::string_view(".dat"), std::string_view(".zlib")}) {
    if (fileName.size() > extension.size() && fileName.ends_with(extension) &&
        isPlainTableName(fileName.substr(0, fileName.size() - extension.size()))) {
      return true;
    }
  }
  return false;
}

std::string tableNameOfDatFile(std::u16string_view fileName) {
  constexpr std::u16string_view kExtension = u".dat";
  if (fileName.size() <= kExtension.size() || !fileName.ends_with(kExtension)) return {};
  std::string name;
  for (char16_t c : fileName.substr(0, fileName.size() - kExtension.size())) {
    if (c >= 0x80) return {};
    name.push_back(static_cast<char>(c));
  }
  return isPlainTableName(name) ? name : std::string();
}

std::string lowerAscii(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace verbarium
