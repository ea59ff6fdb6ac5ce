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

// The table is the Linux mapping, and search lowers unit by unit through its
// map: over every code point (the BMP as single units, the rest as pairs)
// both lower as the platform does, and the table as the C library does but
// for the letters Windows keeps. A text is lowered letter by letter, a pair
// as one letter and a lone half as itself.
TEST(LowerCase, TableAndUnitMapLowerEveryCodePointAsThePlatformDoes) {
  EXPECT_TRUE(toLowerCase(u"ABC Ärger ΣΟΦΊΑ \U00010400\xD801" u"A") == u"abc ärger σοφία \U00010428\xD801" u"a");
#ifndef _WIN32
  const std::u32string windowsKeeps = U"\u0130\u01C5\u01C8\u01CB\u01F2\u03F4\u1E9E\u2126\u212A\u212B";
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  ASSERT_NE(utf8, nullptr);
#endif
  const LowerCaseUnitMap& map = lowerCaseUnitMap();
  std::vector<unsigned> differ;
  for (char32_t cp = 1; cp < 0x110000; ++cp) {
    const std::u16string platform = toLowerCase(encode(cp));
    std::u16string table = encode(cp);
    tableLowerCaseInPlace(table);
    bool same = cp > 0xFFFF || map[cp] == platform[0];
    if (cp < 0xD800 || cp > 0xDFFF) {  // the halves of pairs stay, each alone
      same = same && table == platform;
#ifndef _WIN32
      const bool kept = windowsKeeps.find(cp) != std::u32string::npos;
      same = same && table == encode(kept ? cp : towlower_l(static_cast<wint_t>(cp), utf8));
#endif
    }
    if (!same) differ.push_back(static_cast<unsigned>(cp));
  }
#ifndef _WIN32
  freelocale(utf8);
#endif
  EXPECT_TRUE(differ.empty()) << differ.size() << " code points differ, the first " << (differ.empty() ? 0 : differ[0]);
}

}  // namespace
}  // namespace verbarium
