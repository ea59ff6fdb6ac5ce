#include <gtest/gtest.h>

#include "formats/exchange_format.h"
#include "platform/file_stream.h"
#include "support/capped_write_stream.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::Bytes;
using test::cat;
using test::hex;
using test::utf16le;

TextTable tableOf(std::initializer_list<std::u16string_view> texts) {
  TextTable table;
  table.layout = DatLayout::SixByteKey;
  std::uint8_t key = 0;
  for (std::u16string_view text : texts) {
    const std::uint8_t keyBytes[6] = {++key, 0, 0, 0, 3, 0};
    table.append(keyBytes, text);
  }
  return table;
}

std::vector<std::u16string> linesOf(const ExchangeLines& lines) {
  std::vector<std::u16string> out;
  for (int i = 0; i < lines.count(); ++i) out.emplace_back(lines.line(i));
  return out;
}

Bytes exported(const TextTable& table) {
  MemoryStream out;
  EXPECT_TRUE(writeExchangeText(out, table));
  return out.bytes();
}

TEST(ExchangeWriter, WritesTheMarkThenEveryTextWithItsLineEnd) {
  const std::pair<TextTable, Bytes> cases[] = {
      {tableOf({u"A", u"", u"BC"}), hex("ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00")},
      {tableOf({}), hex("ff fe")},
      // Lone CR and LF stay inside their text; units are written as they are.
      {tableOf({u"a\rb\n", u"\u3042\U0001F409"}),
       hex("ff fe 61 00 0d 00 62 00 0a 00 0d 00 0a 00  42 30 3d d8 09 dc 0d 00 0a 00")},
  };
  for (const auto& [table, bytes] : cases) EXPECT_EQ(test::toHex(exported(table)), test::toHex(bytes));
}

TEST(ExchangeWriter, ReportsAWriteThatFailsOrComesBackShort) {
  const TextTable table = tableOf({u"ok", u"", u"z"});
  const std::size_t full = exported(table).size();
  for (std::size_t capacity = 0; capacity < full; ++capacity) {
    test::CappedWriteStream stream(capacity);
    EXPECT_FALSE(writeExchangeText(stream, table)) << "capacity " << capacity;
  }
  test::CappedWriteStream enough(full);
  EXPECT_TRUE(writeExchangeText(enough, table));
}

struct LinesCase {
  const char* name;
  Bytes bytes;
  ExchangeReadResult result;
  std::vector<std::u16string> lines;
};

TEST(ExchangeReader, SplitsTheContentAtEachCrLf) {
  using R = ExchangeReadResult;
  const LinesCase cases[] = {
      {"mark alone", hex("ff fe"), R::Read, {}},
      {"final CR LF", hex("ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00"), R::Read, {u"A", u"", u"BC"}},
      {"units after the last CR LF are no line", hex("ff fe 41 00 0d 00 0a 00 42 00"), R::Read, {u"A"}},
      {"a CR at the end is no line end", hex("ff fe 41 00 0d 00"), R::Read, {}},
      {"lone CR and LF stay in their lines",
       hex("ff fe 41 00 0d 00 42 00 0d 00 0a 00 0a 00 43 00 0d 00 0a 00"), R::Read, {u"A\rB", u"\nC"}},
      {"CR before the line end", hex("ff fe 41 00 0d 00 0d 00 0a 00 0a 00 0d 00 0a 00"), R::Read, {u"A\r", u"\n"}},
      {"U+0000 ends the content, taking its line with it",
       hex("ff fe 41 00 0d 00 0a 00 42 00 00 00 43 00 0d 00 0a 00 44 00 0d 00 0a 00"), R::Read, {u"A"}},
      {"U+0000 right after a line end", hex("ff fe 41 00 0d 00 0a 00 00 00 0d 00 0a 00"), R::Read, {u"A"}},
      {"a trailing half unit is ignored", hex("ff fe 41 00 0d 00 0a 00 42"), R::Read, {u"A"}},
      {"a half LF ends no line", hex("ff fe 41 00 0d 00 0a"), R::Read, {}},
      {"a half unit after the mark", hex("ff fe 41"), R::Read, {}},
      {"empty file", hex(""), R::NoByteOrderMark, {}},
      {"one byte", hex("ff"), R::NoByteOrderMark, {}},
      {"no mark", hex("41 00 0d 00 0a 00 42 00 0d 00 0a 00"), R::NoByteOrderMark, {}},
      {"big-endian mark", hex("fe ff 00 41 00 0d 00 0a"), R::NoByteOrderMark, {}},
  };
  for (const auto& c : cases) {
    MemoryStream stream(c.bytes);
    test::ScriptedInteraction owner;
    ExchangeLines lines;
    EXPECT_EQ(readExchangeLines(&owner, stream, lines), c.result) << c.name;
    EXPECT_EQ(linesOf(lines), c.lines) << c.name;
    std::vector<test::RecordedMessage> expected;
    if (c.result == R::NoByteOrderMark) expected.push_back({exchange_messages::kNoByteOrderMark, u"", mb::kOk});
    EXPECT_EQ(owner.messages, expected) << c.name;
  }
}

// The whole file in one buffer: a large file costs a few system reads, not
// one per line.
TEST(ExchangeReader, ReadsALargeFileInOneGo) {
  test::TempDir dir;
  const auto path = dir.file(u"large.txt");
  Bytes bytes = hex("ff fe");
  for (int i = 0; i < 20000; ++i) bytes = cat({std::move(bytes), utf16le(u"line\r\n")});
  test::writeFileBytes(path, bytes);
  FileStream stream(File::openForReading(path));
  ExchangeLines lines;
  ASSERT_EQ(readExchangeLines(nullptr, stream, lines), ExchangeReadResult::Read);
  EXPECT_EQ(lines.count(), 20000);
  EXPECT_EQ(lines.line(19999), u"line");
  EXPECT_LE(stream.fileReads(), 3u);
}

// The counts are checked at file level with the import; here, that the lines
// outlive a copy of their buffer and keys stay as they were.
TEST(ExchangeLines, GoIntoTextsByPositionFromACopy) {
  MemoryStream file(hex("ff fe 78 00 0d 00 0a 00 0d 00 0a 00"));
  ExchangeLines lines;
  ASSERT_EQ(readExchangeLines(nullptr, file, lines), ExchangeReadResult::Read);
  const ExchangeLines copy = lines;
  lines = ExchangeLines{};
  TextTable table = tableOf({u"a", u"b"});
  ASSERT_TRUE(applyExchangeLines(table, copy));
  EXPECT_EQ(table.text(0), u"x");
  EXPECT_EQ(table.text(1), u"");
  EXPECT_EQ(table.key(1)[0], 2);
}

}  // namespace
}  // namespace verbarium
