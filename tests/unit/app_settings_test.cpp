#include <gtest/gtest.h>

#include "settings/app_settings.h"
#include "platform/profile_file.h"
#include "platform/utf.h"
#include "support/profile_ops.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::unicodeFile;
using Keywords = std::vector<std::u16string>;

const std::u16string kZeroPlacement(90, u'0');
// 44, 2, 3, (-1, -1), (-32000, -32000), (10, 20, 810, 620), then the checksum E4.
constexpr std::u16string_view kPlacementHex =
    u"2C0000000200000003000000FFFFFFFFFFFFFFFF0083FFFF0083FFFF0A000000140000002A0300006C020000E4";
const WindowPlacement kPlacement{44, 2, 3, {-1, -1}, {-32000, -32000}, {10, 20, 810, 620}};

std::u16string asciiDigits(int number) { return asciiToUtf16(std::to_string(number)); }

// "<prefix>000=k0" and so on, one line per index.
std::u16string numbered(std::u16string_view prefix, int from, int to) {
  std::u16string text;
  for (int i = from; i <= to; ++i) {
    std::u16string index = std::u16string(i < 10 ? u"00" : u"0") + asciiDigits(i);
    text += std::u16string(prefix) + index + u"=k" + asciiDigits(i) + u"\r\n";
  }
  return text;
}

TEST(AppSettings, FirstStartHasNoFileAndLeavesTheFullSetOfKeys) {
  test::TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  AppSettings settings;
  loadSettings(settings, file);
  EXPECT_EQ(settings.windowPlacement, WindowPlacement{});
  EXPECT_EQ(settings.columnWidths, (std::array<int, 4>{}));
  EXPECT_TRUE(settings.keywordHistory.empty());

  ASSERT_TRUE(writeSettings(settings, file));
  EXPECT_EQ(test::toHex(test::readFileBytes(file)),
            test::toHex(unicodeFile(u"[Verbarium]\r\nWindowPlacement=" + kZeroPlacement +
                                    u"\r\nColumnWidth0=0\r\nColumnWidth1=0\r\nColumnWidth2=0\r\nColumnWidth3=0\r\n")));
}

TEST(AppSettings, RoundTripKeepsEveryFieldButTheReplaceAllChoice) {
  AppSettings settings;
  settings.replaceAllSameOriginal = true;
  settings.windowPlacement = kPlacement;
  settings.columnWidths = {40, -1, 2147483647, -2147483647 - 1};
  settings.keywordHistory = {u"日本語", u"\"Yes\"", u" lead", u"x"};

  test::TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  ASSERT_TRUE(writeSettings(settings, file));
  EXPECT_EQ(test::toHex(test::readFileBytes(file)),
            test::toHex(unicodeFile(u"[Verbarium]\r\nWindowPlacement=" + std::u16string(kPlacementHex) +
                                    u"\r\nColumnWidth0=40\r\nColumnWidth1=-1\r\nColumnWidth2=2147483647\r\n"
                                    u"ColumnWidth3=-2147483648\r\nSearchKeyword000=日本語\r\n"
                                    u"SearchKeyword001=\"\"Yes\"\"\r\nSearchKeyword002=\" lead\"\r\n"
                                    u"SearchKeyword003=x\r\n")));

  AppSettings back;
  loadSettings(back, file);
  EXPECT_FALSE(back.replaceAllSameOriginal);
  EXPECT_EQ(back.windowPlacement, settings.windowPlacement);
  EXPECT_EQ(back.columnWidths, settings.columnWidths);
  EXPECT_EQ(back.keywordHistory, settings.keywordHistory);

  settings.replaceAllSameOriginal = false;
  const Path second = dir.file(u"second.ini");
  ASSERT_TRUE(writeSettings(settings, second));
  EXPECT_EQ(test::readFileBytes(second), test::readFileBytes(file)) << "the choice is never stored";
  // A window moved, and nothing else, is written too.
  AppSettings moved = settings;
  moved.windowPlacement = WindowPlacement{};
  ASSERT_TRUE(writeSettings(moved, file));
  loadSettings(back, file);
  EXPECT_EQ(back.windowPlacement, WindowPlacement{});
}

