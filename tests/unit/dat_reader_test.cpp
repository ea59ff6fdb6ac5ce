#include <gtest/gtest.h>

#include <map>

#include "formats/dat_format.h"
#include "messages/read_failure_messages.h"
#include "platform/file_stream.h"
#include "support/scripted_interaction.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

// The layout is the first whose test on the first twelve bytes holds, bytes
// a short file does not fill counting as zero. Every table read whole is
// written back byte for byte, keys and kept bytes (those after the last
// whole record) too; any other is refused with nothing of it kept.
TEST(DatReader, ReadsEachLayoutRecordByRecordOrRefusesAndSaysWhy) {
  const std::u16string longText = std::u16string(39999, u'x') + u"y";  // beyond a 64 KiB read and any buffer
  const std::u16string longMarkerText(3000, u'm');
  Bytes seventeenWords = hex("07 00 00 00  03 00 00 00");
  for (int i = 0; i < 15; ++i) seventeenWords = cat({seventeenWords, hex("01 00 00 00")});
  using L = DatLayout;
  using R = DatReadResult;
  const std::map<R, RecordedMessage> told = {
      {R::Empty, {u"このファイルは空です。", u"", mb::kOk}},
      {R::UnknownFormat, {u"不明なフォーマットです。", u"エラー", mb::kIconHand}},
      {R::CannotRead, {u"ファイルを読み込めません。", u"エラー", mb::kIconHand}},
  };
  const struct {
    const char* name;
    std::optional<Bytes> bytes;  // none: a file that cannot be read
    DatLayout layout;
    std::vector<std::u16string> texts;
    R result = R::Read;
    const char* kept = "";
    bool writtenBackAsItWas = true;
  } cases[] = {
      {"layout 1: key words, length, text", hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00 'abc'  "
                                                "05 00 00 00  02 00 00 00 'de'"), L::DwordRunKey, {u"abc", u"de"}},
      {"layout 1: a one-unit last text", hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  09 00 00 00  "
                                             "01 00 00 00 'z'"), L::DwordRunKey, {u"ab", u"z"}},
      {"layout 1: a last record without key words",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00 'ab'  00 00 00 00"), L::DwordRunKey, {u"ab", u""}},
      {"layout 1: words without a text",
       hex("07 00 00 00  11 00 00 00 12 00 00 00  01 00 00 00 'c'  05 00 00 00 06 00"), L::DwordRunKey, {u"c"},
       R::Read, "05 00 00 00 06 00"},
      {"layout 1: an empty text before small key words runs into the next record",
       hex("07 00 00 00  11 00 00 00 12 00 00 00 00 00 00 00  02 00 00 00 02 00 00 00 'cd'"), L::DwordRunKey, {u"cd"}},
      {"layout 1: a text of 40000 units",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  40 9c 00 00"), utf16le(longText)}), L::DwordRunKey, {longText}},
      {"layout 2: tag, body length, body", hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00 'hi'  "
                                               "02 00 00 00 00  01 00 00 00 '!'"), L::CountedKey, {u"hi", u"!"}},
      {"layout 2: a body of 59 bytes, the longest key",
       cat({hex("05 00 00 00  01 3b 00 00 00"), Bytes(59, 0xab), hex("01 00 00 00 'k'")}), L::CountedKey, {u"k"}},
      {"layout 2: the file ends inside a body",
       hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  01 00 00 00 'h'  02 05 00 00 00 01"), L::CountedKey, {u"h"},
       R::Read, "02 05 00 00 00 01"},
      {"layout 3: six-byte keys", hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00 'A'  02 00 00 00 03 00  "
                                      "00 00 00 00"), L::SixByteKey, {u"A", u""}},
      {"layout 3: a length cut short", hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00 'A'  02 00 00 00 03 00  01 00"),
       L::SixByteKey, {u"A"}, R::Read, "02 00 00 00 03 00 01 00"},
      {"layout 3: a text ends at a zero unit", hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00 'a' 00 00 'b'"),
       L::SixByteKey, {u"a"}, R::Read, "", false},
      {"layout 3: a length far beyond the file, which ends in half a unit",
       hex("0a 00 00 00  01 00 00 00 03 00  ff ff ff ff 'ab' 63"), L::SixByteKey, {u"abc"}, R::Read, "", false},
      {"layout 4: seven-byte keys", hex("0b 00 00 00  01 00 00 00 02 00 00  01 00 00 00 'Q'"), L::SevenByteKey, {u"Q"}},
      {"layout 5: texts up to the next marker, an empty one included",
       hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword'  43 01 11 12 13 14 15 16 17 18  "
           "44 01 21 22 23 24 25 26 27 28  e9 00 74 00 e9 00"), L::MarkerDelimited, {u"Sword", u"", u"\u00e9t\u00e9"}},
      {"layout 5: a text longer than the scan window",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(longMarkerText), hex("43 01 11 12 13 14 15 16 "
                                                                                          "17 18")}),
       L::MarkerDelimited, {longMarkerText, u""}},
      {"layout 5: a key cut short", hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword'  43 01 11 12"),
       L::MarkerDelimited, {u"Sword"}, R::Read, "43 01 11 12"},
      {"layout 5: an odd last byte", hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword' 6f"), L::MarkerDelimited,
       {u"Sword"}, R::Read, "6f"},
      {"header and a stray byte", hex("0a 00 00 00  01"), L::CountedKey, {}, R::Read, "01"},
      {"layout 4, told by zeros a short file does not fill", hex("05 00 00 00  07 00 00 00 02"), L::SevenByteKey, {},
       R::Read, "07 00 00 00 02"},
      {"header alone", hex("05 00 00 00"), L::DwordRunKey, {}},
      {"no bytes", Bytes{}, L::Empty, {}, R::Empty},
      {"zero header", hex("00 00 00 00  42 01 00 00 02 00 00 00"), L::Empty, {}, R::Empty},
      {"three bytes", hex("01 02 03"), L::UnknownFormat, {}, R::UnknownFormat},
      {"layout 2, as the unit after a 2 is no zero", hex("05 00 00 00  01 00 00 00 02 00 07 00"), L::CountedKey, {},
       R::UnknownFormat},
      {"layout 2, as the byte after a 3 is no zero", hex("05 00 00 00  01 00 00 00 03 01 00 00"), L::CountedKey, {},
       R::UnknownFormat},
      {"layout 2: a key body of 60 bytes after a whole record",
       hex("05 00 00 00  01 00 00 00 00  01 00 00 00 'a'  01 3c 00 00 00"), L::CountedKey, {}, R::UnknownFormat},
      {"layout 1: a record of 17 words", cat({seventeenWords, hex("02 00 00 00 'ab'")}), L::DwordRunKey, {},
       R::UnknownFormat},
      {"layout 1: a record without a length word", hex("07 00 00 00 'abcd'"), L::DwordRunKey, {}, R::UnknownFormat},
      {"a file that cannot be read", std::nullopt, L::ReadFailed, {}, R::CannotRead},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream bytes(c.bytes.value_or(Bytes{}));
    FileStream unreadable{File{}};
    TextTable table;
    EXPECT_EQ(readTextTable(c.bytes ? static_cast<ByteStream&>(bytes) : unreadable, table), c.result);
    EXPECT_EQ(table.layout, c.layout);
    ASSERT_EQ(table.count(), static_cast<int>(c.texts.size()));
    for (int i = 0; i < table.count(); ++i) EXPECT_TRUE(table.text(i) == c.texts[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(toHex(table.trailingBytes), c.kept);
    if (c.result != R::Read) {
      ScriptedInteraction person;
      tellTableNotRead(person, c.result);
      EXPECT_EQ(person.messages, std::vector<RecordedMessage>{told.at(c.result)});
      continue;
    }
    MemoryStream out;
    ASSERT_TRUE(writeTextTable(out, table));
    EXPECT_TRUE(!c.writtenBackAsItWas || out.bytes() == *c.bytes) << toHex(out.bytes());
  }
}

}  // namespace
}  // namespace verbarium
