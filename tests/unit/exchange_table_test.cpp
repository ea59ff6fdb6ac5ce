#include <gtest/gtest.h>

#include <optional>

#include "formats/dat_format.h"
#include "formats/exchange_table.h"
#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "support/file_size_limit.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

const Bytes kTable = sixByteTable({u"A", u"", u"BC"});
const Bytes kMarkerTable = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                                hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")});
const Bytes kDwordRunTable = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
                                  hex("05 00 00 00  02 00 00 00"), utf16le(u"de")});
const Bytes kEarlier = hex("ff fe 3f 00 0d 00 0a 00");

Bytes marked(std::u16string_view lines) { return cat({hex("ff fe"), utf16le(lines)}); }

// t.dat and t.dat.txt, each where it is given.
FileTree tableFiles(const std::optional<Bytes>& table, const std::optional<Bytes>& exchange) {
  FileTree tree;
  if (table) tree["t.dat"] = *table;
  if (exchange) tree["t.dat.txt"] = *exchange;
  return tree;
}

struct Files {
  TempDir dir;
  Path table = dir.file(u"t.dat");
  Path exchange = dir.file(u"t.dat.txt");
  explicit Files(const FileTree& tree) { layTree(dir.path(), tree); }
  FileTree tree() const { return treeOf(dir.path()); }
};

// The exchange file afterwards, the earlier one where none is written; no
// temporary file is left.
TEST(ExportTable, WritesTheTextsOrLeavesTheEarlierFile) {
  const struct {
    const char* name;
    std::optional<Bytes> table;
    ExportResult result;
    Bytes exchange;
  } cases[] = {
      {"three entries", kTable, ExportResult::Written, hex("ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00")},
      {"header alone", hex("0a 00 00 00"), ExportResult::Written, hex("ff fe")},
      {"a zero unit ends a text",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"), hex("00 00"), utf16le(u"b")}),
       ExportResult::Written, hex("ff fe 61 00 0d 00 0a 00")},
      {"table in no known layout", hex("01 02"), ExportResult::TableRejected, kEarlier},
      {"empty table", hex(""), ExportResult::TableRejected, kEarlier},
      {"no table file", std::nullopt, ExportResult::TableCannotOpen, kEarlier},
  };
  for (const auto& c : cases) {
    Files files(tableFiles(c.table, kEarlier));
    EXPECT_EQ(exportTable(files.table, files.exchange), c.result) << c.name;
    EXPECT_EQ(files.tree(), tableFiles(c.table, c.exchange)) << c.name;
  }
}

// The import streams the table from file to file: what it writes, or the
// entry it refuses, is what the table read into memory and given the lines
// as its texts would write or refuse, and a table is written only when it
// reads back as those texts.
TEST(ImportTable, WritesOnlyWhatReadsBackAsTheNewTexts) {
  const Bytes keptAfterLayout1 = cat({kDwordRunTable, hex("0a 00")});
  const Bytes keptAfterLayout2 = cat({hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00"), utf16le(u"hi"),
                                      hex("02 00 00 00 00  09 00 00 00"), utf16le(u"!")});
  const Bytes firstKeyZero = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  02 00 00 00"), utf16le(u"ab"),
                                  hex("00 00 00 00  02 00 00 00"), utf16le(u"cd")});
  // With one key word the first length field stands where the sniffing
  // looks for layouts 3 and 4.
  const Bytes oneKeyWordFirst = cat({hex("07 00 00 00  11 00 00 00  04 00 00 00"), utf16le(u"abcd")});
  Bytes fourteenKeyWords = hex("07 00 00 00");
  for (int i = 0; i < 14; ++i) fourteenKeyWords = cat({fourteenKeyWords, hex("05 00 00 00")});
  fourteenKeyWords = cat({fourteenKeyWords, hex("02 00 00 00"), utf16le(u"ab")});
  const std::u16string looksLikeAWord(0x10000, u'a');
  const struct {
    const char* name;
    Bytes table;
    std::vector<std::u16string> texts;
    int refused;  // the first entry the layout cannot hold, or -1
  } cases[] = {
      {"layout 3", kTable, {u"X", u"", u"\u65e5\u672c"}, -1},
      {"layout 3, a zero unit in the old text",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"), hex("00 00"), utf16le(u"b")}), {u"abc"}, -1},
      {"layout 2, bytes kept after the last record", keptAfterLayout2, {u"", u"longer"}, -1},
      {"layout 1, an empty text before a record", kDwordRunTable, {u"", u"de"}, 0},
      {"layout 1, one unit before a key word with a non-zero low half", kDwordRunTable, {u"x", u"de"}, -1},
      {"layout 1, one unit before a zero key word", firstKeyZero, {u"x", u"cd"}, 0},
      {"layout 1, an empty last text", kDwordRunTable, {u"abc", u""}, -1},
      {"layout 1, a one-unit last text", kDwordRunTable, {u"abc", u"x"}, -1},
      {"layout 1, an empty last text before kept bytes", keptAfterLayout1, {u"abc", u""}, 1},
      {"layout 1, one unit before kept bytes", keptAfterLayout1, {u"abc", u"y"}, -1},
      {"layout 1, a length word that looks like text", kDwordRunTable, {looksLikeAWord, u"de"}, 0},
      {"layout 1, a first record that sniffs as layout 4", oneKeyWordFirst, {u"ab"}, 0},
      {"layout 1, a first record that still sniffs as layout 1", oneKeyWordFirst, {u"abcde"}, -1},
      {"layout 1, a key of fourteen words, the most a record holds", fourteenKeyWords, {u"xy"}, -1},
      {"layout 5", kMarkerTable, {u"Sw\u00f6rd", u"A"}, -1},
      {"layout 5, a unit above 0x00FF", kMarkerTable, {u"Sword", u"Ax\u0113"}, 1},
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
    EXPECT_EQ(expected.bytes().empty(), c.refused >= 0) << "nothing is written before the refusal";

    Files files(tableFiles(c.table, marked(lines)));
    const ImportOutcome outcome = importTable(files.table, files.exchange);
    EXPECT_EQ(outcome.result, c.refused < 0 ? ImportResult::Imported : ImportResult::LayoutCannotHold);
    EXPECT_EQ(outcome.entryLayoutCannotHold, c.refused);
    EXPECT_EQ(outcome.tableEntries, table.count());
    EXPECT_EQ(files.tree(), tableFiles(c.refused < 0 ? expected.bytes() : c.table, marked(lines)));
    if (c.refused >= 0) continue;
    MemoryStream back(expected.bytes());
    TextTable again;
    ASSERT_EQ(readTextTable(back, again), DatReadResult::Read);
    ASSERT_EQ(again.count(), table.count());
    for (int i = 0; i < again.count(); ++i) EXPECT_TRUE(again.text(i) == table.text(i)) << "entry " << i;
    EXPECT_EQ(again.trailingBytes, table.trailingBytes);
  }
}

