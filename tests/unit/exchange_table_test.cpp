#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>

#include "formats/dat_format.h"
#include "formats/exchange_table.h"
#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "support/file_size_limit.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"


namespace verbarium {
namespace {

using namespace test;

// Layout 3, texts A, empty and BC.
const Bytes kTable = cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"), utf16le(u"A"),
                          hex("02 00 00 00 03 00  00 00 00 00"),
                          hex("03 00 00 00 03 00  02 00 00 00"), utf16le(u"BC")});
// Layout 5, texts Sword and Axe.
const Bytes kMarkerTable = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                                hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")});

// Layout 1, texts abc and de.
const Bytes kDwordRunTable = cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
                                  hex("05 00 00 00  02 00 00 00"), utf16le(u"de")});

Bytes marked(std::u16string_view lines) { return cat({hex("ff fe"), utf16le(lines)}); }

std::set<std::string> filesIn(const test::TempDir& dir) {
  std::set<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir.path())) names.insert(item.path().filename().string());
  return names;
}

// Puts the given files in a fresh directory as t.dat and t.dat.txt.
struct TableFiles {
  test::TempDir dir;
  Path table = dir.file(u"t.dat");
  Path exchange = dir.file(u"t.dat.txt");

  TableFiles(const std::optional<Bytes>& tableBytes, const std::optional<Bytes>& exchangeBytes) {
    if (tableBytes) test::writeFileBytes(table, *tableBytes);
    if (exchangeBytes) test::writeFileBytes(exchange, *exchangeBytes);
  }
};


struct ExportCase {
  const char* name;
  std::optional<Bytes> table;
  ExportResult result;
  Bytes exchange;  // afterwards; an earlier file held "ff fe 3f 00 0d 00 0a 00"
};

TEST(ExportTable, WritesTheTextsOrLeavesTheEarlierFile) {
  const Bytes earlier = hex("ff fe 3f 00 0d 00 0a 00");
  const ExportCase cases[] = {
      {"three entries", kTable, ExportResult::Written,
       hex("ff fe 41 00 0d 00 0a 00 0d 00 0a 00 42 00 43 00 0d 00 0a 00")},
      {"header alone", hex("0a 00 00 00"), ExportResult::Written, hex("ff fe")},
      {"a zero unit ends a text",
       cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"), hex("00 00"), utf16le(u"b")}),
       ExportResult::Written, hex("ff fe 61 00 0d 00 0a 00")},
      {"table in no known layout", hex("01 02"), ExportResult::TableRejected, earlier},
      {"empty table", hex(""), ExportResult::TableRejected, earlier},
      {"no table file", std::nullopt, ExportResult::TableCannotOpen, earlier},
  };
  for (const auto& c : cases) {
    TableFiles files(c.table, earlier);
    EXPECT_EQ(exportTable(files.table, files.exchange), c.result) << c.name;
    EXPECT_EQ(test::toHex(test::readFileBytes(files.exchange)), test::toHex(c.exchange)) << c.name;
    EXPECT_EQ(filesIn(files.dir).size(), c.table ? 2u : 1u) << c.name << ": a temporary file was left behind";
  }
}

TEST(ExportTable, CreatesNothingWhereItCannotWrite) {
  TableFiles files(kTable, std::nullopt);
  EXPECT_EQ(exportTable(files.table, files.dir.file(u"missing") + u"/t.dat.txt"), ExportResult::WriteFailed);
  EXPECT_EQ(filesIn(files.dir), std::set<std::string>{"t.dat"});
}

TEST(ImportTable, PutsTheLinesIntoTheTextsKeepingKeysAndHeader) {
  TableFiles files(kTable, marked(u"X\r\n\u3042\r\nYZW\r\n"));
  const ImportOutcome outcome = importTable(files.table, files.exchange);
  EXPECT_TRUE(outcome.changedTable());
  EXPECT_EQ(outcome.result, ImportResult::Imported);
  const Bytes expected = cat({hex("0a 00 00 00  01 00 00 00 03 00  01 00 00 00"), utf16le(u"X"),
                              hex("02 00 00 00 03 00  01 00 00 00"), utf16le(u"\u3042"),
                              hex("03 00 00 00 03 00  03 00 00 00"), utf16le(u"YZW")});
  EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(expected));
  EXPECT_EQ(filesIn(files.dir).size(), 2u);
}

struct StreamedCase {
  const char* name;
  Bytes table;
  std::vector<std::u16string> texts;
};

