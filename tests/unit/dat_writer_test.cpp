#include <gtest/gtest.h>

#include <algorithm>

#include "formats/dat_format.h"
#include "model/unit_search.h"
#include "support/capped_write_stream.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

TextTable readOrFail(const Bytes& bytes) {
  MemoryStream stream(bytes);
  TextTable table;
  EXPECT_EQ(readTextTable(stream, table), DatReadResult::Read);
  return table;
}

Bytes written(const TextTable& table) {
  MemoryStream out;
  EXPECT_TRUE(writeTextTable(out, table));
  return out.bytes();
}

// Files that read whole and end with a complete record come back byte for
// byte, in every layout.
TEST(DatWriter, WritesUnchangedTablesBackByteForByte) {
  const std::pair<const char*, Bytes> files[] = {
      {"layout 1", cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
                        hex("05 00 00 00  02 00 00 00"), utf16le(u"de"), hex("09 00 00 00  00 00 00 00")})},
      {"layout 2", cat({hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00"), utf16le(u"hi"),
                        hex("02 00 00 00 00  01 00 00 00"), utf16le(u"!")})},
      {"layout 3", cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), utf16le(u"ok"),
                        hex("02 00 00 00 03 00  00 00 00 00")})},
      {"layout 4", cat({hex("0b 00 00 00  01 00 00 00 02 00 00  01 00 00 00"), utf16le(u"Q")})},
      {"layout 5", cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                        hex("43 01 11 12 13 14 15 16 17 18  44 01 21 22 23 24 25 26 27 28"), utf16le(u"\u00e9t\u00e9")})},
      {"header only", hex("0a 00 00 00")},
  };
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(test::toHex(written(readOrFail(bytes))), test::toHex(bytes)) << name;
  }
}

TEST(DatWriter, EditedTextsGetTheirNewLengths) {
  TextTable table = readOrFail(cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"),
                                    hex("00 00"), utf16le(u"b")}));
  // The zero unit ended the text: the length field is the shorter length.
  EXPECT_EQ(test::toHex(written(table)), test::toHex(cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"),
                                                          utf16le(u"a")})));
  table.setText(0, u"\u3042\u3044");
  EXPECT_EQ(test::toHex(written(table)), test::toHex(cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"),
                                                          utf16le(u"\u3042\u3044")})));
  // However a text is set, it ends at its first zero unit, as on reading.
  table.setText(0, std::u16string_view(u"xy\0z", 4));
  EXPECT_EQ(test::toHex(written(table)), test::toHex(cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"),
                                                          utf16le(u"xy")})));
  const int first[] = {0};
  table.setTexts(first, std::u16string_view(u"z\0yx", 4));
  EXPECT_EQ(test::toHex(written(table)), test::toHex(cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"),
                                                          utf16le(u"z")})));
}

// Layout 1: three records, keys 11 12 | 05 | 09.
const Bytes kDwordRun = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
                             hex("05 00 00 00  02 00 00 00"), utf16le(u"de"),
                             hex("09 00 00 00  02 00 00 00"), utf16le(u"fg")});

struct ReadBackCase {
  const char* name;
  Bytes file;
  int entry;
  std::u16string text;
  int refused;  // the entry named, or -1 when the edited table reads back
};

