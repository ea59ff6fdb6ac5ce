#include <gtest/gtest.h>

#include "platform/utf.h"

namespace verbarium {
namespace {

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
