#include <gtest/gtest.h>

#include "cli_app.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

int run(std::vector<std::u16string> args, cli::CliOutput& output) { return cli::runCli(args, output); }

const test::Bytes kTable = cat({hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), utf16le(u"ok")});

TEST(CliExport, WritesBesideTheTableUnlessToldWhere) {
  test::TempDir dir;
  const auto table = dir.file(u"t.dat");
  test::writeFileBytes(table, kTable);
  cli::CliOutput beside;
  EXPECT_EQ(run({u"export", table}, beside), 0) << beside.err;
  EXPECT_EQ(test::readFileBytes(dir.file(u"t.dat.txt")), hex("ff fe 6f 00 6b 00 0d 00 0a 00"));

  cli::CliOutput named;
  EXPECT_EQ(run({u"export", table, dir.file(u"texts.txt")}, named), 0) << named.err;
  EXPECT_EQ(test::readFileBytes(dir.file(u"texts.txt")), hex("ff fe 6f 00 6b 00 0d 00 0a 00"));

  cli::CliOutput missing;
  EXPECT_EQ(run({u"export", dir.file(u"none.dat")}, missing), 1);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);
  for (auto args : {std::vector<std::u16string>{u"export"}, {u"export", table, u"a.txt", u"b.txt"}}) {
    cli::CliOutput usage;
    EXPECT_EQ(run(args, usage), 2);
  }
}

TEST(CliImport, ExitsWithOneAndTheReasonWhenTheTableIsLeftUnchanged) {
  test::TempDir dir;
  const auto table = dir.file(u"t.dat");
  test::writeFileBytes(table, kTable);

  test::writeFileBytes(dir.file(u"t.dat.txt"), utf16le(u"no\r\n"));
  cli::CliOutput unmarked;
  EXPECT_EQ(run({u"import", table}, unmarked), 1);
  EXPECT_NE(unmarked.err.find("(no BOM)"), std::string::npos) << "the reader's message";
  EXPECT_NE(unmarked.err.find("left unchanged"), std::string::npos);

  test::writeFileBytes(dir.file(u"two.txt"), cat({hex("ff fe"), utf16le(u"a\r\nb\r\n")}));
  cli::CliOutput counts;
  EXPECT_EQ(run({u"import", table, dir.file(u"two.txt")}, counts), 1);
  EXPECT_NE(counts.err.find("two.txt, 2, differs from the entry count, 1"), std::string::npos) << counts.err;
  EXPECT_EQ(test::readFileBytes(table), kTable);

  test::writeFileBytes(dir.file(u"t.dat.txt"), cat({hex("ff fe"), utf16le(u"OK!\r\n")}));
  cli::CliOutput imported;
  EXPECT_EQ(run({u"import", table}, imported), 0) << imported.err;
  EXPECT_EQ(test::readFileBytes(table), cat({hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), utf16le(u"OK!")}));

  cli::CliOutput usage;
  EXPECT_EQ(run({u"import"}, usage), 2);
}

}  // namespace
}  // namespace verbarium
