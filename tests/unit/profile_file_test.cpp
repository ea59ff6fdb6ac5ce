// The profile file operations. Natively they run on our own reader and
// writer, under Wine on the real Windows functions; the expectations are the
// same, so that one settings file serves both.

#include <gtest/gtest.h>

#include <optional>

#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "support/profile_ops.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

Bytes eightBitFile(std::string_view text) { return Bytes(text.begin(), text.end()); }

constexpr std::string_view kAwkwardFile =
    "; comment\r\n"
    "  [ S ]  \r\n"
    "  a = x y  \r\n"
    "A=second of the same name\r\n"
    "b=\"q\"\r\n"
    "c='q'\r\n"
    "d=\"q\r\n"
    "e=\" sp \"\r\n"
    "f=\"\"x\"\"\r\n"
    "g=  12abc\r\n"
    "h=-3\r\n"
    "i=abc\r\n"
    "j=\r\n"
    "k=4294967295\r\n"
    "m=+7\r\n"
    "noeq\r\n"
    "o=\t\x1a tab\t\r\n"
    "q=\"\r\n"
    "r=''\r\n"
    "Zz=names fold Z too\r\n"
    "[T\r\n"
    "t=after a header without its bracket\r\n"
    "[other]\r\n"
    "z=1\r\n"
    "[s]\r\n"
    "second=only the first section of a name counts\n";

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

// Each case starts from the file's bytes (none: absent) and ends with the
// exact bytes that the Windows functions leave. Our own writer is held to
// them too, so that under Wine both are compared in one run.
TEST(ProfileFile, WritesLeaveTheBytesTheWindowsFunctionsLeave) {
  for (const auto& c : test::profileWriteCases()) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const Path file = dir.file(u"w.ini");
    if (c.before) test::writeFileBytes(file, *c.before);
    test::applyToFile(file, c.ops);
    EXPECT_EQ(test::toHex(test::readFileBytes(file)), test::toHex(c.after));

    ProfileText ours = ProfileText::parse(c.before.value_or(Bytes{}));
    test::applyToText(ours, c.ops);
    EXPECT_EQ(test::toHex(ours.serialize()), test::toHex(c.after)) << "our own writer";
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
  test::TempDir dir;
  const Path absent = dir.file(u"absent.ini");
  deleteProfileKey(absent, u"S", u"k");
  EXPECT_FALSE(fileExists(absent));

  const Path file = dir.file(u"present.ini");
  test::writeFileBytes(file, unicodeFile(u"[S]\r\nk=1\r\n"));
  EXPECT_TRUE(deleteProfileKey(file, u"S", u"other"));
  EXPECT_TRUE(deleteProfileKey(file, u"T", u"k"));
  EXPECT_EQ(test::readFileBytes(file), unicodeFile(u"[S]\r\nk=1\r\n"));
}

TEST(ProfileFile, CreatesAUnicodeFileOnlyWhenThereIsNoneOrAnEmptyOne) {
  test::TempDir dir;
  const Path absent = dir.file(u"absent.ini");
  ASSERT_TRUE(createUnicodeProfileFile(absent));
  EXPECT_EQ(test::toHex(test::readFileBytes(absent)), "ff fe");

  const Path empty = dir.file(u"empty.ini");
  test::writeFileBytes(empty, {});
  ASSERT_TRUE(createUnicodeProfileFile(empty));
  EXPECT_EQ(test::toHex(test::readFileBytes(empty)), "ff fe");

  const Path full = dir.file(u"full.ini");
  test::writeFileBytes(full, eightBitFile("[S]\r\nk=1\r\n"));
  ASSERT_TRUE(createUnicodeProfileFile(full));
  EXPECT_EQ(test::readFileBytes(full), eightBitFile("[S]\r\nk=1\r\n"));
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

}  // namespace
}  // namespace verbarium
