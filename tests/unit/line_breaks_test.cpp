#include <gtest/gtest.h>

#include <array>

#include "editor/line_breaks.h"

namespace verbarium {
namespace {

// What the edit box shows of a text, and what comes back of what it holds.
TEST(LineBreaks, ComeBackAsTheUnitsTheyWere) {
  // The entry's text, its original, the text as the box shows it, the box's
  // text on OK, and the entry's text afterwards.
  const std::array<std::u16string_view, 6> cases[] = {
      {u"LF alone, a break typed", u"a\nb", u"", u"a\r\nb", u"a\r\nb\r\nc", u"a\nb\nc"},
      {u"CR LF, a break typed", u"a\r\nb", u"x", u"a\r\nb", u"a\r\nb\r\nc", u"a\r\nb\r\nc"},
      {u"no break, original with CR LF", u"ab", u"x\r\ny", u"ab", u"a\r\nb", u"a\r\nb"},
      {u"no break, none in the original", u"ab", u"xy", u"ab", u"a\r\nb", u"a\nb"},
      {u"a mix, untouched", u"a\r\nb\nc\r", u"", u"a\r\nb\r\nc\r", u"a\r\nb\r\nc\r", u"a\r\nb\nc\r"},
      {u"a lone CR stays", u"a\rb\nc", u"", u"a\rb\r\nc", u"a\rb\r\ncd", u"a\rb\ncd"},
      {u"LF first", u"\nx", u"", u"\r\nx", u"\r\nx!", u"\nx!"},
  };
  for (const auto& [name, before, original, shown, typed, after] : cases) {
    EXPECT_EQ(toEditBoxBreaks(before), shown) << std::string(name.begin(), name.end());
    EXPECT_EQ(fromEditBoxBreaks(typed, before, original), after) << std::string(name.begin(), name.end());
  }
}

}  // namespace
}  // namespace verbarium
