#include <gtest/gtest.h>

#include <vector>

#include "editor/keyword_search.h"
#include "platform/lower_case.h"
#include "platform/utf.h"

namespace verbarium {
namespace {

std::u16string encode(char32_t cp) {
  if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
  cp -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
}

// The table is the Linux mapping, and search lowers unit by unit through its
// map: over every code point (the BMP as single units, the rest as pairs)
// both lower as the platform does. A text is lowered letter by letter, a
// pair as one letter, a lone half as itself, and the letters Windows keeps
// are kept.
TEST(LowerCase, TableAndUnitMapLowerEveryCodePointAsThePlatformDoes) {
  const std::u16string kept = u"\u0130\u01C5\u01C8\u01CB\u01F2\u03F4\u1E9E\u2126\u212A\u212B";
  EXPECT_TRUE(toLowerCase(u"ABC Ärger ΣΟΦΊΑ \U00010400\xD801" u"A" + kept) ==
              u"abc ärger σοφία \U00010428\xD801" u"a" + kept);
  const LowerCaseUnitMap& map = lowerCaseUnitMap();
  std::vector<unsigned> differ;
  for (char32_t cp = 1; cp < 0x110000; ++cp) {
    const std::u16string platform = toLowerCase(encode(cp));
    std::u16string table = encode(cp);
    tableLowerCaseInPlace(table);
    // The halves of pairs stay, each alone.
    const bool half = cp >= 0xD800 && cp <= 0xDFFF;
    const bool same = (cp > 0xFFFF || map[cp] == platform[0]) && (half || table == platform);
    if (!same) differ.push_back(static_cast<unsigned>(cp));
  }
  EXPECT_TRUE(differ.empty()) << differ.size() << " code points differ, the first " << (differ.empty() ? 0 : differ[0]);
}

// Every text and keyword of a few units made of letters with and without
// case, a letter the platform keeps, whole pairs and lone halves: each must
// be found exactly where the lowered keyword occurs in the lowered text.
TEST(KeywordSearch, FindsWhatTheLoweredCopiesHold) {
  const std::u16string units = u"aAÄäİ\xD801\xDC00\xDC28";
  std::vector<std::u16string> texts = {u""};
  for (std::size_t from = 0; from < texts.size() && texts[from].size() < 4; ++from) {
    for (char16_t unit : units) texts.push_back(texts[from] + unit);
  }
  for (const std::u16string& keyword : texts) {
    if (keyword.size() > 2) break;
    KeywordSearch search(keyword);
    const std::u16string lowerKeyword = toLowerCase(keyword);
    for (const std::u16string& text : texts) {
      ASSERT_EQ(search.foundIn(text), toLowerCase(text).find(lowerKeyword) != std::u16string::npos)
          << std::string(keyword.begin(), keyword.end()) << " in " << std::string(text.begin(), text.end());
    }
  }
}

TEST(Utf, RoundTripsEveryKindOfUnitIncludingLoneSurrogates) {
  const std::u16string texts[] = {u"", u"plain", u"\u00e9\u65e5\u672c", u"\U0001F409", u"\xD800x", u"x\xDC00",
                                  u"\xDBFF\xDBFF\xDC00"};
  for (const auto& text : texts) EXPECT_TRUE(fromUtf8(toUtf8(text)) == text);
  EXPECT_EQ(toUtf8(u"\u65e5"), "\xE6\x97\xA5");
  EXPECT_TRUE(fromUtf8("a\xFF" "b\xC3") == u"a\uFFFDb\uFFFD");
  EXPECT_TRUE(fromUtf8("\xE0\x80\x80") == u"\uFFFD\uFFFD\uFFFD") << "overlong forms are not taken";
}

}  // namespace
}  // namespace verbarium
