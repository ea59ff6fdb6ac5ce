#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "formats/dat_format.h"
#include "messages/read_failure_messages.h"
#include "platform/file_stream.h"
#include "support/scripted_interaction.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

// Each test decides only when every test before it did not hold; bytes a
// short file does not fill count as zero.
TEST(DatSniff, PicksTheFirstLayoutWhoseTestHolds) {
  const std::pair<const char*, DatLayout> cases[] = {
      {"", DatLayout::Empty}, {"36 01", DatLayout::UnknownFormat}, {"01 02 03", DatLayout::UnknownFormat},
      {"00 00 00 00 42 01 00 00 02 00 00 00", DatLayout::Empty},
      {"36 01 00 00 42 01 00 00 02 00 00 00", DatLayout::MarkerDelimited},
      {"36 01 00 00 42 01 00 00", DatLayout::MarkerDelimited},
      {"05 00 00 00 01 00 00 00 02 00 00 00", DatLayout::SevenByteKey},
      {"05 00 00 00 07 00 00 00 02", DatLayout::SevenByteKey},
      {"05 00 00 00 01 00 00 00 03 00 09 00", DatLayout::SixByteKey},
      {"05 00 00 00 01 00 00 00 02 00 07 00", DatLayout::CountedKey},
      {"05 00 00 00 01 00 00 00 03 01 00 00", DatLayout::CountedKey}, {"05 00 00 00 01", DatLayout::CountedKey},
      {"05 00 00 00 02 00 00 00 03 01 00 00", DatLayout::DwordRunKey}, {"05 00 00 00", DatLayout::DwordRunKey},
  };
  for (const auto& [bytes, layout] : cases) {
    MemoryStream stream(hex(bytes));
    EXPECT_EQ(sniffDatLayout(stream), layout) << bytes;
    EXPECT_EQ(stream.position(), 0) << bytes;
  }
}

struct ReadCase {
  const char* name;
  Bytes bytes;
  DatLayout layout;
  std::vector<std::pair<std::string, std::u16string>> entries;  // key, text
  const char* kept = "";  // after the last whole record, written back as it was
  bool writtenBackAsItWas = true;
};

