#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "formats/dat_format.h"
#include "formats/exchange_format.h"
#include "messages/read_failure_messages.h"
#include "platform/file_stream.h"
#include "support/scripted_interaction.h"
#include "support/test_tables.h"

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
      {"layout 1: a record of 17 words, its text word the last",
       cat({hex("07 00 00 00"), Bytes(15 * 4, 0), hex("02 00 00 00 'ab'")}), L::DwordRunKey, {}, R::UnknownFormat},
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

// A text changes alone, in place or moved, and however it is set it ends at
// its first zero unit, as on reading; its length field follows it.
TEST(TextTable, AnEditChangesOneTextAndItsLength) {
  MemoryStream file(cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(std::u16string_view(u"a\0b", 3)),
                         hex("02 00 00 00 03 00  03 00 00 00"), utf16le(u"xyz")}));
  TextTable table;
  ASSERT_EQ(readTextTable(file, table), DatReadResult::Read);
  const int first[] = {0};
  const std::u16string wide(5000, u'\u3042');
  const struct {
    std::function<void()> edit;
    std::vector<std::u16string> texts;
  } steps[] = {
      {[] {}, {u"a", u"xyz"}},
      {[&] { table.setText(0, u"\u3042\u3044"); }, {u"\u3042\u3044", u"xyz"}},
      {[&] { table.setText(1, wide); }, {u"\u3042\u3044", wide}},
      {[&] { table.setText(1, std::u16string_view(u"x\0yz", 4)); }, {u"\u3042\u3044", u"x"}},
      {[&] { table.setTexts(first, std::u16string_view(u"z\0yx", 4)); }, {u"z", u"x"}},
      {[&] { table.append(hex("03 00 00 00 03 00"), std::u16string_view(u"ab\0c", 4)); }, {u"z", u"x", u"ab"}},
  };
  for (const auto& step : steps) {
    step.edit();
    MemoryStream out;
    ASSERT_TRUE(writeTextTable(out, table));
    EXPECT_EQ(toHex(out.bytes()), toHex(sixByteTable(step.texts)));
  }
  EXPECT_THROW(table.text(3), std::out_of_range);
}

bool readsBackAs(const Bytes& bytes, const TextTable& table) {
  MemoryStream stream(bytes);
  TextTable again;
  if (readTextTable(stream, again) != DatReadResult::Read || again.count() != table.count()) return false;
  for (int i = 0; i < table.count(); ++i) {
    if (again.text(i) != table.text(i) || !std::ranges::equal(again.key(i), table.key(i))) return false;
  }
  return again.trailingBytes == table.trailingBytes;
}

// Every small layout 1 table of short texts, first key words from zero to
// the least the reader takes for text, and kept bytes: the writer refuses
// exactly the tables whose plain records would not read back as they are.
TEST(DatWriter, TheLayoutOneVerdictIsTheReadersOwn) {
  const std::u16string texts[] = {u"", u"a", u"ab"};
  const Bytes firstWords[] = {hex("00 00 00 00"), hex("05 00 00 00"), hex("00 00 01 00")};
  // None of them begins a record.
  const Bytes tails[] = {{}, hex("00 00"), hex("01 00"), hex("00 00 00 00 01"), hex("07")};
  for (int combination = 0; combination < 9 * 9 * 5; ++combination) {
    TextTable table;
    table.layout = DatLayout::DwordRunKey;
    table.header = 7;
    int rest = combination;
    for (int record = 0; record < 2; ++record, rest /= 9) {
      table.append(cat({firstWords[rest % 3], hex("11 00 00 00")}), texts[rest / 3 % 3]);
    }
    table.trailingBytes = tails[rest];
    MemoryStream out, plain;
    const bool accepted = writeTextTable(out, table);
    ASSERT_TRUE(writeLengthPrefixedRecords(plain, table));
    EXPECT_EQ(accepted, readsBackAs(accepted ? out.bytes() : plain.bytes(), table)) << "combination " << combination;
    EXPECT_EQ(accepted, firstEntryLayoutCannotHold(table) < 0) << "combination " << combination;
  }
}

// A disk that holds `room` bytes: the write that does not fit fails, and so
// does every write after it.
class FullDisk final : public ByteStream {
 public:
  explicit FullDisk(std::size_t room) : room_(room) {}
  std::int64_t read(void*, std::size_t) override { return 0; }
  bool write(const void*, std::size_t size) override {
    taken_ += size;
    return taken_ <= room_;
  }
  bool seek(std::int64_t, SeekOrigin) override { return false; }
  std::int64_t position() override { return 0; }
  std::int64_t size() override { return 0; }
  bool truncate() override { return false; }
  bool flush() override { return true; }

 private:
  std::size_t room_, taken_ = 0;
};

// However far a write gets before the disk is full, the writer says so.
TEST(Writers, ReportAWriteThatFailsAtAnyPoint) {
  MemoryStream file(sixByteTable({u"ok", u"z"}));
  TextTable table;
  ASSERT_EQ(readTextTable(file, table), DatReadResult::Read);
  const std::pair<const char*, std::function<bool(ByteStream&)>> writers[] = {
      {"table", [&](ByteStream& out) { return writeTextTable(out, table); }},
      {"exchange file", [](ByteStream& out) {
         ExchangeLineWriter writer(out);
         for (std::u16string_view text : {u"ok", u"", u"z"}) writer.add(text);
         return writer.finish();
       }},
  };
  for (const auto& [name, write] : writers) {
    MemoryStream whole;
    ASSERT_TRUE(write(whole));
    for (std::size_t room = 0; room <= whole.bytes().size(); ++room) {
      FullDisk disk(room);
      EXPECT_EQ(write(disk), room == whole.bytes().size()) << name << ", room " << room;
    }
  }
}

}  // namespace
}  // namespace verbarium