TEST(ImportTable, LeavesTheTableFileAsItWasAndSaysWhy) {
  using R = ImportResult;
  const struct {
    const char* name;
    std::optional<Bytes> table;
    std::optional<Bytes> exchange;
    ImportResult result;
    int entryLayoutCannotHold = -1;
  } cases[] = {
      {"no exchange file", kTable, std::nullopt, R::NoExchangeFile},
      {"no byte order mark", kTable, utf16le(u"X\r\nY\r\nZ\r\n"), R::NoByteOrderMark},
      {"exchange file of one byte", kTable, hex("ff"), R::NoByteOrderMark},
      {"fewer lines", kTable, marked(u"X\r\nY\r\n"), R::LineCountDiffers},
      {"last line without CR LF", kTable, marked(u"X\r\nY\r\nZ"), R::LineCountDiffers},
      {"more lines: a text held CR LF", kTable, marked(u"X\r\nY1\r\nY2\r\nZ\r\n"), R::LineCountDiffers},
      {"U+0000 ends the content", kTable, marked(std::u16string_view(u"X\r\nY\0\r\nZ\r\n", 10)), R::LineCountDiffers},
      {"no table file", std::nullopt, marked(u"X\r\nY\r\nZ\r\n"), R::TableUnreadable},
      {"table in no known layout", hex("01 02"), marked(u"X\r\n"), R::TableUnreadable},
      {"empty table file", hex(""), marked(u""), R::TableUnreadable},
      {"layout 5 cannot hold U+0113, the first of two named", kMarkerTable, marked(u"Sw\u0113rd\r\nAx\u0113\r\n"),
       R::LayoutCannotHold, 0},
      {"layout 1 cannot end an empty text before a record", kDwordRunTable, marked(u"\r\nde\r\n"), R::LayoutCannotHold,
       0},
  };
  for (const auto& c : cases) {
    Files files(tableFiles(c.table, c.exchange));
    const ImportOutcome outcome = importTable(files.table, files.exchange);
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_EQ(outcome.entryLayoutCannotHold, c.entryLayoutCannotHold) << c.name;
    EXPECT_FALSE(outcome.changedTable()) << c.name;
    EXPECT_EQ(files.tree(), tableFiles(c.table, c.exchange)) << c.name;
  }
}