// Every table read whole is written back byte for byte, its kept bytes too.
TEST(DatReader, ReadsEachLayoutRecordByRecordAndTheWriterGivesTheBytesBack) {
  const std::u16string longText = std::u16string(39999, u'x') + u"y";  // beyond a 64 KiB read and any buffer
  const std::u16string longMarkerText(3000, u'm');
  const char* kAb = "11 00 00 00 12 00 00 00";
  const char* kSword = "42 01 00 00 03 04 05 06 07 08";
  const char* kNext = "43 01 11 12 13 14 15 16 17 18";
  using L = DatLayout;
  const ReadCase cases[] = {
      {"layout 1: key words, length, text",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00 'abc'  05 00 00 00  02 00 00 00 'de'"), L::DwordRunKey,
       {{kAb, u"abc"}, {"05 00 00 00", u"de"}}},
      {"layout 1: an empty text is only found at the end of the file",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  09 00 00 00  00 00 00 00"), L::DwordRunKey,
       {{kAb, u"ab"}, {"09 00 00 00", u""}}},
      {"layout 1: a one-unit last text", hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  09 00 00 00  "
                                             "01 00 00 00 'z'"), L::DwordRunKey, {{kAb, u"ab"}, {"09 00 00 00", u"z"}}},
      {"layout 1: a last text cut off", hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  09 00 00 00  "
                                            "01 00 00 00 7a"),
       L::DwordRunKey, {{kAb, u"ab"}}, "09 00 00 00 01 00 00 00 7a"},
      {"layout 1: words without a text",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  01 00 00 00 'c'  05 00 00 00 06 00"),
       L::DwordRunKey, {{kAb, u"c"}}, "05 00 00 00 06 00"},
      {"layout 1: an empty text before small key words runs into the next record",
       hex("07 00 00 00  11 00 00 00 12 00 00 00 00 00 00 00  02 00 00 00 02 00 00 00 'cd'"), L::DwordRunKey,
       {{"11 00 00 00 12 00 00 00 00 00 00 00 02 00 00 00", u"cd"}}},
      {"layout 1: a text of 40000 units", cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  40 9c 00 00"),
                                               utf16le(longText)}), L::DwordRunKey, {{kAb, longText}}},
      {"layout 1: a last record without key words",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  00 00 00 00"), L::DwordRunKey,
       {{kAb, u"ab"}, {"", u""}}},
      {"layout 1: a word of exactly 0x10000 is the first text word",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00  00 00 01 00"), L::DwordRunKey, {{kAb, u""}}, "", false},
      {"layout 2: tag, body length, body", hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00 'hi'  "
                                               "02 00 00 00 00  01 00 00 00 '!'"),
       L::CountedKey, {{"01 03 00 00 00 0a 0b 0c", u"hi"}, {"02 00 00 00 00", u"!"}}},
      {"layout 2: a body of 59 bytes, the longest key",
       cat({hex("05 00 00 00  01 3b 00 00 00"), Bytes(59, 0xab), hex("01 00 00 00 'k'")}), L::CountedKey,
       {{"01 3b 00 00 00 " + toHex(Bytes(59, 0xab)), u"k"}}},
      {"layout 2: the file ends inside the fixed fields", hex("05 00 00 00  01 00 00 00 00  01 00 00 00 'a'  01 02 00"),
       L::CountedKey, {{"01 00 00 00 00", u"a"}}, "01 02 00"},
      {"layout 2: the file ends inside a body", hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  01 00 00 00 'h'  "
                                                    "02 05 00 00 00 01"),
       L::CountedKey, {{"01 03 00 00 00 0a 0b 0c", u"h"}}, "02 05 00 00 00 01"},
      {"layout 3: six-byte keys",
       hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00 'A'  02 00 00 00 03 00  00 00 00 00"),
       L::SixByteKey, {{"01 00 00 00 03 00", u"A"}, {"02 00 00 00 03 00", u""}}},
      {"layout 3: a key cut short", hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00 'A'  02 00 00"), L::SixByteKey,
       {{"01 00 00 00 03 00", u"A"}}, "02 00 00"},
      {"layout 3: a length cut short", hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00 'A'  02 00 00 00 03 00  01 00"),
       L::SixByteKey, {{"01 00 00 00 03 00", u"A"}}, "02 00 00 00 03 00 01 00"},
      {"layout 3: a text ends at a zero unit", hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00 'a' 00 00 'b'"),
       L::SixByteKey, {{"01 00 00 00 03 00", u"a"}}, "", false},
      {"layout 3: the file ends inside the text", hex("0a 00 00 00  01 00 00 00 03 00  05 00 00 00 'ab' 63"),
       L::SixByteKey, {{"01 00 00 00 03 00", u"abc"}}, "", false},
      {"layout 3: a text length far beyond the file", hex("0a 00 00 00  01 00 00 00 03 00  ff ff ff ff 'ab'"),
       L::SixByteKey, {{"01 00 00 00 03 00", u"ab"}}, "", false},
      {"layout 4: seven-byte keys", hex("0b 00 00 00  01 00 00 00 02 00 00  01 00 00 00 'Q'"), L::SevenByteKey,
       {{"01 00 00 00 02 00 00", u"Q"}}},
      {"layout 5: texts up to the next marker, an empty one included",
       hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword'  43 01 11 12 13 14 15 16 17 18  "
           "44 01 21 22 23 24 25 26 27 28  e9 00 74 00 e9 00"), L::MarkerDelimited,
       {{kSword, u"Sword"}, {kNext, u""}, {"44 01 21 22 23 24 25 26 27 28", u"\u00e9t\u00e9"}}},
      {"layout 5: a text longer than the scan window and 1023 units",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(longMarkerText), hex("43 01 11 12 13 14 15 16 "
                                                                                          "17 18 'x'")}),
       L::MarkerDelimited, {{kSword, longMarkerText}, {kNext, u"x"}}},
      {"layout 5: a key cut short", hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword'  43 01 11 12"),
       L::MarkerDelimited, {{kSword, u"Sword"}}, "43 01 11 12"},
      {"layout 5: an odd last byte", hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword' 6f"), L::MarkerDelimited,
       {{kSword, u"Sword"}}, "6f"},
      {"header only", hex("0a 00 00 00"), L::DwordRunKey, {}},
      {"header and a stray byte", hex("0a 00 00 00  01"), L::CountedKey, {}, "01"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream stream(c.bytes);
    TextTable table;
    ASSERT_EQ(readTextTable(stream, table), DatReadResult::Read);
    EXPECT_EQ(stream.position(), static_cast<std::int64_t>(c.bytes.size()));
    EXPECT_EQ(table.layout, c.layout);
    EXPECT_EQ(table.header, c.bytes[0] | c.bytes[1] << 8);
    ASSERT_EQ(table.count(), static_cast<int>(c.entries.size()));
    for (int i = 0; i < table.count(); ++i) {
      const auto& [key, text] = c.entries[static_cast<std::size_t>(i)];
      EXPECT_EQ(toHex(Bytes(table.key(i).begin(), table.key(i).end())), toHex(hex(key))) << "entry " << i;
      EXPECT_TRUE(table.text(i) == text) << "entry " << i;
    }
    EXPECT_EQ(toHex(table.trailingBytes), c.kept);
    MemoryStream out;
    ASSERT_TRUE(writeTextTable(out, table));
    if (c.writtenBackAsItWas) {
      EXPECT_EQ(toHex(out.bytes()), toHex(c.bytes));
    }
    if (table.count() == 0 || table.trailingBytes.empty()) continue;
    // An edit changes its record, never the kept bytes.
    table.setText(0, u"Zz");
    MemoryStream edited;
    ASSERT_TRUE(writeTextTable(edited, table));
    EXPECT_TRUE(std::ranges::equal(table.trailingBytes, std::span(edited.bytes()).last(table.trailingBytes.size())));
  }
}

