#include <gtest/gtest.h>

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

// The table is the Linux mapping. It must lower exactly as the platform does:
// every code point, the BMP as single units and the rest as pairs.
TEST(LowerCase, TableAgreesWithThePlatformOverAllCodePoints) {
  std::vector<char32_t> differ;
  for (char32_t cp = 1; cp < 0x110000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::u16string table = encode(cp);
    tableLowerCaseInPlace(table);
    if (toLowerCase(encode(cp)) != table) differ.push_back(cp);
  }
  std::string list;
  for (char32_t cp : differ) list += " " + std::to_string(static_cast<unsigned>(cp));
  EXPECT_TRUE(differ.empty()) << differ.size() << " code points differ:" << list;
}

// Search compares unit by unit through the map: each unit must lower as the
// platform lowers it alone, the halves of pairs included, which stay.
TEST(LowerCase, UnitMapLowersEachUnitAsThePlatformDoes) {
  const LowerCaseUnitMap& map = lowerCaseUnitMap();
  std::vector<unsigned> differ;
  for (unsigned u = 0; u < 0x10000; ++u) {
    if (map[u] != toLowerCase(std::u16string(1, static_cast<char16_t>(u)))[0]) differ.push_back(u);
  }
  EXPECT_TRUE(differ.empty()) << differ.size() << " units differ, the first " << (differ.empty() ? 0 : differ[0]);
}

#ifndef _WIN32
// The table follows the C library but for the letters Windows keeps.
TEST(LowerCase, TableIsTheCLibraryMappingLessWhatWindowsKeeps) {
  const char32_t windowsKeeps[] = {0x0130, 0x01C5, 0x01C8, 0x01CB, 0x01F2, 0x03F4, 0x1E9E, 0x2126, 0x212A, 0x212B};
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  ASSERT_NE(utf8, nullptr);
  int differ = 0;
  for (char32_t cp = 0; cp < 0x110000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    char32_t expected = towlower_l(static_cast<wint_t>(cp), utf8);
    if (std::find(std::begin(windowsKeeps), std::end(windowsKeeps), cp) != std::end(windowsKeeps)) expected = cp;
    std::u16string text = encode(cp);
    tableLowerCaseInPlace(text);
    if (text != encode(expected)) ++differ;
  }
  freelocale(utf8);
  EXPECT_EQ(differ, 0);
}
#endif

}  // namespace
}  // namespace verbarium