TEST(AppSettings, LoadTakesWhatTheFileHolds) {
  struct Case {
    const char* name;
    std::u16string text;
    Keywords keywords;
    std::array<int, 4> widths;
    WindowPlacement placement;
  };
  std::u16string wrongSum(kPlacementHex);
  wrongSum.back() = u'5';
  std::u16string lowerCase(kPlacementHex);
  for (auto& c : lowerCase) c = static_cast<char16_t>(c >= u'A' && c <= u'F' ? c + 0x20 : c);
  Keywords first20;
  for (int i = 0; i < 20; ++i) first20.push_back(u"k" + asciiDigits(i));

  const Case cases[] = {
      {"keywords 0 and 2 without 1", u"[Verbarium]\r\nSearchKeyword000=a\r\nSearchKeyword002=c\r\n", {u"a", u"c"}},
      {"keywords 0 to 24: only 0 to 19 are read", u"[Verbarium]\r\n" + numbered(u"SearchKeyword", 0, 24), first20},
      {"a keyword longer than 1023 units",
       u"[Verbarium]\r\nSearchKeyword000=" + std::u16string(1500, u'x') + u"\r\n",
       {std::u16string(1023, u'x')}},
      {"empty keywords are skipped; quotes and other cases of names are read",
       u"[verbarium]\r\nSEARCHKEYWORD000=\r\nsearchkeyword001=\" q \"\r\nSearchKeyword005='f'\r\n"
       u"columnwidth2=-7\r\n",
       {u" q ", u"f"},
       {0, 0, -7, 0}},
      {"widths that are no numbers", u"[Verbarium]\r\nColumnWidth0=abc\r\nColumnWidth1=\r\nColumnWidth3=12px\r\n",
       {}, {0, 0, 0, 12}},
      {"a placement with a wrong checksum is ignored", u"[Verbarium]\r\nWindowPlacement=" + wrongSum + u"\r\n"},
      {"a placement in lower-case hex", u"[Verbarium]\r\nWindowPlacement=" + lowerCase + u"\r\n", {}, {},
       kPlacement},
      {"another section's keys", u"[Other]\r\nSearchKeyword000=a\r\nColumnWidth0=5\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const Path file = dir.file(u"Verbarium.ini");
    test::writeFileBytes(file, unicodeFile(c.text));
    AppSettings settings;
    settings.keywordHistory = {u"from before"};
    loadSettings(settings, file);
    EXPECT_EQ(settings.keywordHistory, c.keywords);
    EXPECT_EQ(settings.columnWidths, c.widths);
    EXPECT_EQ(settings.windowPlacement, c.placement);
  }
}

TEST(AppSettings, OldKeywordsDoNotComeBack) {
  test::TempDir dir;
  const Path gap = dir.file(u"gap.ini");
  test::writeFileBytes(gap, unicodeFile(u"[Verbarium]\r\nSearchKeyword000=a\r\nSearchKeyword002=c\r\n"));
  AppSettings settings;
  loadSettings(settings, gap);
  ASSERT_TRUE(writeSettings(settings, gap));
  loadSettings(settings, gap);
  EXPECT_EQ(settings.keywordHistory, (Keywords{u"a", u"c"}));

  const Path many = dir.file(u"many.ini");
  test::writeFileBytes(many, unicodeFile(u"[Verbarium]\r\n" + numbered(u"SearchKeyword", 0, 24)));
  settings.keywordHistory = {u"n0", u"n1", u"n2"};
  ASSERT_TRUE(writeSettings(settings, many));
  loadSettings(settings, many);
  EXPECT_EQ(settings.keywordHistory, (Keywords{u"n0", u"n1", u"n2"}));
  EXPECT_EQ(getProfileString(many, u"Verbarium", u"SearchKeyword019", u"gone", 1024), u"gone");
  EXPECT_EQ(getProfileString(many, u"Verbarium", u"SearchKeyword020", u"gone", 1024), u"k20")
      << "keys that are never read are left alone";
}

TEST(AppSettings, KeywordsTheFileCannotHoldLeaveNoGap) {
  AppSettings settings;
  settings.keywordHistory = {u"a", u"b\r\nColumnWidth0=99", u"", u"c"};
  for (int i = 4; i < 30; ++i) settings.keywordHistory.push_back(u"k" + asciiDigits(i));
  test::TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  writeSettings(settings, file);

  AppSettings back;
  loadSettings(back, file);
  ASSERT_EQ(back.keywordHistory.size(), kKeywordHistoryLimit);
  EXPECT_EQ(back.keywordHistory[0], u"a");
  EXPECT_EQ(back.keywordHistory[1], u"c");
  EXPECT_EQ(back.keywordHistory[19], u"k21");
  EXPECT_EQ(back.columnWidths[0], 0);
  EXPECT_EQ(getProfileString(file, u"Verbarium", u"SearchKeyword020", u"none", 1024), u"none");
}

TEST(AppSettings, AnUnwritableFileIsReportedAsAFailure) {
  test::TempDir dir;
  AppSettings settings;
  EXPECT_FALSE(writeSettings(settings, dir.file(u"no such directory\\Verbarium.ini")));
}

}  // namespace
}  // namespace verbarium