// Named as its own exchange file by another spelling, in a directory that
// is not there, or a directory: the table and every file stay as they were.
TEST(ExchangeTable, APathThatIsNoExchangeFileChangesNothing) {
  const struct {
    const char16_t* exchange;
    ExportResult exported;
    ImportResult imported;
  } cases[] = {
      {u"./t.dat", ExportResult::ExchangeFileIsTable, ImportResult::ExchangeFileIsTable},
      {u"missing/t.dat.txt", ExportResult::WriteFailed, ImportResult::NoExchangeFile},
      // It exists but reads as no file, as one an editor holds locked does.
      {u"t.dat.txt", ExportResult::WriteFailed, ImportResult::ExchangeFileUnreadable},
  };
  for (const auto& c : cases) {
    Files files({{"t.dat", kTable}, {"t.dat.txt/", {}}});
    EXPECT_EQ(exportTable(files.table, files.dir.file(c.exchange)), c.exported);
    EXPECT_EQ(importTable(files.table, files.dir.file(c.exchange)).result, c.imported);
    EXPECT_EQ(files.tree(), (FileTree{{"t.dat", kTable}, {"t.dat.txt/", {}}}));
  }
}

TEST(ExchangeRoundTrip, ExportThenImportLeavesEveryTextAsItWasUnlessOneHeldCrLf) {
  const std::pair<Bytes, ImportResult> cases[] = {
      {sixByteTable({u"", u"\r", u"\n", u"a\rb\nc", u"\u65e5\u672c\u8a9e", u"\U0001F409", u"end\r"}),
       ImportResult::Imported},
      {sixByteTable({u"one\r\ntwo", u"three"}), ImportResult::LineCountDiffers},
  };
  for (const auto& [table, result] : cases) {
    Files files(tableFiles(table, std::nullopt));
    ASSERT_EQ(exportTable(files.table, files.exchange), ExportResult::Written);
    EXPECT_EQ(importTable(files.table, files.exchange).result, result);
    EXPECT_EQ(readFileBytes(files.table), table);
  }
}

// A second writer is refused at once and changes nothing; the first one's
// work stands.
TEST(ExchangeTable, AFileAnotherWriterReplacesIsLeftToIt) {
  Files files(tableFiles(kTable, marked(u"X\r\nY\r\nZ\r\n")));
  {
    const FileLock table = FileLock::tryAcquire(files.table);
    const FileLock exchange = FileLock::tryAcquire(files.exchange);
    ASSERT_TRUE(table.held() && exchange.held());
    EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::TableInUse);
    EXPECT_EQ(exportTable(files.table, files.exchange), ExportResult::ExchangeFileInUse);
    EXPECT_EQ(readFileBytes(files.table), kTable);
    EXPECT_EQ(readFileBytes(files.exchange), marked(u"X\r\nY\r\nZ\r\n"));
  }
  EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::Imported);
  EXPECT_EQ(namesIn(files.dir.path()), (std::vector<std::string>{"t.dat", "t.dat.txt"})) << "no lock file is left";
}

// A read that fails part way through either file is told as that file being
// unreadable, never taken for a file that ends there: the lines or the
// records read until then are not all there are.
TEST(ImportTable, AReadThatFailsPartWayIsNeverTakenForTheEndOfTheFile) {
  // Each file is larger than the first reads of it, so that a later read fails.
  const std::vector<std::u16string> texts(4, std::u16string(40000, u'a'));
  const std::vector<std::u16string> translations(4, std::u16string(40000, u'b'));
  std::u16string lines;
  for (const std::u16string& line : translations) lines += line + u"\r\n";
  int readsFailed = 0;
  for (std::int64_t n = 1;; ++n) {
    Files files(tableFiles(sixByteTable(texts), marked(lines)));
    fault_injection::failNth(n);
    const ImportResult result = importTable(files.table, files.exchange).result;
    const bool struck = fault_injection::struck();
    const FileOperation operation = fault_injection::struckOperation();
    fault_injection::failNth(0);
    if (!struck) break;
    if (operation != FileOperation::Read) continue;
    ++readsFailed;
    // A read that fails after some bytes is tried again where it stood.
    if (result == ImportResult::Imported) {
      EXPECT_EQ(readFileBytes(files.table), sixByteTable(translations)) << "operation " << n;
    } else {
      EXPECT_TRUE(result == ImportResult::TableUnreadable || result == ImportResult::ExchangeFileUnreadable)
          << "operation " << n << ": " << static_cast<int>(result);
    }
  }
  EXPECT_GE(readsFailed, 6);
}

#ifndef _WIN32
TEST(ExchangeWriteFailure, LeavesTheTargetFileAsItWasAndNoTemporaryFile) {
  const Bytes longer = marked(std::u16string(300, u'x') + u"\r\n\r\n\r\n");
  Files importing(tableFiles(kTable, longer));
  Files exporting(tableFiles(kTable, kEarlier));
  {
    FileSizeLimit limit(16);
    EXPECT_EQ(importTable(importing.table, importing.exchange).result, ImportResult::WriteFailed);
    EXPECT_EQ(exportTable(exporting.table, exporting.exchange), ExportResult::WriteFailed);
  }
  EXPECT_EQ(importing.tree(), tableFiles(kTable, longer));
  EXPECT_EQ(exporting.tree(), tableFiles(kTable, kEarlier));
}
#endif

}  // namespace
}  // namespace verbarium
