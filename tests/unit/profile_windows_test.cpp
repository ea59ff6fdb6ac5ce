// Our own reader and writer of the settings file against the Windows profile
// functions: each reads what the other wrote, and both write the same bytes.
// Only the Windows build has both.

#ifdef _WIN32

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <filesystem>

#include "settings/app_settings.h"
#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

AppSettings richSettings() {
  AppSettings settings;
  settings.windowPlacement = {44, 2, 3, {-1, -1}, {-32000, -32000}, {10, 20, 810, 620}};
  settings.columnWidths = {40, -1, 2147483647, -2147483647 - 1};
  settings.keywordHistory = {u"日本語", u"\"Yes\"", u"'s", u" lead", u"trail\x3000", u"\x00E9t\x00E9",
                             u"\U0001F600", std::u16string(1023, u'y')};
  return settings;
}

// The small cases of both writers: ProfileFile.WritesLeaveTheBytesTheWindowsFunctionsLeave.
TEST(ProfileWindows, EachReadsWhatTheOtherWroteAndOursWritesItBackAsItWas) {
  const AppSettings settings = richSettings();
  test::TempDir dir;
  const Path windowsFile = dir.file(u"windows.ini");
  ASSERT_TRUE(writeSettings(settings, windowsFile));

  auto text = loadProfileText(windowsFile);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(test::toHex(text->serialize()), test::toHex(test::readFileBytes(windowsFile)));
  std::array<std::uint8_t, 44> placement{};
  ASSERT_TRUE(text->getStruct(u"Verbarium", u"WindowPlacement", placement));
  EXPECT_EQ(std::bit_cast<WindowPlacement>(placement), settings.windowPlacement);
  EXPECT_EQ(text->getInt(u"Verbarium", u"ColumnWidth3", 0), settings.columnWidths[3]);
  for (std::size_t i = 0; i < settings.keywordHistory.size(); ++i) {
    char16_t key[] = u"SearchKeyword000";
    key[15] = static_cast<char16_t>(u'0' + i);
    EXPECT_EQ(text->getString(u"Verbarium", key, u"", 1024), settings.keywordHistory[i]) << i;
  }

  const Path oursFile = dir.file(u"ours.ini");
  ASSERT_TRUE(saveProfileText(oursFile, *text));
  AppSettings back;
  loadSettings(back, oursFile);
  EXPECT_EQ(back.windowPlacement, settings.windowPlacement);
  EXPECT_EQ(back.columnWidths, settings.columnWidths);
  EXPECT_EQ(back.keywordHistory, settings.keywordHistory);
}

// The Windows functions would look for a bare name in the Windows directory.
TEST(ProfileWindows, ABareNameMeansTheCurrentDirectory) {
  test::TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const bool written = writeProfileString(u"bare.ini", u"S", u"k", u"v");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(written);
  EXPECT_TRUE(fileExists(dir.file(u"bare.ini")));
}

}  // namespace
}  // namespace verbarium

#endif  // _WIN32
