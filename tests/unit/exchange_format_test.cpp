#include <gtest/gtest.h>

#include <tuple>

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
      {"units after the last CR LF are no line, nor is a CR at the end", "ff fe 41 00 0d 00 0a 00 42 00 0d 00", R::Read,
       {u"A"}},
      {"U+0000 ends the content, taking its line with it",
       "ff fe 41 00 0d 00 0a 00 42 00 00 00 43 00 0d 00 0a 00 44 00 0d 00 0a 00", R::Read, {u"A"}},
      {"a trailing half unit is ignored", "ff fe 41 00 0d 00 0a 00 42", R::Read, {u"A"}},
      {"one byte", "ff", R::NoByteOrderMark, {}},
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

// The reader holds a window of the file, 128 Ki units at first: lines that
// cross its edge, outgrow it, or end where a later read begins come out as
// they stand in the file.
TEST(ExchangeFormat, LinesComeOutWholeAcrossTheReadersWindow) {
  constexpr std::size_t kWindow = 128 * 1024;
  const std::u16string pad(kWindow - 1, u'x');  // up to the window's last unit
  const std::tuple<const char*, Lines, std::u16string> cases[] = {  // the lines, and the units after the last
      {"CR LF across the edge", {pad, u"next"}, u""},
      {"a lone CR at the edge", {pad + u"\ry"}, u""},
      {"a line three windows long", {std::u16string(3 * kWindow, u'l'), u"after"}, u""},
      {"U+0000 in a later window", {pad + u"tail"}, std::u16string(1, u'\0') + u"gone\r\n"},
  };
  for (const auto& [name, lines, after] : cases) {
    std::u16string units;
    for (const std::u16string& line : lines) units += line + u"\r\n";
    EXPECT_TRUE(readAll(cat({hex("ff fe"), utf16le(units + after)})) == std::make_pair(ExchangeReadResult::Read, lines))
        << name;
  }
}

}  // namespace
}  // namespace verbarium
