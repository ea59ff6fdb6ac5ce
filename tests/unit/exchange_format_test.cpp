#include <gtest/gtest.h>

#include "formats/exchange_format.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;
using Lines = std::vector<std::u16string>;

std::pair<ExchangeReadResult, Lines> readAll(const Bytes& bytes) {
  MemoryStream stream(bytes);
  ExchangeLineReader reader(stream);
  std::pair<ExchangeReadResult, Lines> read{reader.readMark(), {}};
  for (std::u16string_view line; reader.next(line);) read.second.emplace_back(line);
  if (reader.failed()) read.first = ExchangeReadResult::ReadFailed;
  return read;
}

// A line ends at each CR LF; lone CRs and LFs stay in their texts, and the
// units are written as they are.
TEST(ExchangeFormat, EveryTextIsALineEndedByCrLfAfterTheMark) {
  using R = ExchangeReadResult;
  const struct {
    const char* name;
    const char* bytes;
    ExchangeReadResult result;
    Lines lines;
    bool written = false;  // the writer writes these bytes of these texts
  } cases[] = {
      {"mark alone", "ff fe", R::Read, {}, true},
      {"final CR LF", "ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00", R::Read, {u"A", u"", u"BC"}, true},
      {"lone CR and LF stay in their lines",
       "ff fe 41 00 0d 00 42 00 0d 00 0a 00 0a 00 43 00 42 30 3d d8 09 dc 0d 00 0a 00",
       R::Read, {u"A\rB", u"\nC\u3042\U0001F409"}, true},
      {"CR before the line end", "ff fe 41 00 0d 00 0d 00 0a 00 0a 00 0d 00 0a 00", R::Read, {u"A\r", u"\n"}, true},
      {"units after the last CR LF are no line", "ff fe 41 00 0d 00 0a 00 42 00", R::Read, {u"A"}},
      {"a CR at the end is no line end", "ff fe 41 00 0d 00", R::Read, {}},
      {"U+0000 ends the content, taking its line with it",
       "ff fe 41 00 0d 00 0a 00 42 00 00 00 43 00 0d 00 0a 00 44 00 0d 00 0a 00", R::Read, {u"A"}},
      {"U+0000 right after a line end", "ff fe 41 00 0d 00 0a 00 00 00 0d 00 0a 00", R::Read, {u"A"}},
      {"a trailing half unit is ignored", "ff fe 41 00 0d 00 0a 00 42", R::Read, {u"A"}},
      {"a half LF ends no line", "ff fe 41 00 0d 00 0a", R::Read, {}},
      {"a half unit after the mark", "ff fe 41", R::Read, {}},
      {"empty file", "", R::NoByteOrderMark, {}},
      {"one byte", "ff", R::NoByteOrderMark, {}},
      {"no mark", "41 00 0d 00 0a 00 42 00 0d 00 0a 00", R::NoByteOrderMark, {}},
      {"big-endian mark", "fe ff 00 41 00 0d 00 0a", R::NoByteOrderMark, {}},
      {"half a mark", "ff 00 41 00 0d 00 0a 00", R::NoByteOrderMark, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readAll(hex(c.bytes)), std::make_pair(c.result, c.lines)) << c.name;
    if (!c.written) continue;
    MemoryStream out;
    ExchangeLineWriter writer(out);
    for (const std::u16string& text : c.lines) writer.add(text);
    EXPECT_TRUE(writer.finish()) << c.name;
    EXPECT_EQ(toHex(out.bytes()), toHex(hex(c.bytes))) << c.name;
  }
}

// The lines as they stand in the units: up to each CR LF, none after the
// last one, none from the first U+0000 on.
Lines splitLines(std::u16string_view units) {
  units = units.substr(0, units.find(u'\0'));
  Lines lines;
  for (std::size_t end; (end = units.find(u"\r\n")) != units.npos; units.remove_prefix(end + 2)) {
    lines.emplace_back(units.substr(0, end));
  }
  return lines;
}

// The reader holds a window of the file, 128 Ki units at first: lines that
// cross its edge, outgrow it, or end where a later read begins come out as
// they stand in the file.
TEST(ExchangeFormat, LinesComeOutWholeAcrossTheReadersWindow) {
  constexpr std::size_t kWindow = 128 * 1024;
  auto filler = [](std::size_t units) {  // lines of 0 to 36 units
    std::u16string text;
    for (std::size_t i = 0; text.size() < units; ++i) text += std::u16string(i % 37, u'\u3042') + u"\r\n";
    return text.substr(0, units);
  };
  const std::u16string upToEdge = filler(kWindow - 1);
  const std::u16string head = upToEdge.substr(0, upToEdge.rfind(u"\r\n") + 2);
  auto padTo = [&](std::size_t at) { return head + std::u16string(at - head.size(), u'x'); };
  const std::pair<const char*, std::u16string> cases[] = {
      {"CR LF across the edge", padTo(kWindow - 1) + u"\r\nnext\r\n"},
      {"a lone CR at the edge", padTo(kWindow - 1) + u"\ry\r\n"},
      {"LF first after the edge", padTo(kWindow) + u"\nz\r\n"},
      {"a line three windows long", head + std::u16string(3 * kWindow, u'l') + u"\r\nafter\r\n"},
      {"U+0000 in a later window", head + filler(kWindow) + u"tail\r\n" + u'\0' + u"gone\r\n"},
      {"a half unit at the end", filler(3 * kWindow) + u'\r'},
  };
  for (const auto& [name, units] : cases) {
    Bytes bytes = cat({hex("ff fe"), utf16le(units)});
    if (units.back() == u'\r') bytes.pop_back();
    const auto read = readAll(bytes);
    EXPECT_EQ(read.first, ExchangeReadResult::Read) << name;
    EXPECT_TRUE(read.second == splitLines(units)) << name;
  }
}

}  // namespace
}  // namespace verbarium
