#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/keyword_search.h"
#include "platform/lower_case.h"

namespace verbarium {
namespace {

// Every text and keyword of a few units made of letters with and without
// case, a letter the platform keeps, whole pairs and lone halves: each must
// be found exactly where the lowered keyword occurs in the lowered text.
TEST(KeywordSearch, FindsWhatTheLoweredCopiesHold) {
  const std::u16string units = u"aAÄäİ\xD801\xDC00\xDC28";
  std::vector<std::u16string> texts = {u""};
  for (std::size_t from = 0; from < texts.size() && texts[from].size() < 4; ++from) {
    for (char16_t unit : units) texts.push_back(texts[from] + unit);
  }
  int wrong = 0;
  std::u16string firstWrong;
  for (const std::u16string& keyword : texts) {
    if (keyword.size() > 2) break;
    KeywordSearch search(keyword);
    const std::u16string lowerKeyword = toLowerCase(keyword);
    for (const std::u16string& text : texts) {
      const bool expected = toLowerCase(text).find(lowerKeyword) != std::u16string::npos;
      if (search.foundIn(text) != expected && wrong++ == 0) firstWrong = keyword + u" in " + text;
    }
  }
  EXPECT_EQ(wrong, 0) << std::string(firstWrong.begin(), firstWrong.end());
}

}  // namespace
}  // namespace verbarium
