// The profile file operations, and the settings file written through them.
// Natively they run on our own reader and writer, under Wine on the real
// Windows functions; the expectations are the same, so that one settings
// file serves both.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "platform/utf.h"
#include "settings/app_settings.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

// A UTF-16LE file with its byte order mark.
Bytes unicodeFile(std::u16string_view text) { return cat({hex("FF FE"), utf16le(text)}); }
Bytes eightBitFile(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Keys and values among blanks, quotes, bad numbers and broken lines.
constexpr std::string_view kAwkwardFile =
    "; comment\r\n  [ S ]  \r\n  a = x y  \r\nA=second of the same name\r\nb=\"q\"\r\nc='q'\r\nd=\"q\r\ne=\" sp \"\r\n"
    "f=\"\"x\"\"\r\ng=  12abc\r\nh=-3\r\ni=abc\r\nj=\r\nk=4294967295\r\nm=+7\r\nnoeq\r\no=\t\x1a tab\t\r\n"
    "q=\"\r\nr=''\r\nZz=names fold Z too\r\n[T\r\nt=after a header without its bracket\r\n[other]\r\nz=1\r\n"
    "[s]\r\nsecond=only the first section of a name counts\n";

TEST(ProfileFile, ReadsValuesAsTheWindowsFunctionsDo) {
  struct Row {
    std::u16string_view key;
    std::u16string_view text;  // default "DEF"
    int number;                // default 77
  };
  const Row rows[] = {
      {u"a", u"x y", 0},          {u"A", u"x y", 0},       {u"b", u"q", 0},    {u"c", u"q", 0},
      {u"d", u"\"q", 0},          {u"e", u" sp ", 0},      {u"f", u"\"x\"", 0}, {u"g", u"12abc", 12},
      {u"h", u"-3", -3},          {u"i", u"abc", 0},       {u"j", u"", 77},    {u"k", u"4294967295", -1},
      {u"m", u"+7", 7},           {u"noeq", u"DEF", 77},   {u"o", u"tab", 0},  {u"q", u"\"", 0},
      {u"r", u"", 77},            {u"zZ", u"names fold Z too", 0},
      {u"t", u"after a header without its bracket", 0},
      {u"z", u"DEF", 77},         {u"second", u"DEF", 77}, {u"missing", u"DEF", 77},
  };
  std::u16string wide(kAwkwardFile.begin(), kAwkwardFile.end());
  const std::pair<const char16_t*, Bytes> encodings[] = {
      {u"ansi.ini", eightBitFile(kAwkwardFile)},
      {u"utf8.ini", test::cat({test::hex("EF BB BF"), eightBitFile(kAwkwardFile)})},
      {u"utf16.ini", unicodeFile(wide)},
  };
  test::TempDir dir;
  for (const auto& [name, bytes] : encodings) {
    const Path file = dir.file(name);
    test::writeFileBytes(file, bytes);
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)) + " key " +
                   std::string(row.key.begin(), row.key.end()));
      EXPECT_EQ(getProfileString(file, u"s", row.key, u"DEF", 1024), row.text);
      EXPECT_EQ(getProfileInt(file, u"S", row.key, 77), row.number);
    }
  }
  EXPECT_EQ(getProfileString(dir.file(u"absent.ini"), u"S", u"a", u"DEF", 1024), u"DEF");
  EXPECT_EQ(getProfileInt(dir.file(u"absent.ini"), u"S", u"a", 77), 77);
}

TEST(ProfileFile, StructNeedsItsSizeAndChecksumAndIsLeftAloneOtherwise) {
  struct Row {
    std::u16string_view key;
    bool read;
    const char* bytes;
  };
  const Row rows[] = {
      {u"ok", true, "01 02"},     {u"lower", true, "0A 0B"},  {u"blanks", true, "01 02"},
      {u"sum", false, "AA AA"},   {u"short", false, "AA AA"}, {u"quoted", false, "AA AA"},
      {u"missing", false, "AA AA"},
  };
  test::TempDir dir;
  const Path file = dir.file(u"struct.ini");
  test::writeFileBytes(file, unicodeFile(u"[S]\r\nok=010203\r\nlower=0a0b15\r\nblanks=  010203  \r\nsum=010204\r\n"
                                         u"short=0103\r\nquoted=\"010203\"\r\n"));
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key.begin(), row.key.end()));
    Bytes record = test::hex("AA AA");
    EXPECT_EQ(getProfileStruct(file, u"S", row.key, record), row.read);
    EXPECT_EQ(test::toHex(record), test::toHex(test::hex(row.bytes)));
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
ProfileOp putStruct(std::u16string section, std::u16string key, Bytes record) {
  return [=](const Path& file, ProfileText& ours) {
    writeProfileStruct(file, section, key, record);
    ours.setStoredValue(section, key, storedStructForm(record));
  };
}
ProfileOp remove(std::u16string section, std::u16string key) {
  return [=](const Path& file, ProfileText& ours) {
    deleteProfileKey(file, section, key);
    ours.removeKey(section, key);
  };
}
const ProfileOp kCreate = [](const Path& file, ProfileText&) { createUnicodeProfileFile(file); };

