// Our own reader and writer of the settings file against the Windows profile
// functions: each reads what the other wrote, and both write the same bytes.
// Only the Windows build has both.

#ifdef _WIN32

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <filesystem>

#include "app/app_settings.h"
#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "support/profile_ops.h"
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

// What writeSettings does, spelled out through our own format.
std::vector<test::ProfileOp> settingsOps(const AppSettings& settings) {
  using Kind = test::ProfileOp::Kind;
  std::vector<test::ProfileOp> ops;
  auto placement = std::bit_cast<std::array<std::uint8_t, 44>>(settings.windowPlacement);
  ops.push_back({Kind::Struct, u"Verbarium", u"WindowPlacement", {}, {placement.begin(), placement.end()}});
  for (int i = 0; i < 4; ++i) {
    std::string width = std::to_string(settings.columnWidths[i]);
    ops.push_back({Kind::String, u"Verbarium", u"ColumnWidth" + std::u16string(1, char16_t(u'0' + i)),
                   std::u16string(width.begin(), width.end()), {}});
  }
  for (std::size_t i = 0; i < settings.keywordHistory.size(); ++i) {
    char16_t key[] = u"SearchKeyword000";
    key[14] = static_cast<char16_t>(u'0' + i / 10);
    key[15] = static_cast<char16_t>(u'0' + i % 10);
    ops.push_back({Kind::String, u"Verbarium", key, settings.keywordHistory[i], {}});
  }
  return ops;
}

void expectSameSettings(const AppSettings& a, const AppSettings& b) {
  EXPECT_EQ(a.windowPlacement, b.windowPlacement);
  EXPECT_EQ(a.columnWidths, b.columnWidths);
  EXPECT_EQ(a.keywordHistory, b.keywordHistory);
}

// The small cases of both writers: ProfileFile.WritesLeaveTheBytesTheWindowsFunctionsLeave.
TEST(ProfileWindows, BothWritersGiveTheSameSettingsFile) {
  const AppSettings settings = richSettings();
  test::TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  ASSERT_TRUE(writeSettings(settings, file));
  ProfileText ours;
  test::applyToText(ours, settingsOps(settings));
  EXPECT_EQ(test::toHex(ours.serialize()), test::toHex(test::readFileBytes(file)));
}

TEST(ProfileWindows, EachReadsWhatTheOtherWrote) {
  const AppSettings settings = richSettings();
  test::TempDir dir;

  // Ours writes, Windows reads.
  const Path oursFile = dir.file(u"ours.ini");
  ProfileText ours;
  test::applyToText(ours, settingsOps(settings));
  ASSERT_TRUE(saveProfileText(oursFile, ours));
  AppSettings readByWindows;
  loadSettings(readByWindows, oursFile);
  expectSameSettings(readByWindows, settings);

  // Windows writes, ours reads.
  const Path windowsFile = dir.file(u"windows.ini");
  ASSERT_TRUE(writeSettings(settings, windowsFile));
  auto text = loadProfileText(windowsFile);
  ASSERT_TRUE(text.has_value());
  std::array<std::uint8_t, 44> placement{};
  ASSERT_TRUE(text->getStruct(u"Verbarium", u"WindowPlacement", placement));
  EXPECT_EQ(std::bit_cast<WindowPlacement>(placement), settings.windowPlacement);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(text->getInt(u"Verbarium", u"ColumnWidth" + std::u16string(1, char16_t(u'0' + i)), 0),
              settings.columnWidths[i]);
  }
  for (std::size_t i = 0; i < settings.keywordHistory.size(); ++i) {
    char16_t key[] = u"SearchKeyword000";
    key[15] = static_cast<char16_t>(u'0' + i);
    EXPECT_EQ(text->getString(u"Verbarium", key, u"", 1024), settings.keywordHistory[i]) << i;
  }
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
