#include <gtest/gtest.h>

#include "formats/dat_format.h"
#include "messages/read_failure_messages.h"
#include "support/scripted_interaction.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

struct ExpectedEntry {
  std::string keyHex;
  std::u16string text;
};

struct ReadCase {
  const char* name;
  Bytes bytes;
  DatLayout layout;
  std::uint32_t header;
  std::vector<ExpectedEntry> entries;
};

std::string keyHexOf(std::span<const std::uint8_t> key) { return test::toHex(Bytes(key.begin(), key.end())); }

std::vector<ReadCase> readCases() {
  // Longer than one 64 KiB read and than any text buffer.
  std::u16string longText(40000, u'x');
  longText[39999] = u'y';
  std::u16string longMarkerText(3000, u'm');
  return {
      {"layout 1: two key words, text abc",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
            hex("05 00 00 00  02 00 00 00"), utf16le(u"de")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u"abc"}, {"05 00 00 00", u"de"}}},
      {"layout 1: an empty text is only found at the end of the file",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"), hex("09 00 00 00  00 00 00 00")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u"ab"}, {"09 00 00 00", u""}}},
      {"layout 1: a one-unit last text is kept when exactly its unit follows",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"), hex("09 00 00 00  01 00 00 00"),
            utf16le(u"z")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u"ab"}, {"09 00 00 00", u"z"}}},
      {"layout 1: a last record whose text is cut off is dropped",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"), hex("09 00 00 00  01 00 00 00 7a")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u"ab"}}},
      {"layout 1: an empty text followed by small key words runs into the next record",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00 00 00 00 00  02 00 00 00 02 00 00 00"), utf16le(u"cd")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00 00 00 00 00 02 00 00 00", u"cd"}}},
      {"layout 1: a text of 40000 units is read whole",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  40 9c 00 00"), utf16le(longText)}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", longText}}},
      {"layout 1: a last record without key words holds an empty text",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"), hex("00 00 00 00")}),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u"ab"}, {"", u""}}},
      {"layout 1: a word of exactly 0x10000 is the first text word",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00  00 00 01 00"),
       DatLayout::DwordRunKey, 7,
       {{"11 00 00 00 12 00 00 00", u""}}},
      {"layout 2: tag, body length 3, body 0a 0b 0c",
       cat({hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00"), utf16le(u"hi"),
            hex("02 00 00 00 00  01 00 00 00"), utf16le(u"!")}),
       DatLayout::CountedKey, 5,
       {{"01 03 00 00 00 0a 0b 0c", u"hi"}, {"02 00 00 00 00", u"!"}}},
      {"layout 2: a body of 59 bytes, the longest key",
       cat({hex("05 00 00 00  01 3b 00 00 00"), Bytes(59, 0xab), hex("01 00 00 00"), utf16le(u"k")}),
       DatLayout::CountedKey, 5,
       {{"01 3b 00 00 00 " + test::toHex(Bytes(59, 0xab)), u"k"}}},
      {"layout 2: the file ends inside the fixed fields of a record",
       cat({hex("05 00 00 00  01 00 00 00 00  01 00 00 00"), utf16le(u"a"), hex("01 02 00")}),
       DatLayout::CountedKey, 5,
       {{"01 00 00 00 00", u"a"}}},
      {"layout 3: six-byte keys",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), utf16le(u"ok"),
            hex("02 00 00 00 03 00  00 00 00 00")}),
       DatLayout::SixByteKey, 10,
       {{"01 00 00 00 03 00", u"ok"}, {"02 00 00 00 03 00", u""}}},
      {"layout 3: a text with a zero unit inside ends there",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"), hex("00 00"), utf16le(u"b")}),
       DatLayout::SixByteKey, 10,
       {{"01 00 00 00 03 00", u"a"}}},
      {"layout 3: the file ends inside the text",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  05 00 00 00"), utf16le(u"ab"), hex("63")}),
       DatLayout::SixByteKey, 10,
       {{"01 00 00 00 03 00", u"abc"}}},
      {"layout 3: a text length far beyond the file",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  ff ff ff ff"), utf16le(u"ab")}),
       DatLayout::SixByteKey, 10,
       {{"01 00 00 00 03 00", u"ab"}}},
      {"layout 4: seven-byte keys",
       cat({hex("0b 00 00 00  01 00 00 00 02 00 00  01 00 00 00"), utf16le(u"Q")}),
       DatLayout::SevenByteKey, 11,
       {{"01 00 00 00 02 00 00", u"Q"}}},
      {"layout 5: texts up to the next marker, an empty one included",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
            hex("43 01 11 12 13 14 15 16 17 18  44 01 21 22 23 24 25 26 27 28"), utf16le(u"\u00e9t\u00e9")}),
       DatLayout::MarkerDelimited, 0x136,
       {{"42 01 00 00 03 04 05 06 07 08", u"Sword"},
        {"43 01 11 12 13 14 15 16 17 18", u""},
        {"44 01 21 22 23 24 25 26 27 28", u"\u00e9t\u00e9"}}},
      {"layout 5: a text longer than the scan window and 1023 units",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(longMarkerText),
            hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"x")}),
       DatLayout::MarkerDelimited, 0x136,
       {{"42 01 00 00 03 04 05 06 07 08", longMarkerText}, {"43 01 11 12 13 14 15 16 17 18", u"x"}}},
      {"layout 5: a record without its eight key bytes is dropped",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"a"), hex("43 01 11 12")}),
       DatLayout::MarkerDelimited, 0x136,
       {{"42 01 00 00 03 04 05 06 07 08", u"a"}}},
      {"header only", hex("0a 00 00 00"), DatLayout::DwordRunKey, 10, {}},
  };
}

