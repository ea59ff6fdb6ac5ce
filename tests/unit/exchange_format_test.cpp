#include <gtest/gtest.h>

#include "formats/exchange_format.h"
#include "platform/file_stream.h"
#include "support/capped_write_stream.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

using Texts = std::vector<std::u16string_view>;

bool writeTexts(ByteStream& out, const Texts& texts) {
  ExchangeLineWriter writer(out);
  for (std::u16string_view text : texts) writer.add(text);
  return writer.finish();
}

struct ReadLines {
  ExchangeReadResult result;
  std::vector<std::u16string> lines;
};

ReadLines readAll(ByteStream& stream) {
  ExchangeLineReader reader(stream);
  ReadLines read{reader.readMark(), {}};
  std::u16string_view line;
  while (reader.next(line)) read.lines.emplace_back(line);
  if (reader.failed()) read.result = ExchangeReadResult::ReadFailed;
  return read;
}

Bytes exported(const Texts& texts) {
  MemoryStream out;
  EXPECT_TRUE(writeTexts(out, texts));
  return out.bytes();
}

TEST(ExchangeWriter, WritesTheMarkThenEveryTextWithItsLineEnd) {
  const std::pair<Texts, Bytes> cases[] = {
      {{u"A", u"", u"BC"}, hex("ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00")},
      {{}, hex("ff fe")},
      // Lone CR and LF stay inside their text; units are written as they are.
      {{u"a\rb\n", u"\u3042\U0001F409"},
       hex("ff fe 61 00 0d 00 62 00 0a 00 0d 00 0a 00  42 30 3d d8 09 dc 0d 00 0a 00")},
  };
  for (const auto& [texts, bytes] : cases) EXPECT_EQ(test::toHex(exported(texts)), test::toHex(bytes));
}

TEST(ExchangeWriter, ReportsAWriteThatFailsOrComesBackShort) {
  const Texts texts = {u"ok", u"", u"z"};
  const std::size_t full = exported(texts).size();
  for (std::size_t capacity = 0; capacity < full; ++capacity) {
    test::CappedWriteStream stream(capacity);
    EXPECT_FALSE(writeTexts(stream, texts)) << "capacity " << capacity;
  }
  test::CappedWriteStream enough(full);
  EXPECT_TRUE(writeTexts(enough, texts));
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
      {"half a mark", hex("ff 00 41 00 0d 00 0a 00"), R::NoByteOrderMark, {}},
  };
  for (const auto& c : cases) {
    MemoryStream stream(c.bytes);
    const ReadLines read = readAll(stream);
    EXPECT_EQ(read.result, c.result) << c.name;
    EXPECT_EQ(read.lines, c.lines) << c.name;
  }
}

// The lines as they stand in the units: up to each CR LF, none after the
// last one, none from the first U+0000 on.
std::vector<std::u16string> splitLines(std::u16string_view units) {
  units = units.substr(0, units.find(u'\0'));
  std::vector<std::u16string> lines;
  for (std::size_t end = units.find(u"\r\n"); end != units.npos; end = units.find(u"\r\n")) {
    lines.emplace_back(units.substr(0, end));
    units.remove_prefix(end + 2);
  }
  return lines;
}

struct WindowCase {
  const char* name;
  std::u16string units;
  bool halfUnitAtEnd;
};

// The reader holds a window of the file, 128 Ki units at first: lines that
// cross its edge, outgrow it, or end where a later read begins come out as
// they stand in the file, in few reads.
TEST(ExchangeReader, SplitsLinesAcrossItsWindow) {
  constexpr std::size_t kWindowUnits = 128 * 1024;
  auto filler = [](std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; text.size() < units; ++i) text += std::u16string(i % 37, u'\u3042') + u"\r\n";
    return text.substr(0, units);
  };
  // Lines of 0 to 36 units that end just before the window's edge.
  const std::u16string upToEdge = filler(kWindowUnits - 1) ;
  const std::u16string head = upToEdge.substr(0, upToEdge.rfind(u"\r\n") + 2);
  auto padTo = [&](std::size_t at) { return head + std::u16string(at - head.size(), u'x'); };
  const WindowCase cases[] = {
      {"CR LF across the edge", padTo(kWindowUnits - 1) + u"\r\nnext\r\n", false},
      {"a lone CR at the edge", padTo(kWindowUnits - 1) + u"\ry\r\n", false},
      {"LF first after the edge", padTo(kWindowUnits) + u"\nz\r\n", false},
      {"a line three windows long", head + std::u16string(3 * kWindowUnits, u'l') + u"\r\nafter\r\n", false},
      {"U+0000 in a later window", head + filler(kWindowUnits) + u"tail\r\n" + u'\0' + u"gone\r\n", false},
      {"a half unit at the end", filler(3 * kWindowUnits), true},
  };
  for (const auto& c : cases) {
    Bytes bytes = cat({hex("ff fe"), utf16le(c.units)});
    if (c.halfUnitAtEnd) bytes.push_back(0x0d);
    test::TempDir dir;
    test::writeFileBytes(dir.file(u"t.txt"), bytes);
    FileStream stream(File::openForReading(dir.file(u"t.txt")));
    const ReadLines read = readAll(stream);
    EXPECT_EQ(read.result, ExchangeReadResult::Read) << c.name;
    EXPECT_TRUE(read.lines == splitLines(c.units)) << c.name;
    EXPECT_LE(stream.fileReads(), 4 + bytes.size() / (kWindowUnits * 2)) << c.name;
  }
}

}  // namespace
}  // namespace verbarium
