#pragma once
// The names of the text tables: every table file's name begins with a
// 13-character prefix of the shape "0000-0000_0_0". The archive holds
// stricter names still (isPlainTableName); the program only needs the
// prefix to tell table files from the rest (IsTableFileName).

#include <cstddef>
#include <string>
#include <string_view>

namespace verbarium {

inline constexpr std::string_view kTableNamePrefixShape = "0000-0000_0_0";

// True when `name` begins with the prefix, each '0' of the shape a character
// that `isDigit` accepts and every other one the very same character.
template <typename Char, typename IsDigit>
constexpr bool hasTableNamePrefix(std::basic_string_view<Char> name, IsDigit isDigit) {
  if (name.size() < kTableNamePrefixShape.size()) return false;
  for (std::size_t i = 0; i < kTableNamePrefixShape.size(); ++i) {
    const char shape = kTableNamePrefixShape[i];
    if (shape == '0' ? !isDigit(name[i]) : name[i] != static_cast<Char>(shape)) return false;
  }
  return true;
}

// A name that can only ever make a file in the directory it is unpacked in:
// the prefix in ASCII digits, then at most 51 more of letters, digits, '-',
// '_', '.' and blanks, neither "..", nor a final '.' or blank (which Windows
// would drop). It excludes separators, drive letters, device names and
// control characters by construction.
bool isPlainTableName(std::string_view name);

// True for the two files an entry unpacks to: "<name>.dat" and "<name>.zlib".
bool isUnpackedFileName(std::string_view fileName);

// The entry name of a file name "<name>.dat", or empty when it is none.
std::string tableNameOfDatFile(std::u16string_view fileName);

// The name with ASCII letters in lower case. Windows takes names that
// differ in letter case alone for one file, so two tables, entries or
// targets are compared by this.
std::string lowerAscii(std::string_view name);

}  // namespace verbarium
