#include "workbench/entry_checks.h"

#include <algorithm>
#include <array>

#include "formats/dat_format.h"
#include "model/unit_search.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

bool holdsCrLf(std::u16string_view text) {
  for (std::size_t at = findUnit(text, u'\r'); at != std::u16string_view::npos; at = findUnit(text, u'\r', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == u'\n') return true;
  }
  return false;
}

bool isAsciiDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }
bool isAsciiLetter(char16_t unit) { return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'); }

// Past the digits from `at`.
std::size_t skipDigits(std::u16string_view text, std::size_t at) {
  while (at < text.size() && isAsciiDigit(text[at])) ++at;
  return at;
}

// The end of the specifier that starts with the '%' at `at`, or npos.
std::size_t specifierEnd(std::u16string_view text, std::size_t at) {
  std::size_t next = at + 1;
  const std::size_t digits = skipDigits(text, next);
  if (digits > next && digits < text.size() && text[digits] == u'$') next = digits + 1;
  while (next < text.size() && std::u16string_view(u"-+ #0'").find(text[next]) != std::u16string_view::npos) ++next;
  if (next < text.size() && text[next] == u'*') {
    ++next;
  } else {
    next = skipDigits(text, next);
  }
  if (next < text.size() && text[next] == u'.') {
    ++next;
    if (next < text.size() && text[next] == u'*') {
      ++next;
    } else {
      next = skipDigits(text, next);
    }
  }
  if (next < text.size() && isAsciiLetter(text[next])) return next + 1;
  return std::u16string_view::npos;
}

void sortTokens(std::vector<std::u16string_view>& tokens) { std::sort(tokens.begin(), tokens.end()); }

std::u16string listed(const std::vector<std::u16string_view>& tokens) {
  if (tokens.empty()) return u"none";
  std::u16string text;
  for (std::u16string_view token : tokens) {
    if (!text.empty()) text += u' ';
    text += token;
  }
  return text;
}

std::u16string differ(std::string_view what, const std::vector<std::u16string_view>& original,
                      const std::vector<std::u16string_view>& current) {
  return asciiToUtf16(what) + u" differ: original " + listed(original) + u", translation " + listed(current);
}

std::u16string_view leadingSpace(std::u16string_view text) {
  std::size_t n = 0;
  while (n < text.size() && isWhiteSpace(text[n])) ++n;
  return text.substr(0, n);
}

std::u16string_view trailingSpace(std::u16string_view text) {
  std::size_t n = text.size();
  while (n > 0 && isWhiteSpace(text[n - 1])) --n;
  return text.substr(n);
}

// Letters of the scripts a game text may be written in, beyond ASCII: Latin
// with its accents, Greek, Cyrillic, the kana, the CJK ideographs, Hangul
// and the full-width Latin letters.
constexpr std::array<std::pair<char16_t, char16_t>, 13> kLetterRanges = {{
    {0x00C0, 0x00D6}, {0x00D8, 0x00F6}, {0x00F8, 0x024F}, {0x0370, 0x03FF}, {0x0400, 0x052F},
    {0x3041, 0x30FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
    {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A}, {0xFF66, 0xFF9D},
}};

bool isLetter(char16_t unit) {
  if (isAsciiLetter(unit)) return true;
  return std::any_of(kLetterRanges.begin(), kLetterRanges.end(),
                     [unit](const auto& range) { return unit >= range.first && unit <= range.second; });
}

CheckFinding warning(int entry, std::string_view check, std::u16string message) {
  return {entry, check, CheckSeverity::Warning, std::move(message)};
}

}  // namespace

void formatSpecifiers(std::u16string_view text, std::vector<std::u16string_view>& found) {
  found.clear();
  for (std::size_t at = findUnit(text, u'%'); at != std::u16string_view::npos; at = findUnit(text, u'%', at)) {
    if (at + 1 < text.size() && text[at + 1] == u'%') {
      at += 2;
      continue;
    }
    const std::size_t end = specifierEnd(text, at);
    if (end == std::u16string_view::npos) {
      ++at;
      continue;
    }
    found.push_back(text.substr(at, end - at));
    at = end;
  }
}

void tagTokens(std::u16string_view text, std::vector<std::u16string_view>& found) {
  static constexpr std::u16string_view kOpen = u"{<[";
  static constexpr std::u16string_view kClose = u"}>]";
  std::array<std::size_t, 3> open;
  open.fill(std::u16string_view::npos);
  found.clear();
  // Most texts hold no tag at all: three quick scans tell.
  std::size_t first = text.size();
  for (char16_t unit : kOpen) first = std::min(first, findUnit(text, unit));
  if (first == text.size() || first == std::u16string_view::npos) return;
  for (std::size_t i = first; i < text.size(); ++i) {
    if (const std::size_t kind = kOpen.find(text[i]); kind != std::u16string_view::npos) {
      // A later opening makes any token around it not the innermost.
      open[kind] = i;
    } else if (const std::size_t closing = kClose.find(text[i]); closing != std::u16string_view::npos) {
      if (open[closing] == std::u16string_view::npos) continue;
      found.push_back(text.substr(open[closing], i + 1 - open[closing]));
      open[closing] = std::u16string_view::npos;
    }
  }
}

int countLineBreaks(std::u16string_view text) {
  int breaks = 0;
  for (std::size_t at = findUnit(text, u'\n'); at != std::u16string_view::npos; at = findUnit(text, u'\n', at + 1)) {
    ++breaks;
  }
  // A CR counts unless an LF follows it, which counted already.
  for (std::size_t at = findUnit(text, u'\r'); at != std::u16string_view::npos; at = findUnit(text, u'\r', at + 1)) {
    if (at + 1 == text.size() || text[at + 1] != u'\n') ++breaks;
  }
  return breaks;
}

bool isWhiteSpace(char16_t unit) {
  return (unit >= 0x0009 && unit <= 0x000D) || unit == 0x0020 || unit == 0x0085 || unit == 0x00A0 || unit == 0x1680 ||
         (unit >= 0x2000 && unit <= 0x200A) || unit == 0x2028 || unit == 0x2029 || unit == 0x202F || unit == 0x205F ||
         unit == 0x3000;
}

bool holdsLetter(std::u16string_view text) { return std::any_of(text.begin(), text.end(), isLetter); }

std::vector<CheckFinding> checkTable(const TextTable& current) {
  std::vector<CheckFinding> findings;
  std::vector<int> cannotHold = entriesLayoutCannotHold(current);
  auto nextCannotHold = cannotHold.begin();
  for (int i = 0; i < current.count(); ++i) {
    if (nextCannotHold != cannotHold.end() && *nextCannotHold == i) {
      ++nextCannotHold;
      findings.push_back({i, check_names::kLayout, CheckSeverity::Error,
                          u"the table's layout cannot store this text: it would not read back as it is"});
    }
    if (holdsCrLf(current.text(i))) {
      findings.push_back({i, check_names::kCrLf, CheckSeverity::Error,
                          u"the text holds CR LF, which an exchange file cannot carry"});
    }
  }
  return findings;
}

void checkAgainstOriginal(int entry, std::u16string_view current, std::u16string_view original,
                          std::vector<CheckFinding>& findings) {
  if (current == original) {
    if (holdsLetter(original)) findings.push_back(warning(entry, check_names::kUntranslated, u"not translated"));
    return;
  }
  // Kept between calls: a check of a whole edition allocates them once.
  thread_local std::vector<std::u16string_view> before;
  thread_local std::vector<std::u16string_view> after;
  const auto compare = [&](void (*tokens)(std::u16string_view, std::vector<std::u16string_view>&),
                           std::string_view check, std::string_view what) {
    tokens(original, before);
    tokens(current, after);
    if (before.size() == after.size() && std::equal(before.begin(), before.end(), after.begin())) return;
    sortTokens(before);
    sortTokens(after);
    if (before != after) findings.push_back(warning(entry, check, differ(what, before, after)));
  };
  compare(formatSpecifiers, check_names::kFormat, "format specifiers");
  compare(tagTokens, check_names::kTags, "tags");
  const int breaksBefore = countLineBreaks(original);
  const int breaksAfter = countLineBreaks(current);
  if (breaksBefore != breaksAfter) {
    findings.push_back(warning(entry, check_names::kLineBreaks,
                               asciiToUtf16("line breaks differ: original " + std::to_string(breaksBefore) +
                                            ", translation " + std::to_string(breaksAfter))));
  }
  if (leadingSpace(original) != leadingSpace(current) || trailingSpace(original) != trailingSpace(current)) {
    findings.push_back(warning(entry, check_names::kWhiteSpace, u"leading or trailing white space differs"));
  }
}

std::vector<CheckFinding> checkTablePair(const TextTable& current, const TextTable& original) {
  std::vector<CheckFinding> errors = checkTable(current);
  std::vector<CheckFinding> findings;
  findings.reserve(errors.size());
  auto nextError = errors.begin();
  for (int i = 0; i < current.count(); ++i) {
    while (nextError != errors.end() && nextError->entry == i) findings.push_back(std::move(*nextError++));
    checkAgainstOriginal(i, current.text(i), original.text(i), findings);
  }
  return findings;
}

}  // namespace verbarium
