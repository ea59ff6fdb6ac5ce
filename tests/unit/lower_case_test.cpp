#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/lower_case.h"

#ifndef _WIN32
#include <locale.h>
#include <wctype.h>
#endif

namespace verbarium {
namespace {

std::u16string encode(char32_t cp) {
  if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
  cp -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
}

TEST(LowerCase, MapsWholeTexts) {
  EXPECT_TRUE(toLowerCase(u"ABC Ärger ΣΟΦΊΑ Ｆｕｌｌ 日本") == u"abc ärger σοφία ｆｕｌｌ 日本");
  EXPECT_TRUE(toLowerCase(u"\U00010400x") == u"\U00010428x") << "a pair is lowered as one letter";
  EXPECT_TRUE(toLowerCase(u"\xD801" u"A") == u"\xD801" u"a") << "a lone surrogate stays";
  EXPECT_TRUE(toLowerCase(u"\u0130\u01C5\u212A") == u"\u0130\u01C5\u212A") << "as CharLowerW keeps them";
}

// The table is the Linux mapping, and search lowers unit by unit through its
// map: over every code point (the BMP as single units, the rest as pairs)
// both lower as the platform does, and the table as the C library does but
// for the letters Windows keeps.
TEST(LowerCase, TableAndUnitMapLowerEveryCodePointAsThePlatformDoes) {
#ifndef _WIN32
  const char32_t windowsKeeps[] = {0x0130, 0x01C5, 0x01C8, 0x01CB, 0x01F2, 0x03F4, 0x1E9E, 0x2126, 0x212A, 0x212B};
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  ASSERT_NE(utf8, nullptr);
#endif
  const LowerCaseUnitMap& map = lowerCaseUnitMap();
  std::vector<unsigned> differ;
  for (char32_t cp = 1; cp < 0x110000; ++cp) {
    // The halves of pairs stay, each alone.
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    std::u16string table = encode(cp);
    tableLowerCaseInPlace(table);
    bool same = surrogate || table == toLowerCase(encode(cp));
    if (cp < 0x10000) same = same && map[cp] == toLowerCase(encode(cp))[0];
#ifndef _WIN32
    const bool kept = std::find(std::begin(windowsKeeps), std::end(windowsKeeps), cp) != std::end(windowsKeeps);
    same = same && (surrogate || table == encode(kept ? cp : towlower_l(static_cast<wint_t>(cp), utf8)));
#endif
    if (!same) differ.push_back(static_cast<unsigned>(cp));
  }
#ifndef _WIN32
  freelocale(utf8);
#endif
  EXPECT_TRUE(differ.empty()) << differ.size() << " code points differ, the first " << (differ.empty() ? 0 : differ[0]);
}

}  // namespace
}  // namespace verbarium
