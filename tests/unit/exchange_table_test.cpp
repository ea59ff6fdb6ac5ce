#include <gtest/gtest.h>

#include <tuple>

#include "formats/dat_format.h"
#include "formats/exchange_format.h"
#include "formats/exchange_table.h"
#include "platform/fault_injection.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

const Bytes kMarkerTable = hex("36 01 00 00 42 01 00 00 03 04 05 06 07 08 'Sword' 43 01 11 12 13 14 15 16 17 18 'Axe'");

using Lines = std::vector<std::u16string>;

std::pair<ExchangeReadResult, Lines> readAll(const Bytes& bytes) {
  MemoryStream stream(bytes);
  ExchangeLineReader reader(stream);
  std::pair<ExchangeReadResult, Lines> read{reader.readMark(), {}};
  for (std::u16string_view line; reader.next(line);) read.second.emplace_back(line);
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
      {"units and a CR after the last CR LF are no line", "ff fe 41 00 0d 00 0a 00 42 00 0d 00", R::Read, {u"A"}},
      {"U+0000 ends the content, taking its line with it",
       "ff fe 41 00 0d 00 0a 00 42 00 00 00 43 00 0d 00 0a 00 44 00 0d 00 0a 00", R::Read, {u"A"}},
      {"a trailing half unit is ignored", "ff fe 41 00 0d 00 0a 00 42", R::Read, {u"A"}},
      {"one byte", "ff", R::NoByteOrderMark, {}},
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

Bytes marked(std::u16string_view lines) { return cat({hex("ff fe"), utf16le(lines)}); }

FileTree tableFiles(const Bytes& table, const Bytes& exchange) { return {{"t.dat", table}, {"t.dat.txt", exchange}}; }

// The import streams the table from file to file: what it writes, or the
// entry it refuses, is what the table read into memory and given the lines
// as its texts would write or refuse, and a table is written only when it
// reads back as those texts.
TEST(ImportTable, WritesOnlyWhatReadsBackAsTheNewTexts) {
  const Bytes keptAfterLayout2 = hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00 'hi'  02 00 00 00 00 "
                                     "09 00 00 00 '!'");
  // With one key word the first length field stands where the sniffing
  // looks for layouts 3 and 4.
  const Bytes oneKeyWordFirst = hex("07 00 00 00  11 00 00 00  04 00 00 00 'abcd'");
  const struct {
    const char* name;
    Bytes table;
    std::vector<std::u16string> texts;
    int refused;  // the first entry the layout cannot hold, or -1
  } cases[] = {
      {"layout 2, bytes kept after the last record", keptAfterLayout2, {u"", u"longer"}, -1},
      {"layout 1, a length word that looks like text", oneKeyWordFirst, {std::u16string(0x10000, u'a')}, 0},
      {"layout 1, a first record that sniffs as layout 4", oneKeyWordFirst, {u"ab"}, 0},
      {"layout 1, a key of fourteen words, the most a record holds",
       cat({hex("07 00 00 00"), Bytes(14 * 4, 0), hex("02 00 00 00 'ab'")}), {u"xy"}, -1},
      {"layout 5", kMarkerTable, {u"Sw\u00f6rd", u"A"}, -1},
      {"layout 5, units above 0x00FF, the first of two named", kMarkerTable, {u"Sw\u0113rd", u"Ax\u0113"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream source(c.table);
    TextTable table;
    ASSERT_EQ(readTextTable(source, table), DatReadResult::Read);
    ASSERT_EQ(static_cast<std::size_t>(table.count()), c.texts.size());
    std::u16string lines;
    for (int i = 0; i < table.count(); ++i) {
      table.setText(i, c.texts[static_cast<std::size_t>(i)]);
      lines += c.texts[static_cast<std::size_t>(i)] + u"\r\n";
    }
    EXPECT_EQ(firstEntryLayoutCannotHold(table), c.refused);
    MemoryStream expected;
    EXPECT_EQ(writeTextTable(expected, table), c.refused < 0);

    TempDir dir;
    layTree(dir.path(), tableFiles(c.table, marked(lines)));
    const ImportOutcome outcome = importTable(dir.file(u"t.dat"), dir.file(u"t.dat.txt"));
    EXPECT_EQ(outcome.result, c.refused < 0 ? ImportResult::Imported : ImportResult::LayoutCannotHold);
    EXPECT_EQ(outcome.entryLayoutCannotHold, c.refused);
    EXPECT_EQ(treeOf(dir.path()), tableFiles(c.refused < 0 ? expected.bytes() : c.table, marked(lines)));
  }
}

// A read that fails part way through either file is told as that file being
// unreadable, never taken for a file that ends there: the lines or the
// records read until then are not all there are.
TEST(ImportTable, AReadThatFailsPartWayIsNeverTakenForTheEndOfTheFile) {
  // Each file is larger than the first reads of it, so that a later read fails.
  const std::vector<std::u16string> texts(4, std::u16string(40000, u'a')), translations(4, std::u16string(40000, u'b'));
  std::u16string lines;
  for (const std::u16string& line : translations) lines += line + u"\r\n";
  int readsFailed = 0;
  for (std::int64_t n = 1;; ++n) {
    TempDir dir;
    layTree(dir.path(), tableFiles(sixByteTable(texts), marked(lines)));
    fault_injection::failNth(n);
    const ImportResult result = importTable(dir.file(u"t.dat"), dir.file(u"t.dat.txt")).result;
    const bool struck = fault_injection::struck(), read = fault_injection::struckOperation() == FileOperation::Read;
    fault_injection::failNth(0);
    if (!struck) break;
    if (!read) continue;
    ++readsFailed;
    // A read that fails after some bytes is tried again where it stood.
    const bool imported = result == ImportResult::Imported;
    EXPECT_TRUE(imported || result == ImportResult::TableUnreadable || result == ImportResult::ExchangeFileUnreadable)
        << "operation " << n << ": " << static_cast<int>(result);
    EXPECT_EQ(readFileBytes(dir.file(u"t.dat")), sixByteTable(imported ? translations : texts)) << "operation " << n;
  }
  EXPECT_GE(readsFailed, 6);
}

}  // namespace
}  // namespace verbarium
