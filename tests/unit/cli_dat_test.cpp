#include <gtest/gtest.h>

#include "cli_app.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::cat;
using test::hex;
using test::utf16le;

int run(std::vector<std::u16string> args, cli::CliOutput& output) { return cli::runCli(args, output); }

TEST(CliDump, PrintsLayoutHeaderKeysAndTextsAsJson) {
  test::TempDir dir;
  const auto path = dir.file(u"t.dat");
  // Texts with a quote, a line break, a character outside the BMP and a lone surrogate.
  test::writeFileBytes(path, cat({hex("0a 01 00 00  01 00 00 00 03 00  04 00 00 00"), utf16le(u"a\"\n\u00e9"),
                                  hex("02 00 00 00 03 00  03 00 00 00"), utf16le(u"\U0001F409\xD800")}));
  cli::CliOutput output;
  EXPECT_EQ(run({u"dump", path}, output), 0);
  EXPECT_EQ(output.out,
            "{\"layout\": 3, \"header\": 266, \"entries\": [{\"key\": \"010000000300\", \"text\": \"a\\\"\\n\xC3\xA9\"}, "
            "{\"key\": \"020000000300\", \"text\": \"\xF0\x9F\x90\x89\\ud800\"}]}\n");
  EXPECT_EQ(output.err, "");
}

TEST(CliDump, ExitCodesFollowTheContract) {
  test::TempDir dir;
  const auto empty = dir.file(u"empty.dat");
  test::writeFileBytes(empty, {});
  cli::CliOutput refusedOutput;
  EXPECT_EQ(run({u"dump", empty}, refusedOutput), 1);
  EXPECT_EQ(refusedOutput.out, "{\"layout\": 0, \"header\": 0, \"entries\": []}\n");
  EXPECT_NE(refusedOutput.err.find("\xE3\x81\x93\xE3\x81\xAE"), std::string::npos) << "the reader's message";

  cli::CliOutput missing;
  EXPECT_EQ(run({u"dump", dir.file(u"nothing.dat")}, missing), 2);
  cli::CliOutput usage;
  EXPECT_EQ(run({u"dump"}, usage), 2);
  cli::CliOutput unknown;
  EXPECT_EQ(run({u"frobnicate"}, unknown), 2);
}

TEST(CliRewrite, WritesTheTableBackOrLeavesTheTargetAlone) {
  test::TempDir dir;
  const auto in = dir.file(u"in.dat");
  const auto out = dir.file(u"out.dat");
  const test::Bytes table = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword")});
  test::writeFileBytes(in, table);
  cli::CliOutput ok;
  EXPECT_EQ(run({u"rewrite", in, out}, ok), 0) << ok.err;
  EXPECT_EQ(test::readFileBytes(out), table);

  test::writeFileBytes(in, hex("01 02"));
  cli::CliOutput refusedOutput;
  EXPECT_EQ(run({u"rewrite", in, out}, refusedOutput), 1);
  EXPECT_FALSE(refusedOutput.err.empty());
  EXPECT_EQ(test::readFileBytes(out), table);

  cli::CliOutput unwritable;
  test::writeFileBytes(in, table);
  EXPECT_EQ(run({u"rewrite", in, dir.file(u"no-such-dir") + u"/out.dat"}, unwritable), 1);
  cli::CliOutput usage;
  EXPECT_EQ(run({u"rewrite", in}, usage), 2);
}

}  // namespace
}  // namespace verbarium