TEST(DatReader, ReadsEachLayoutRecordByRecord) {
  for (const ReadCase& c : readCases()) {
    MemoryStream stream(c.bytes);
    TextTable table;
    ASSERT_EQ(readTextTable(stream, table), DatReadResult::Read) << c.name;
    EXPECT_EQ(table.layout, c.layout) << c.name;
    EXPECT_EQ(table.header, c.header) << c.name;
    ASSERT_EQ(table.count(), static_cast<int>(c.entries.size())) << c.name;
    for (int i = 0; i < table.count(); ++i) {
      EXPECT_EQ(keyHexOf(table.key(i)), test::toHex(hex(c.entries[i].keyHex))) << c.name << ", entry " << i;
      EXPECT_TRUE(table.text(i) == c.entries[i].text) << c.name << ", entry " << i;
    }
  }
}

TEST(DatReader, LayoutOneRecordEndsWhereTheNextBegins) {
  Bytes bytes = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
                     hex("05 00 00 00  02 00 00 00"), utf16le(u"de")});
  MemoryStream stream(bytes);
  TextTable table;
  ASSERT_EQ(readTextTable(stream, table), DatReadResult::Read);
  EXPECT_EQ(table.key(0).size(), 8u);
  EXPECT_EQ(stream.position(), static_cast<std::int64_t>(bytes.size()));
}

struct RefusalCase {
  const char* name;
  Bytes bytes;
  DatReadResult result;
  DatLayout sniffed;
  std::u16string message;  // what the person is told of it
  std::optional<std::u16string> caption;
  unsigned style;
};

TEST(DatReader, RefusesWhatItCannotReadWholeAndSaysWhy) {
  using R = DatReadResult;
  const RefusalCase cases[] = {
      {"no bytes", {}, R::Empty, DatLayout::Empty, u"このファイルは空です。", u"", mb::kOk},
      {"zero header", hex("00 00 00 00 01 00 00 00"), R::Empty, DatLayout::Empty, u"このファイルは空です。", u"",
       mb::kOk},
      {"three bytes", hex("01 02 03"), R::UnknownFormat, DatLayout::UnknownFormat, u"不明なフォーマットです。",
       u"エラー", mb::kIconHand},
      {"layout 2 key body of 60 bytes after a whole record",
       hex("05 00 00 00  01 00 00 00 00  01 00 00 00 61 00  01 3c 00 00 00"), R::UnknownFormat, DatLayout::CountedKey,
       u"不明なフォーマットです。", u"エラー", mb::kIconHand},
      {"layout 1 record of 17 words",
       cat({hex("07 00 00 00"), hex("03 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 "
                                    "01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 "
                                    "01 00 00 00 01 00 00 00 01 00 00 00 02 00 00 00"),
            utf16le(u"ab")}),
       R::UnknownFormat, DatLayout::DwordRunKey, u"不明なフォーマットです。", u"エラー", mb::kIconHand},
      {"layout 1 record without a length word", cat({hex("07 00 00 00"), utf16le(u"abcd")}), R::UnknownFormat,
       DatLayout::DwordRunKey, u"不明なフォーマットです。", u"エラー", mb::kIconHand},
  };
  for (const RefusalCase& c : cases) {
    MemoryStream stream(c.bytes);
    TextTable table;
    EXPECT_EQ(readTextTable(stream, table), c.result) << c.name;
    EXPECT_EQ(table.count(), 0) << c.name;
    EXPECT_EQ(table.layout, c.sniffed) << c.name;
    test::ScriptedInteraction person;
    tellTableNotRead(person, c.result);
    ASSERT_EQ(person.messages.size(), 1u) << c.name;
    EXPECT_EQ(person.messages[0], (test::RecordedMessage{c.message, c.caption, c.style})) << c.name;
  }
}

}  // namespace
}  // namespace verbarium