// A table is written only when its bytes read back as the same entries;
// otherwise nothing is written and the first entry that would not is named.
TEST(DatWriter, WritesOnlyWhatReadsBackAsTheSameEntries) {
  const Bytes firstKeyZero = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"),
                                  hex("00 00 00 00  02 00 00 00"), utf16le(u"cd")});
  // With one key word the first length field stands where the sniffing
  // looks for layouts 3 and 4.
  const Bytes oneKeyWordFirst = cat({hex("07 00 00 00  11 00 00 00  04 00 00 00"), utf16le(u"abcd")});
  const Bytes cutLast = cat({kDwordRun, hex("0a 00")});
  Bytes fourteenKeyWords = hex("07 00 00 00");
  for (int i = 0; i < 14; ++i) fourteenKeyWords = cat({fourteenKeyWords, hex("05 00 00 00")});
  fourteenKeyWords = cat({fourteenKeyWords, hex("02 00 00 00"), utf16le(u"ab")});
  const ReadBackCase cases[] = {
      {"empty text before a record", kDwordRun, 0, u"", 0},
      {"one unit before a key word with a non-zero low half", kDwordRun, 0, u"x", -1},
      {"one unit before a zero key word", firstKeyZero, 0, u"x", 0},
      {"empty last text", kDwordRun, 2, u"", -1},
      {"one-unit last text", kDwordRun, 2, u"x", -1},
      {"empty last text before kept bytes", cutLast, 2, u"", 2},
      {"one-unit last text before kept non-zero bytes", cutLast, 2, u"x", -1},
      {"a length word that looks like text", kDwordRun, 1, std::u16string(0x10000, u'a'), 1},
      {"a first record that sniffs as layout 4", oneKeyWordFirst, 0, u"ab", 0},
      {"a first record that still sniffs as layout 1", oneKeyWordFirst, 0, u"abcde", -1},
      {"a key of fourteen words, the most a record holds", fourteenKeyWords, 0, u"xy", -1},
      {"layout 5: a unit above 0x00FF",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
            hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")}),
       1, u"Ax\u0113", 1},
  };
  for (const auto& c : cases) {
    TextTable table = readOrFail(c.file);
    ASSERT_NE(table.layout, DatLayout::SixByteKey) << c.name;
    ASSERT_NE(table.layout, DatLayout::SevenByteKey) << c.name;
    table.setText(c.entry, c.text);
    EXPECT_EQ(firstEntryLayoutCannotHold(table), c.refused) << c.name;
    MemoryStream out;
    EXPECT_EQ(writeTextTable(out, table), c.refused < 0) << c.name;
    if (c.refused >= 0) {
      EXPECT_TRUE(out.bytes().empty()) << c.name << ": nothing is written before the refusal";
      continue;
    }
    TextTable again = readOrFail(out.bytes());
    ASSERT_EQ(again.count(), table.count()) << c.name;
    EXPECT_TRUE(again.text(c.entry) == c.text) << c.name;
    EXPECT_EQ(again.trailingBytes, table.trailingBytes) << c.name;
  }
}

bool sameEntries(const TextTable& a, const TextTable& b) {
  if (a.count() != b.count() || a.trailingBytes != b.trailingBytes) return false;
  for (int i = 0; i < a.count(); ++i) {
    if (a.text(i) != b.text(i) || !std::ranges::equal(a.key(i), b.key(i))) return false;
  }
  return true;
}

// Every small layout 1 table of short texts, key words from zero to the
// least the reader takes for text, and kept bytes: the writer's verdict
// agrees with what its bytes read back as.
TEST(DatWriter, TheLayoutOneVerdictIsTheReadersOwn) {
  const std::u16string texts[] = {u"", u"a", u"ab"};
  // Bytes a read can leave after the last record: none of them starts one.
  const Bytes tails[] = {{}, hex("00 00"), hex("01 00"), hex("00 00 00 00 01"), hex("07")};
  const std::uint8_t thirdBytes[] = {0, 0, 1};  // with the first: 0, 5, 0x10000
  int checked = 0;
  for (int combination = 0; combination < 3 * 3 * 3 * 3 * 5; ++combination) {
    int rest = combination;
    TextTable table;
    table.layout = DatLayout::DwordRunKey;
    table.header = 7;
    for (int record = 0; record < 2; ++record) {
      const std::uint8_t key[8] = {static_cast<std::uint8_t>(rest % 3 == 1 ? 5 : 0), 0, thirdBytes[rest % 3], 0,
                                   0x11, 0, 0, 0};
      rest /= 3;
      table.append(key, texts[rest % 3]);
      rest /= 3;
    }
    table.trailingBytes = tails[rest % 5];
    MemoryStream out;
    const bool written = writeTextTable(out, table);
    MemoryStream back(written ? out.bytes() : Bytes{});
    TextTable again;
    const bool same = written && readTextTable(back, again) == DatReadResult::Read && sameEntries(again, table);
    EXPECT_EQ(written, same) << "combination " << combination;
    // A refused table must be one the generic records could not carry back.
    if (!written) {
      MemoryStream generic;
      table.layout = DatLayout::DwordRunKey;
      ASSERT_TRUE(writeLengthPrefixedRecords(generic, table));
      MemoryStream reread(generic.bytes());
      TextTable lost;
      const bool survives = readTextTable(reread, lost) == DatReadResult::Read && sameEntries(lost, table);
      EXPECT_FALSE(survives) << "combination " << combination << " was refused but reads back";
    }
    ++checked;
  }
  EXPECT_EQ(checked, 405);
}

