#include "editor/keyword_search.h"

#include <algorithm>

namespace verbarium {

namespace {

bool isHalf(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

bool hasHalves(std::u16string_view text) { return std::any_of(text.begin(), text.end(), isHalf); }

}  // namespace

KeywordSearch::KeywordSearch(std::u16string_view keyword)
    : lower_(lowerCaseUnitMap()),
      loweredKeyword_(toLowerCase(keyword)),
      keywordHasHalves_(hasHalves(loweredKeyword_)) {}

// Where the keyword has no half of a pair, each unit of the text may be
// lowered on its own: a unit outside the pairs lowers the same wherever it
// stands, and a half of a pair lowers to a half, which the keyword lacks.
bool KeywordSearch::foundIn(std::u16string_view text) {
  const std::size_t length = loweredKeyword_.size();
  if (length == 0) return true;
  if (text.size() < length) return false;
  if (keywordHasHalves_) return foundByLoweredCopy(text);
  const char16_t first = loweredKeyword_[0];
  const std::size_t last = text.size() - length;
  for (std::size_t at = 0; at <= last; ++at) {
    if (lower_[text[at]] != first) continue;
    std::size_t matched = 1;
    while (matched < length && lower_[text[at + matched]] == loweredKeyword_[matched]) ++matched;
    if (matched == length) return true;
  }
  return false;
}

bool KeywordSearch::foundByLoweredCopy(std::u16string_view text) {
  if (!hasHalves(text)) return false;
  loweredText_.assign(text);
  lowerCaseInPlace(loweredText_);
  return loweredText_.find(loweredKeyword_) != std::u16string::npos;
}

}  // namespace verbarium
