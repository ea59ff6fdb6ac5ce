#include "platform/wildcard.h"

namespace verbarium {

namespace {

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

bool matchesWildcard(std::u16string_view name, std::u16string_view pattern, LetterCase letterCase) {
  auto same = [letterCase](char16_t a, char16_t b) {
    return letterCase == LetterCase::Exact ? a == b : foldAscii(a) == foldAscii(b);
  };
  // Greedy with one backtrack point: the last '*' seen. Linear in practice,
  // never exponential.
  std::size_t n = 0, p = 0;
  std::size_t starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || (pattern[p] != u'*' && same(pattern[p], name[n])))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace verbarium