// Each case starts from the file's bytes (none: absent) and ends with the
// exact bytes that the Windows functions leave. Our own writer is held to
// them too, so that under Wine both are compared in one run.
TEST(ProfileFile, WritesLeaveTheBytesTheWindowsFunctionsLeave) {
  const struct {
    const char* name;
    std::optional<Bytes> before;
    std::vector<ProfileOp> ops;
    Bytes after;
  } cases[] = {
      {"a new file: keys join their section, the last write wins, deletes of missing keys change nothing",
       std::nullopt,
       {kCreate, put(u"S", u"a", u"1"), put(u"S", u"b", u"two"), put(u"T", u"x", u"日本"), put(u"S", u"c", u"3"),
        put(u"s", u"A", u"2"), remove(u"S", u"b"), remove(u"S", u"missing"), remove(u"Z", u"missing"),
        putStruct(u"S", u"p", hex("01 02 FF"))},
       unicodeFile(u"[S]\r\na=2\r\nc=3\r\np=0102FF02\r\n[T]\r\nx=日本\r\n")},
      {"names keep the spelling of the file, comments stay, an emptied section keeps its header",
       unicodeFile(u"; c\r\n[s]\r\nA=1\r\n[T]\r\ny=2\r\n"),
       {put(u"S", u"a", u"9"), put(u"S", u"new", u"n"), remove(u"T", u"y")},
       unicodeFile(u"; c\r\n[s]\r\nA=9\r\nnew=n\r\n[T]\r\n")},
      {"LF line ends become CR LF", unicodeFile(u"[S]\na=1\n"), {put(u"S", u"b", u"2")},
       unicodeFile(u"[S]\r\na=1\r\nb=2\r\n")},
      {"blanks and quotes at a value's ends are kept in quotes", Bytes{},
       {kCreate, put(u"S", u"k", u" x "), put(u"S", u"q", u"'q'")}, unicodeFile(u"[S]\r\nk=\" x \"\r\nq=\"'q'\"\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const Path file = dir.file(u"w.ini");
    if (c.before) writeFileBytes(file, *c.before);
    ProfileText ours = ProfileText::parse(c.before.value_or(Bytes{}));
    for (const auto& op : c.ops) op(file, ours);
    EXPECT_EQ(toHex(readFileBytes(file)), toHex(c.after));
    EXPECT_EQ(toHex(ours.serialize()), toHex(c.after)) << "our own writer";
  }
}

TEST(ProfileFile, ValuesComeBackWholeWithBlanksAndQuotes) {
  const std::u16string_view values[] = {
      u"\"Yes\"", u"  lead", u"trail  ", u"'s'", u"\"", u"'", u"\x3000全角\x3000", u"x\"y", u"\"\"", u"\t", u"plain",
  };
  test::TempDir dir;
  const Path file = dir.file(u"q.ini");
  ASSERT_TRUE(createUnicodeProfileFile(file));
  for (auto value : values) {
    SCOPED_TRACE(test::toHex(test::utf16le(value)));
    ASSERT_TRUE(writeProfileString(file, u"S", u"k", value));
    EXPECT_EQ(getProfileString(file, u"S", u"k", u"DEF", 1024), value);
  }
}

TEST(ProfileFile, RefusesValuesThatWouldBreakTheLines) {
  test::TempDir dir;
  const Path file = dir.file(u"inject.ini");
  const Bytes before = unicodeFile(u"[S]\r\nk=old\r\n");
  test::writeFileBytes(file, before);
  const std::u16string_view values[] = {u"x\r\ninjected=1", u"x\ninjected=1", u"x\rinjected=1",
                                        std::u16string_view(u"x\0y", 3)};
  for (auto value : values) {
    SCOPED_TRACE(test::toHex(test::utf16le(value)));
    EXPECT_FALSE(writeProfileString(file, u"S", u"k", value));
    ProfileWriter writer(file);
    writer.writeString(u"S", u"k", value);
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(test::readFileBytes(file), before);
  }
}

TEST(ProfileFile, DeletingAMissingKeySucceedsAndCreatesNoFile) {
  TempDir dir;
  deleteProfileKey(dir.file(u"absent.ini"), u"S", u"k");
  EXPECT_FALSE(fileExists(dir.file(u"absent.ini")));
  const Path file = dir.file(u"present.ini");
  writeFileBytes(file, unicodeFile(u"[S]\r\nk=1\r\n"));
  EXPECT_TRUE(deleteProfileKey(file, u"S", u"other"));
  EXPECT_TRUE(deleteProfileKey(file, u"T", u"k"));
  EXPECT_EQ(readFileBytes(file), unicodeFile(u"[S]\r\nk=1\r\n"));
}

TEST(ProfileFile, CreatesAUnicodeFileOnlyWhenThereIsNoneOrAnEmptyOne) {
  const struct {
    const char16_t* name;
    std::optional<Bytes> before;
    Bytes after;
  } cases[] = {{u"absent.ini", std::nullopt, hex("ff fe")},
               {u"empty.ini", Bytes{}, hex("ff fe")},
               {u"full.ini", eightBitFile("[S]\r\nk=1\r\n"), eightBitFile("[S]\r\nk=1\r\n")}};
  TempDir dir;
  for (const auto& c : cases) {
    if (c.before) writeFileBytes(dir.file(c.name), *c.before);
    ASSERT_TRUE(createUnicodeProfileFile(dir.file(c.name)));
    EXPECT_EQ(toHex(readFileBytes(dir.file(c.name))), toHex(c.after));
  }
}

// Our own writer keeps what the Windows one would tidy away, and always
// writes UTF-16LE.
TEST(ProfileText, KeepsLinesItDoesNotChange) {
  struct Case {
    const char* name;
    Bytes before;
    std::u16string_view after;
  };
  const Case cases[] = {
      {"blank lines stay after the new key", unicodeFile(u"[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n"),
       u"[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n"},
      {"an 8-bit file becomes UTF-16", eightBitFile("; note\n[S]\nk=old\n"), u"; note\r\n[S]\r\nk=v\r\n"},
      {"CR alone ends a line", unicodeFile(u"[S]\rx=1\r"), u"[S]\r\nx=1\r\nk=v\r\n"},
      {"text before any section", unicodeFile(u"k=top\r\n"), u"k=top\r\n[S]\r\nk=v\r\n"},
      {"a last line without its line end", unicodeFile(u"[S]\r\na=1"), u"[S]\r\na=1\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProfileText text = ProfileText::parse(c.before);
    EXPECT_TRUE(text.setStoredValue(u"S", u"k", u"v"));
    EXPECT_EQ(test::toHex(text.serialize()), test::toHex(unicodeFile(c.after)));
    EXPECT_FALSE(text.setStoredValue(u"S", u"k", u"v")) << "the same value again changes nothing";
  }
}

// Stricter than Wine, which takes both.
TEST(ProfileText, StructMustHaveExactlyItsLengthInHexDigits) {
  Bytes record = test::hex("AA AA");
  EXPECT_FALSE(structFromStored(u"01020304", record)) << "one byte too many";
  EXPECT_FALSE(structFromStored(u"01G1F2", record)) << "a digit beyond F, though the sum fits";
  EXPECT_EQ(test::toHex(record), "aa aa");
  EXPECT_EQ(storedStructForm(test::hex("FF 02 00")), u"FF020001");
}

using Keywords = std::vector<std::u16string>;

// 44, 2, 3, (-1, -1), (-32000, -32000), (10, 20, 810, 620), then the checksum E4.
constexpr std::u16string_view kPlacementHex =
    u"2C0000000200000003000000FFFFFFFFFFFFFFFF0083FFFF0083FFFF0A000000140000002A0300006C020000E4";
const WindowPlacement kPlacement{44, 2, 3, {-1, -1}, {-32000, -32000}, {10, 20, 810, 620}};
const std::u16string kZeroSettings = u"[Verbarium]\r\nWindowPlacement=" + std::u16string(90, u'0') +
                                     u"\r\nColumnWidth0=0\r\nColumnWidth1=0\r\nColumnWidth2=0\r\nColumnWidth3=0\r\n";

std::u16string asciiDigits(int number) { return asciiToUtf16(std::to_string(number)); }

// "<prefix>000=k0" and so on, one line per index.
std::u16string numbered(std::u16string_view prefix, int from, int to) {
  std::u16string text;
  for (int i = from; i <= to; ++i) {
    text += std::u16string(prefix) + (i < 10 ? u"00" : u"0") + asciiDigits(i) + u"=k" + asciiDigits(i) + u"\r\n";
  }
  return text;
}

// Each write goes over the one before in the same file, the first where no
// file is, as at the first start. The replace-all choice is never stored; a
// window moved, and nothing else, is written too; a keyword the file cannot
// hold, or an empty one, leaves no gap; keywords beyond the twenty kept, or
// beyond a shorter history, are gone.
TEST(AppSettings, EachWriteLeavesItsBytesAndReadsBackAsWritten) {
  AppSettings rich;
  rich.replaceAllSameOriginal = true;
  rich.windowPlacement = kPlacement;
  rich.columnWidths = {40, -1, 2147483647, -2147483647 - 1};
  rich.keywordHistory = {u"日本語", u"\"Yes\"", u"", u"b\r\nColumnWidth0=99", u" lead", u"x"};
  AppSettings moved = rich;
  moved.windowPlacement = {};
  AppSettings many;
  for (int i = 0; i < 30; ++i) many.keywordHistory.push_back(u"k" + asciiDigits(i));
  const auto richText = [](std::u16string_view placement) {
    return u"[Verbarium]\r\nWindowPlacement=" + std::u16string(placement) +
           u"\r\nColumnWidth0=40\r\nColumnWidth1=-1\r\nColumnWidth2=2147483647\r\nColumnWidth3=-2147483648\r\n"
           u"SearchKeyword000=日本語\r\nSearchKeyword001=\"\"Yes\"\"\r\nSearchKeyword002=\" lead\"\r\n"
           u"SearchKeyword003=x\r\n";
  };
  const Keywords richKeywords = {u"日本語", u"\"Yes\"", u" lead", u"x"};
  const struct {
    AppSettings settings;
    std::u16string text;
    Keywords keywords;
  } writes[] = {
      {rich, richText(kPlacementHex), richKeywords},
      {moved, richText(std::u16string(90, u'0')), richKeywords},
      {AppSettings{}, kZeroSettings, {}},
      {many, kZeroSettings + numbered(u"SearchKeyword", 0, 19),
       Keywords(many.keywordHistory.begin(), many.keywordHistory.begin() + 20)},
  };
  TempDir dir;
  const Path file = dir.file(u"Verbarium.ini");
  AppSettings first;
  loadSettings(first, file);
  EXPECT_EQ(first.windowPlacement, WindowPlacement{});
  EXPECT_EQ(first.columnWidths, (std::array<int, 4>{}));
  EXPECT_TRUE(first.keywordHistory.empty());
  for (const auto& write : writes) {
    ASSERT_TRUE(writeSettings(write.settings, file));
    EXPECT_EQ(toHex(readFileBytes(file)), toHex(unicodeFile(write.text)));
    AppSettings back;
    back.keywordHistory = {u"from before"};
    loadSettings(back, file);
    EXPECT_FALSE(back.replaceAllSameOriginal);
    EXPECT_EQ(back.windowPlacement, write.settings.windowPlacement);
    EXPECT_EQ(back.columnWidths, write.settings.columnWidths);
    EXPECT_EQ(back.keywordHistory, write.keywords);
  }
  EXPECT_FALSE(writeSettings(rich, dir.file(u"no such directory\\Verbarium.ini")));
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
      {"a keyword longer than 1023 units", u"[Verbarium]\r\nSearchKeyword000=" + std::u16string(1500, u'x') + u"\r\n",
       {std::u16string(1023, u'x')}},
      {"empty keywords are skipped; quotes and other cases of names are read",
       u"[verbarium]\r\nSEARCHKEYWORD000=\r\nsearchkeyword001=\" q \"\r\nSearchKeyword005='f'\r\ncolumnwidth2=-7\r\n",
       {u" q ", u"f"},
       {0, 0, -7, 0}},
      {"widths that are no numbers", u"[Verbarium]\r\nColumnWidth0=abc\r\nColumnWidth1=\r\nColumnWidth3=12px\r\n",
       {}, {0, 0, 0, 12}},
      {"a placement with a wrong checksum is ignored", u"[Verbarium]\r\nWindowPlacement=" + wrongSum + u"\r\n"},
      {"a placement in lower-case hex", u"[Verbarium]\r\nWindowPlacement=" + lowerCase + u"\r\n", {}, {}, kPlacement},
      {"another section's keys", u"[Other]\r\nSearchKeyword000=a\r\nColumnWidth0=5\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const Path file = dir.file(u"Verbarium.ini");
    writeFileBytes(file, unicodeFile(c.text));
    AppSettings settings;
    settings.keywordHistory = {u"from before"};
    loadSettings(settings, file);
    EXPECT_EQ(settings.keywordHistory, c.keywords);
    EXPECT_EQ(settings.columnWidths, c.widths);
    EXPECT_EQ(settings.windowPlacement, c.placement);
  }
}

}  // namespace
}  // namespace verbarium