// The import streams the table from file to file: what it writes, or the
// entry it refuses, must be what the table read into memory, given the lines
// as its texts, would write or refuse.
TEST(ImportTable, WritesWhatTheTableInMemoryWould) {
  const Bytes keptAfterLayout1 = cat({kDwordRunTable, hex("0a 00")});
  const Bytes keptAfterLayout2 = cat({hex("05 00 00 00  01 03 00 00 00 0a 0b 0c  02 00 00 00"), utf16le(u"hi"),
                                      hex("02 00 00 00 00  09 00 00 00"), utf16le(u"!")});
  const Bytes zeroInText = cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"a"), hex("00 00"),
                                utf16le(u"b")});
  const StreamedCase cases[] = {
      {"layout 3", kTable, {u"X", u"", u"\u65e5\u672c"}},
      {"layout 3, a zero unit in the old text", zeroInText, {u"abc"}},
      {"layout 2, bytes kept after the last record", keptAfterLayout2, {u"", u"longer"}},
      {"layout 1, a short text before the next record", kDwordRunTable, {u"", u"de"}},
      {"layout 1, one unit before the next record", kDwordRunTable, {u"x", u"de"}},
      {"layout 1, an empty last text before kept bytes", keptAfterLayout1, {u"abc", u""}},
      {"layout 1, one unit before kept bytes", keptAfterLayout1, {u"abc", u"y"}},
      {"layout 1, a length word that looks like text", kDwordRunTable, {std::u16string(0x10000, u'a'), u"de"}},
      {"layout 5", kMarkerTable, {u"Sw\u00f6rd", u"A"}},
      {"layout 5, a unit above 0x00FF", kMarkerTable, {u"Sword", u"Ax\u0113"}},
  };
  for (const auto& c : cases) {
    MemoryStream source(c.table);
    TextTable table;
    ASSERT_EQ(readTextTable(source, table), DatReadResult::Read) << c.name;
    ASSERT_EQ(static_cast<std::size_t>(table.count()), c.texts.size()) << c.name;
    std::u16string lines;
    for (int i = 0; i < table.count(); ++i) {
      table.setText(i, c.texts[static_cast<std::size_t>(i)]);
      lines += c.texts[static_cast<std::size_t>(i)] + u"\r\n";
    }
    const int refused = firstEntryLayoutCannotHold(table);
    MemoryStream expected;
    ASSERT_EQ(writeTextTable(expected, table), refused < 0) << c.name;

    TableFiles files(c.table, marked(lines));
    const ImportOutcome outcome = importTable(files.table, files.exchange);
    EXPECT_EQ(outcome.result, refused < 0 ? ImportResult::Imported : ImportResult::LayoutCannotHold) << c.name;
    EXPECT_EQ(outcome.entryLayoutCannotHold, refused) << c.name;
    EXPECT_EQ(outcome.tableEntries, table.count()) << c.name;
    EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(refused < 0 ? expected.bytes() : c.table))
        << c.name;
    EXPECT_EQ(filesIn(files.dir).size(), 2u) << c.name;
  }
}

struct UnchangedCase {
  const char* name;
  std::optional<Bytes> table;
  std::optional<Bytes> exchange;
  ImportResult result;
  int entryLayoutCannotHold = -1;
};

TEST(ImportTable, LeavesTheTableFileAsItWasAndSaysWhy) {
  using R = ImportResult;
  const UnchangedCase cases[] = {
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
      {"layout 1 cannot end an empty text before a record", kDwordRunTable, marked(u"\r\nde\r\n"),
       R::LayoutCannotHold, 0},
  };
  for (const auto& c : cases) {
    TableFiles files(c.table, c.exchange);
    const ImportOutcome outcome = importTable(files.table, files.exchange);
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_EQ(outcome.entryLayoutCannotHold, c.entryLayoutCannotHold) << c.name;
    EXPECT_FALSE(outcome.changedTable()) << c.name;
    if (c.table) {
      EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(*c.table)) << c.name;
    } else {
      EXPECT_FALSE(std::filesystem::exists(files.dir.path() / "t.dat")) << c.name;
    }
    EXPECT_EQ(filesIn(files.dir).size(), (c.table ? 1u : 0u) + (c.exchange ? 1u : 0u)) << c.name;
  }
}

