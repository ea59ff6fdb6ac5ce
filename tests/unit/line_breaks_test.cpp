#include <gtest/gtest.h>

#include "editor/line_breaks.h"

namespace verbarium {
namespace {

struct BreaksCase {
  const char* name;
  std::u16string before;    // the entry's text
  std::u16string original;  // its original
  std::u16string shown;     // as the edit box shows it
  std::u16string typed;     // the box's text on OK
  std::u16string after;     // the entry's text afterwards
};

// What the edit box shows of a text, and what comes back of what it holds.
TEST(LineBreaks, ComeBackAsTheUnitsTheyWere) {
  const BreaksCase cases[] = {
      {"LF alone, a break typed", u"a\nb", u"", u"a\r\nb", u"a\r\nb\r\nc", u"a\nb\nc"},
      {"CR LF, a break typed", u"a\r\nb", u"x", u"a\r\nb", u"a\r\nb\r\nc", u"a\r\nb\r\nc"},
      {"no break, original with CR LF", u"ab", u"x\r\ny", u"ab", u"a\r\nb", u"a\r\nb"},
      {"no break, none in the original", u"ab", u"xy", u"ab", u"a\r\nb", u"a\nb"},
      {"a mix, untouched", u"a\r\nb\nc\r", u"", u"a\r\nb\r\nc\r", u"a\r\nb\r\nc\r", u"a\r\nb\nc\r"},
      {"a lone CR stays", u"a\rb\nc", u"", u"a\rb\r\nc", u"a\rb\r\ncd", u"a\rb\ncd"},
      {"LF first", u"\nx", u"", u"\r\nx", u"\r\nx!", u"\nx!"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toEditBoxBreaks(c.before), c.shown) << c.name;
    EXPECT_EQ(fromEditBoxBreaks(c.typed, c.before, c.original), c.after) << c.name;
  }
}

}  // namespace
}  // namespace verbarium
