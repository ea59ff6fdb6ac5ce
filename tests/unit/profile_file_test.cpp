// The profile file operations, and the settings file written through them.
// Natively they run on our own reader and writer, under Wine on the real
// Windows functions; the expectations are the same, so that one settings
// file serves both.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "platform/utf.h"
#include "settings/app_settings.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;
using Keywords = std::vector<std::u16string>;

Bytes unicodeFile(std::u16string_view text) { return cat({hex("FF FE"), utf16le(text)}); }
Bytes eightBitFile(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Keys and values among blanks, quotes, bad numbers and broken lines.
constexpr std::string_view kAwkwardFile =
    "; comment\r\n  [ S ]  \r\n  a = x y  \r\nA=second of the same name\r\nb=\"q\"\r\nc='q'\r\nd=\"q\r\ne=\" sp \"\r\n"
    "f=\"\"x\"\"\r\ng=  12abc\r\nh=-3\r\ni=abc\r\nj=\r\nk=4294967295\r\nm=+7\r\nnoeq\r\no=\t\x1a tab\t\r\n"
    "q=\"\r\nr=''\r\nZz=names fold Z too\r\n[T\r\nt=after a header without its bracket\r\n[other]\r\nz=1\r\n"
    "[s]\r\nsecond=only the first section of a name counts\r\n[P]\r\nok=010203\r\nlower=0a0b15\r\nblanks=  010203  \r\n"
    "sum=010204\r\nshort=0103\r\nlong=01020304\r\nbeyondF=01G1F2\r\nquoted=\"010203\"\n";

// Records are stricter than in Wine, which takes a digit beyond F and a longer one.
TEST(ProfileFile, ReadsValuesAsTheWindowsFunctionsDo) {
  const std::tuple<std::u16string_view, std::u16string_view, int> rows[] = {
      {u"a", u"x y", 0},     {u"A", u"x y", 0},        {u"b", u"q", 0},          {u"c", u"q", 0},
      {u"d", u"\"q", 0},     {u"e", u" sp ", 0},       {u"f", u"\"x\"", 0},      {u"g", u"12abc", 12},
      {u"h", u"-3", -3},     {u"i", u"abc", 0},        {u"j", u"", 77},          {u"k", u"4294967295", -1},
      {u"m", u"+7", 7},      {u"noeq", u"DEF", 77},    {u"o", u"tab", 0},        {u"q", u"\"", 0},
      {u"r", u"", 77},       {u"zZ", u"names fold Z too", 0}, {u"t", u"after a header without its bracket", 0},
      {u"z", u"DEF", 77},    {u"second", u"DEF", 77},  {u"missing", u"DEF", 77},
  };
  const std::pair<std::u16string_view, const char*> records[] = {
      {u"ok", "01 02"},   {u"lower", "0A 0B"},   {u"blanks", "01 02"}, {u"sum", "AA AA"},  {u"short", "AA AA"},
      {u"long", "AA AA"}, {u"beyondF", "AA AA"}, {u"quoted", "AA AA"}, {u"missing", "AA AA"},
  };
  const std::u16string wide(kAwkwardFile.begin(), kAwkwardFile.end());
  const Bytes encodings[] = {eightBitFile(kAwkwardFile), cat({hex("EF BB BF"), eightBitFile(kAwkwardFile)}),
                             unicodeFile(wide)};
  TempDir dir;
  const Path file = dir.file(u"read.ini");
  for (const Bytes& bytes : encodings) {
    writeFileBytes(file, bytes);
    for (const auto& [key, text, number] : rows) {
      SCOPED_TRACE(toHex(Bytes(bytes.begin(), bytes.begin() + 3)) + " key " + toUtf8(key));
      EXPECT_EQ(getProfileString(file, u"s", key, u"DEF", 1024), text);
      EXPECT_EQ(getProfileInt(file, u"S", key, 77), number);
    }
    for (const auto& [key, bytes] : records) {
#ifdef _WIN32
      if (key == u"long") continue;  // Wine's reader takes its first bytes
#endif
      Bytes record = hex("AA AA");
      EXPECT_EQ(getProfileStruct(file, u"P", key, record), std::string_view(bytes) != "AA AA") << toUtf8(key);
      EXPECT_EQ(toHex(record), toHex(hex(bytes))) << toUtf8(key);
    }
  }
}

// One write through the platform's profile functions, and the same through
// our own text format alone, as the Linux build makes it.
using ProfileOp = std::function<void(const Path& file, ProfileText& ours)>;
ProfileOp put(std::u16string section, std::u16string key, std::u16string value) {
  return [=](const Path& file, ProfileText& ours) {
    writeProfileString(file, section, key, value);
    ours.setStoredValue(section, key, storedStringForm(value));
  };
}
ProfileOp remove(std::u16string section, std::u16string key) {
  return [=](const Path& file, ProfileText& ours) {
    deleteProfileKey(file, section, key);
    ours.removeKey(section, key);
  };
}
const ProfileOp kCreate = [](const Path& file, ProfileText&) { createUnicodeProfileFile(file); };
// A file with text, whatever its encoding, is not made anew.
const ProfileOp kCreateOverText = [](const Path& file, ProfileText&) {
  writeFileBytes(file + u"8", eightBitFile("k=1"));
  EXPECT_TRUE(createUnicodeProfileFile(file + u"8") && readFileBytes(file + u"8") == eightBitFile("k=1"));
};
// A value that would break the lines is refused, and nothing is written.
ProfileOp refused(std::u16string value) {
  return [=](const Path& file, ProfileText&) {
    EXPECT_FALSE(writeProfileString(file, u"S", u"k", value));
    ProfileWriter writer(file);
    writer.writeString(u"S", u"k", value);
    EXPECT_FALSE(writer.commit());
  };
}
// Our writer tells that the same value again changes nothing.
const ProfileOp kSameAgain = [](const Path&, ProfileText& ours) {
  EXPECT_FALSE(ours.setStoredValue(u"S", u"k", u"v"));
};

// The exact bytes the Windows functions leave; our own writer is held to them
// too, so that under Wine both are compared in one run. It alone keeps what
// the Windows one would tidy away, and writes UTF-16LE always.
TEST(ProfileFile, WritesLeaveTheBytesTheWindowsFunctionsLeave) {
  const struct {
    const char* name;
    std::optional<Bytes> before;
    std::vector<ProfileOp> ops;
    Bytes after;
    bool oursAlone = false;
  } cases[] = {
      {"a new file: keys join their section, the last write wins, deletes of missing keys change nothing",
       std::nullopt,
       {kCreate, kCreateOverText, put(u"S", u"a", u"1"), put(u"S", u"b", u"two"), put(u"T", u"x", u"日本"),
        put(u"S", u"c", u"3"), put(u"s", u"A", u"2"), remove(u"S", u"b"), remove(u"S", u"missing"), remove(u"Z", u"missing")},
       unicodeFile(u"[S]\r\na=2\r\nc=3\r\n[T]\r\nx=日本\r\n")},
      {"names keep the spelling of the file, comments stay, an emptied section keeps its header",
       unicodeFile(u"; c\r\n[s]\r\nA=1\r\n[T]\r\ny=2\r\n"),
       {put(u"S", u"a", u"9"), put(u"S", u"new", u"n"), remove(u"T", u"y")},
       unicodeFile(u"; c\r\n[s]\r\nA=9\r\nnew=n\r\n[T]\r\n")},
      {"line breaks and zero units in values are refused", unicodeFile(u"[S]\r\nk=old\r\n"),
       {refused(u"x\ninjected=1"), refused(u"x\rinjected=1"), refused(std::u16string(u"x\0y", 3))},
       unicodeFile(u"[S]\r\nk=old\r\n")},
      {"blank lines stay after the new key", unicodeFile(u"[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n"),
       {put(u"S", u"k", u"v"), kSameAgain}, unicodeFile(u"[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n"), true},
      {"text before any section; LF or CR alone ends a line, and so does the file", unicodeFile(u"k=top\n[S]\rx=1"),
       {put(u"S", u"k", u"v")}, unicodeFile(u"k=top\r\n[S]\r\nx=1\r\nk=v\r\n"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const Path file = dir.file(u"w.ini");
    if (c.before) writeFileBytes(file, *c.before);
    ProfileText ours = ProfileText::parse(c.before.value_or(Bytes{}));
    for (const auto& op : c.ops) op(file, ours);
    EXPECT_EQ(toHex(ours.serialize()), toHex(c.after)) << "our own writer";
#ifdef _WIN32
    if (c.oursAlone) continue;
#endif
    EXPECT_EQ(toHex(readFileBytes(file)), toHex(c.after));
  }
}

// 44, 2, 3, (-1, -1), (-32000, -32000), (10, 20, 810, 620), then the checksum E4.
constexpr std::u16string_view kPlacementHex =
    u"2C0000000200000003000000FFFFFFFFFFFFFFFF0083FFFF0083FFFF0A000000140000002A0300006C020000E4";
const WindowPlacement kPlacement{44, 2, 3, {-1, -1}, {-32000, -32000}, {10, 20, 810, 620}};

// The replace-all choice is never stored; a keyword the file cannot hold, or
// an empty one, leaves no gap; keywords beyond the twenty kept, or beyond a
// shorter history, are gone; a window moved, and nothing else, is written.
TEST(AppSettings, LoadTakesWhatTheFileHoldsAndEachWriteLeavesItsBytes) {
  AppSettings rich{true, kPlacement, {40, -1, 2147483647, -2147483647 - 1},
                   {u"日本語", u"\"Yes\"", u"", u"b\r\nColumnWidth0=99", u" lead", u"x"}};
  AppSettings placed, many;
  placed.windowPlacement = kPlacement;
  const std::u16string zero = u"\r\nColumnWidth0=0\r\nColumnWidth1=0\r\nColumnWidth2=0\r\nColumnWidth3=0\r\n";
  const std::u16string blank = u"[Verbarium]\r\nWindowPlacement=" + std::u16string(90, u'0') + zero;
  std::u16string manyText = blank;
  for (int i = 0; i < 30; ++i) {
    const std::u16string n = asciiToUtf16(std::to_string(i));
    many.keywordHistory.push_back(u"k" + n);
    if (i < 20) manyText += u"SearchKeyword0" + std::u16string(i < 10, u'0') + n + u"=k" + n + u"\r\n";
  }
  const struct {
    AppSettings settings;
    std::u16string text;
    Keywords keywords;
  } writes[] = {
      {rich,
       u"[Verbarium]\r\nWindowPlacement=" + std::u16string(kPlacementHex) +
           u"\r\nColumnWidth0=40\r\nColumnWidth1=-1\r\nColumnWidth2=2147483647\r\nColumnWidth3=-2147483648\r\n"
           u"SearchKeyword000=日本語\r\nSearchKeyword001=\"\"Yes\"\"\r\nSearchKeyword002=\" lead\"\r\n"
           u"SearchKeyword003=x\r\n",
       {u"日本語", u"\"Yes\"", u" lead", u"x"}},
      {many, manyText, Keywords(many.keywordHistory.begin(), many.keywordHistory.begin() + 20)},
      {placed, u"[Verbarium]\r\nWindowPlacement=" + std::u16string(kPlacementHex) + zero, {}},
      {AppSettings{}, blank, {}},
  };
  std::u16string lowerCase(kPlacementHex);
  for (auto& c : lowerCase) c = c >= u'A' && c <= u'F' ? char16_t(c + 0x20) : c;
  TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  // A hand-edited file: names in any case, a gap, an empty keyword, one
  // longer than the 1023 units read, a width that is no number.
  writeFileBytes(dir.file(u"edited.ini"),
                 unicodeFile(u"[verbarium]\r\nSEARCHKEYWORD000=\r\nsearchkeyword001=\" q \"\r\nSearchKeyword003=" +
                             std::u16string(1500, u'x') + u"\r\ncolumnwidth2=-7\r\nColumnWidth3=12px\r\n"
                             u"WindowPlacement=" + lowerCase + u"\r\n"));
  AppSettings edited{false, {}, {}, {u"from before"}};
  loadSettings(edited, dir.file(u"edited.ini"));
  EXPECT_EQ(edited.keywordHistory, (Keywords{u" q ", std::u16string(1023, u'x')}));
  EXPECT_EQ(edited.columnWidths, (std::array<int, 4>{0, 0, -7, 12}));
  EXPECT_EQ(edited.windowPlacement, kPlacement);
  for (const auto& write : writes) {
    ASSERT_TRUE(writeSettings(write.settings, file));
    EXPECT_EQ(toHex(readFileBytes(file)), toHex(unicodeFile(write.text)));
    AppSettings back{true, {}, {}, {u"from before"}};
    loadSettings(back, file);
    EXPECT_EQ(back.windowPlacement, write.settings.windowPlacement);
    EXPECT_EQ(back.columnWidths, write.settings.columnWidths);
    EXPECT_EQ(back.keywordHistory, write.keywords);
  }
  EXPECT_FALSE(writeSettings(rich, dir.file(u"no such directory\\Verbarium.ini")));
}

}  // namespace
}  // namespace verbarium
