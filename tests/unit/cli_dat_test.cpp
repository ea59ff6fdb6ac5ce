#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "cli_app.h"
#include "platform/file_lock.h"
#include "platform/product_version.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

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

TEST(CliVersion, AnswersWithOneLineFromTheProjectVersion) {
  // The number comes from the project's version: major.minor.patch, never a
  // placeholder that was left unconfigured.
  ASSERT_FALSE(kProductVersion.empty());
  int dots = 0;
  for (char c : kProductVersion) {
    if (c == '.') ++dots;
    else EXPECT_TRUE(c >= '0' && c <= '9') << kProductVersion;
  }
  EXPECT_EQ(dots, 2) << kProductVersion;

  const struct {
    std::vector<std::u16string> args;
    int code;
    std::string out;
  } cases[] = {
      {{u"--version"}, 0, "verbarium-cli " + std::string(kProductVersion) + "\n"},
      {{u"--version", u"t.dat"}, 2, ""},
      {{u"version"}, 2, ""},
  };
  for (const auto& c : cases) {
    cli::CliOutput output;
    EXPECT_EQ(run(c.args, output), c.code) << output.err;
    EXPECT_EQ(output.out, c.out);
    EXPECT_EQ(output.err.empty(), c.code == 0) << output.err;
  }
  cli::CliOutput usage;
  EXPECT_EQ(run({}, usage), 2);
  EXPECT_NE(usage.err.find("verbarium-cli --version\n"), std::string::npos) << usage.err;
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

  const FileLock otherWriter = FileLock::tryAcquire(out);
  cli::CliOutput busy;
  EXPECT_EQ(run({u"rewrite", in, out}, busy), 1);
  EXPECT_NE(busy.err.find("in use"), std::string::npos) << busy.err;
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// Runs rewrite with the address space capped 8 MiB above what the process
// already uses, and prints what it says.
int rewriteWithLittleMemory(const std::u16string& in, const std::u16string& out) {
  long pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  const rlim_t cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (8u << 20);
  const rlimit limit{cap, cap};
  setrlimit(RLIMIT_AS, &limit);
  cli::CliOutput output;
  const int code = run({u"rewrite", in, out}, output);
  std::fputs(output.err.c_str(), stderr);
  return code;
}

// A table of a million tiny records needs far more memory than its file:
// with the address space capped, the command must refuse, not abort.
TEST(CliMemory, AnAllocationFailureIsARefusalThatChangesNothing) {
  test::TempDir dir;
  const auto in = dir.file(u"in.dat");
  const auto out = dir.file(u"out.dat");
  {
    std::ofstream file(dir.path() / "in.dat", std::ios::binary);
    const test::Bytes header = hex("0a 00 00 00");
    const test::Bytes record = hex("00 00 00 00 03 00  00 00 00 00");
    file.write(reinterpret_cast<const char*>(header.data()), 4);
    for (int i = 0; i < 1'000'000; ++i) file.write(reinterpret_cast<const char*>(record.data()), 10);
  }
  test::writeFileBytes(out, hex("01"));
  EXPECT_EXIT(std::_Exit(rewriteWithLittleMemory(in, out)), ::testing::ExitedWithCode(1), "not enough memory");
  EXPECT_EQ(test::readFileBytes(out), hex("01"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
#endif

}  // namespace
}  // namespace verbarium