TEST(DatReader, RefusesWhatItCannotReadWholeAndSaysWhy) {
  using R = DatReadResult;
  const std::map<R, RecordedMessage> told = {
      {R::Empty, {u"このファイルは空です。", u"", mb::kOk}},
      {R::UnknownFormat, {u"不明なフォーマットです。", u"エラー", mb::kIconHand}},
      {R::CannotRead, {u"ファイルを読み込めません。", u"エラー", mb::kIconHand}},
  };
  Bytes seventeenWords = hex("07 00 00 00  03 00 00 00");
  for (int i = 0; i < 15; ++i) seventeenWords = cat({seventeenWords, hex("01 00 00 00")});
  const struct {
    const char* name;
    std::optional<Bytes> bytes;  // none: a file that cannot be read
    R result;
    DatLayout sniffed;
  } cases[] = {
      {"no bytes", Bytes{}, R::Empty, DatLayout::Empty},
      {"zero header", hex("00 00 00 00 01 00 00 00"), R::Empty, DatLayout::Empty},
      {"three bytes", hex("01 02 03"), R::UnknownFormat, DatLayout::UnknownFormat},
      {"layout 2: a key body of 60 bytes after a whole record",
       hex("05 00 00 00  01 00 00 00 00  01 00 00 00 'a'  01 3c 00 00 00"), R::UnknownFormat, DatLayout::CountedKey},
      {"layout 1: a record of 17 words", cat({seventeenWords, hex("02 00 00 00 'ab'")}), R::UnknownFormat,
       DatLayout::DwordRunKey},
      {"layout 1: a record without a length word", hex("07 00 00 00 'abcd'"), R::UnknownFormat, DatLayout::DwordRunKey},
      {"a file that cannot be read", std::nullopt, R::CannotRead, DatLayout::ReadFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream bytes(c.bytes.value_or(Bytes{}));
    FileStream unreadable{File{}};
    TextTable table;
    EXPECT_EQ(readTextTable(c.bytes ? static_cast<ByteStream&>(bytes) : unreadable, table), c.result);
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.layout, c.sniffed);
    ScriptedInteraction person;
    tellTableNotRead(person, c.result);
    EXPECT_EQ(person.messages, std::vector<RecordedMessage>{told.at(c.result)});
  }
}

}  // namespace
}  // namespace verbarium
