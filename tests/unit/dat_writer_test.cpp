#include <gtest/gtest.h>

#include "formats/dat_format.h"
#include "support/capped_write_stream.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::Bytes;
using test::cat;
using test::hex;
using test::utf16le;

TextTable readOrFail(const Bytes& bytes) {
  MemoryStream stream(bytes);
  TextTable table;
  EXPECT_TRUE(readTextTable(nullptr, stream, table));
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
  table.at(0).setText(u"\u3042\u3044");
  EXPECT_EQ(test::toHex(written(table)), test::toHex(cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"),
                                                          utf16le(u"\u3042\u3044")})));
}

TEST(DatWriter, MarkerLayoutRefusesTextsItCannotHold) {
  Bytes file = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                    hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")});
  TextTable table = readOrFail(file);
  table.at(1).setText(u"Ax\u0113");  // a unit the reader would take for a marker
  EXPECT_EQ(firstEntryLayoutCannotHold(table), 1);
  MemoryStream out;
  EXPECT_FALSE(writeTextTable(out, table));
  EXPECT_TRUE(out.bytes().empty()) << "nothing is written before the refusal";

  table.at(1).setText(u"\u00c6x");
  EXPECT_EQ(firstEntryLayoutCannotHold(table), -1);
  Bytes expected = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                        hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"\u00c6x")});
  EXPECT_EQ(test::toHex(written(table)), test::toHex(expected));
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

TEST(TextTable, EntriesAreIndependentCopiesAndTextsHoldNoZero) {
  TextEntry entry;
  entry.keyLength = 6;
  entry.setText(std::u16string_view(u"ab\0cd", 5));
  EXPECT_TRUE(entry.text == u"ab");
  TextTable table;
  table.append(entry);
  TextEntry copy = table.at(0);
  copy.setText(u"changed");
  EXPECT_TRUE(table.at(0).text == u"ab");
  EXPECT_THROW(table.at(1), std::out_of_range);
  EXPECT_THROW(table.at(-1), std::out_of_range);
}

}  // namespace
}  // namespace verbarium
