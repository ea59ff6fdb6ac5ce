#pragma once
// The quality checks of a table's texts: errors that a save or an exchange
// file would refuse, and warnings where a translation parts from its
// original in what the game reads (format specifiers, tags, line breaks,
// surrounding blanks) or was not made at all.

#include <string>
#include <string_view>
#include <vector>

#include "model/text_table.h"

namespace verbarium {

enum class CheckSeverity { Error, Warning };

struct CheckFinding {
  int entry = 0;  // index in the table
  std::string_view check;
  CheckSeverity severity = CheckSeverity::Warning;
  std::u16string message;
};

namespace check_names {
inline constexpr std::string_view kLayout = "layout";
inline constexpr std::string_view kCrLf = "crlf";
inline constexpr std::string_view kFormat = "format";
inline constexpr std::string_view kTags = "tags";
inline constexpr std::string_view kLineBreaks = "line-breaks";
inline constexpr std::string_view kWhiteSpace = "white-space";
inline constexpr std::string_view kUntranslated = "untranslated";
}  // namespace check_names

// The checks that need the table alone, in entry order.
std::vector<CheckFinding> checkTable(const TextTable& current);

// The checks of one entry against its original.
void checkAgainstOriginal(int entry, std::u16string_view current, std::u16string_view original,
                          std::vector<CheckFinding>& findings);

// Both, for a table paired with its baseline, in entry order.
std::vector<CheckFinding> checkTablePair(const TextTable& current, const TextTable& original);

// Put into `found`, in order: the printf-style specifiers of a text ('%',
// an optional position "n$", flags, width and precision, then a letter;
// "%%" is none), and its innermost {...}, <...> and [...] tokens.
void formatSpecifiers(std::u16string_view text, std::vector<std::u16string_view>& found);
void tagTokens(std::u16string_view text, std::vector<std::u16string_view>& found);
// LF, CR LF and a lone CR each count once.
int countLineBreaks(std::u16string_view text);
// Unicode white space, U+3000 included.
bool isWhiteSpace(char16_t unit);
// Whether the text holds a letter of any script.
bool holdsLetter(std::u16string_view text);

}  // namespace verbarium