Bytes sixByteKeyTable(std::initializer_list<std::u16string_view> texts) {
  Bytes bytes = hex("0a 00 00 00");
  std::uint8_t key = 0;
  for (std::u16string_view text : texts) {
    bytes = cat({std::move(bytes), Bytes{++key, 0, 0, 0, 3, 0, static_cast<std::uint8_t>(text.size()), 0, 0, 0},
                 utf16le(text)});
  }
  return bytes;
}

TEST(ExchangeRoundTrip, ExportThenImportLeavesEveryTextAsItWas) {
  const Bytes table = sixByteKeyTable({u"", u"\r", u"\n", u"a\rb\nc", u"\u65e5\u672c\u8a9e", u"\U0001F409", u"end\r"});
  TableFiles files(table, std::nullopt);
  ASSERT_EQ(exportTable(files.table, files.exchange), ExportResult::Written);
  EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::Imported);
  EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(table));

  const Bytes crLf = sixByteKeyTable({u"one\r\ntwo", u"three"});
  TableFiles split(crLf, std::nullopt);
  ASSERT_EQ(exportTable(split.table, split.exchange), ExportResult::Written);
  EXPECT_EQ(importTable(split.table, split.exchange).result, ImportResult::LineCountDiffers);
  EXPECT_EQ(test::toHex(test::readFileBytes(split.table)), test::toHex(crLf));
}

// Named as its own exchange file, by any spelling, a table stays as it was.
TEST(ExchangeTable, ATableIsNeverItsOwnExchangeFile) {
  TableFiles files(kTable, std::nullopt);
  const Path spelledOtherwise = files.dir.file(u"./t.dat");
  EXPECT_EQ(exportTable(files.table, spelledOtherwise), ExportResult::ExchangeFileIsTable);
  EXPECT_EQ(importTable(files.table, spelledOtherwise).result, ImportResult::ExchangeFileIsTable);
  EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(kTable));
  EXPECT_EQ(filesIn(files.dir).size(), 1u);
}

// A second writer is refused at once and changes nothing; the first one's
// work stands.
TEST(ExchangeTable, AFileAnotherWriterReplacesIsLeftToIt) {
  TableFiles files(kTable, marked(u"X\r\nY\r\nZ\r\n"));
  {
    const FileLock table = FileLock::tryAcquire(files.table);
    const FileLock exchange = FileLock::tryAcquire(files.exchange);
    ASSERT_TRUE(table.held() && exchange.held());
    EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::TableInUse);
    EXPECT_EQ(exportTable(files.table, files.exchange), ExportResult::ExchangeFileInUse);
    EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(kTable));
    EXPECT_EQ(test::readFileBytes(files.exchange), marked(u"X\r\nY\r\nZ\r\n"));
  }
  EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::Imported);
  EXPECT_EQ(filesIn(files.dir).size(), 2u) << "no lock file is left";
}

TEST(ImportTable, TellsAnExchangeFileThatCannotBeReadFromOneThatIsNotThere) {
  // A directory of that name exists but reads as no file, as one an editor holds locked does.
  TableFiles files(kTable, std::nullopt);
  std::filesystem::create_directory(files.dir.path() / "t.dat.txt");
  EXPECT_EQ(importTable(files.table, files.exchange).result, ImportResult::ExchangeFileUnreadable);
  EXPECT_EQ(test::toHex(test::readFileBytes(files.table)), test::toHex(kTable));
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
    TableFiles files(sixByteTable(texts), marked(lines));
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
      EXPECT_EQ(test::readFileBytes(files.table), sixByteTable(translations)) << "operation " << n;
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
  TableFiles importing(kTable, longer);
  TableFiles exporting(kTable, hex("ff fe 3f 00 0d 00 0a 00"));
  {
    test::FileSizeLimit limit(16);
    EXPECT_EQ(importTable(importing.table, importing.exchange).result, ImportResult::WriteFailed);
    EXPECT_EQ(exportTable(exporting.table, exporting.exchange), ExportResult::WriteFailed);
  }
  EXPECT_EQ(test::toHex(test::readFileBytes(importing.table)), test::toHex(kTable));
  EXPECT_EQ(test::toHex(test::readFileBytes(exporting.exchange)), test::toHex(hex("ff fe 3f 00 0d 00 0a 00")));
  EXPECT_EQ(filesIn(importing.dir).size(), 2u);
  EXPECT_EQ(filesIn(exporting.dir).size(), 2u);
}
#endif

}  // namespace
}  // namespace verbarium