// What follows the last whole record is kept and written back as it was.
TEST(DatWriter, KeepsTheBytesAfterTheLastWholeRecord) {
  const std::pair<const char*, Bytes> files[] = {
      {"layout 3, a key cut short", cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"), utf16le(u"A"),
                                         hex("02 00 00")})},
      {"layout 3, a length cut short", cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"), utf16le(u"A"),
                                            hex("02 00 00 00 03 00  01 00")})},
      {"layout 2, a body cut short", cat({hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  01 00 00 00"), utf16le(u"h"),
                                          hex("02 05 00 00 00 01")})},
      {"layout 1, words without a text", cat({kDwordRun, hex("05 00 00 00 06 00")})},
      {"layout 5, an odd last byte", cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sw"),
                                          hex("6f")})},
      {"layout 5, a key cut short", cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sw"),
                                         hex("43 01 11 12")})},
      {"header and a stray byte", hex("0a 00 00 00  01")},
  };
  for (const auto& [name, bytes] : files) {
    TextTable table = readOrFail(bytes);
    EXPECT_EQ(test::toHex(written(table)), test::toHex(bytes)) << name;
    if (table.count() == 0) continue;
    // An edit changes its record, never the kept bytes.
    table.setText(0, u"Zz");
    const Bytes again = written(table);
    ASSERT_GE(again.size(), table.trailingBytes.size()) << name;
    EXPECT_TRUE(std::equal(table.trailingBytes.rbegin(), table.trailingBytes.rend(), again.rbegin())) << name;
    EXPECT_FALSE(table.trailingBytes.empty()) << name;
  }
}

TEST(DatWriter, ReportsAFailedWriteAtAnyPoint) {
  Bytes file = cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), utf16le(u"ok"),
                    hex("02 00 00 00 03 00  01 00 00 00"), utf16le(u"z")});
  TextTable table = readOrFail(file);
  for (std::size_t budget = 0; budget < file.size(); ++budget) {
    test::CappedWriteStream stream(budget);
    EXPECT_FALSE(writeTextTable(stream, table)) << "budget " << budget;
  }
  test::CappedWriteStream enough(file.size());
  EXPECT_TRUE(writeTextTable(enough, table));
}

// Texts change in place or move; keys, the other entries and copies of the
// table stay as they were.
TEST(TextTable, TextsChangeAloneAndHoldNoZero) {
  TextTable table;
  const std::uint8_t first[6] = {1, 0, 0, 0, 3, 0};
  const std::uint8_t second[7] = {2, 0, 0, 0, 2, 0, 0};
  table.append(first, std::u16string_view(u"ab\0cd", 5));
  table.append(second, u"xyz");
  EXPECT_TRUE(table.text(0) == u"ab");
  const TextTable copy = table;
  table.setText(0, u"a");
  table.setText(1, std::u16string(5000, u'\u3042'));
  EXPECT_TRUE(table.text(0) == u"a");
  EXPECT_EQ(table.text(1).size(), 5000u);
  EXPECT_TRUE(std::ranges::equal(table.key(1), second));
  EXPECT_EQ(test::toHex(Bytes(table.record(0).begin(), table.record(0).end())), "01 00 00 00 03 00 01 00 00 00 61 00");
  EXPECT_TRUE(copy.text(0) == u"ab" && copy.text(1) == u"xyz");
  EXPECT_THROW(table.text(2), std::out_of_range);
  EXPECT_THROW(table.key(-1), std::out_of_range);
  const std::uint8_t tooLong[KeyCapacity + 1] = {};
  EXPECT_THROW(table.append(tooLong, u""), std::length_error);
}

// Every position of the unit in texts of every length up to two blocks and
// a tail, among units that differ from it in one bit or in the lane's sign.
TEST(FindUnit, FindsTheFirstOccurrenceWhereverItStands) {
  for (char16_t unit : {u'\0', u'\r', u'\x800d'}) {
    for (std::size_t length = 0; length < 20; ++length) {
      for (std::size_t at = 0; at <= length; ++at) {
        std::u16string text(length, static_cast<char16_t>(unit ^ 0x8001));
        for (std::size_t i = 0; i < length; i += 3) text[i] = static_cast<char16_t>(unit + 0x100);
        if (at < length) text[at] = unit;
        if (at + 2 < length) text[at + 2] = unit;
        EXPECT_EQ(findUnit(text, unit), at < length ? at : std::u16string_view::npos)
            << "unit " << int(unit) << ", length " << length << ", at " << at;
        // Above 0x00FF: the same search where the other units stay below.
        std::u16string low(length, u'\x00ff');
        if (at < length) low[at] = u'\x0100';
        EXPECT_EQ(findUnitAbove00FF(low), at < length ? at : std::u16string_view::npos) << "length " << length;
      }
    }
  }
}

}  // namespace
}  // namespace verbarium
