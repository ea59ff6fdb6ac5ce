#include <gtest/gtest.h>

#include <regex>

#include "cli_app.h"
#include "platform/file_lock.h"
#include "platform/product_version.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

const Bytes kTable = sixByteTable({u"ok"});
const Bytes kMarkerTable = hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08 'Sword'");
const Bytes kEarlier = hex("ff fe 3f 00 0d 00 0a 00");
// Texts with a quote, a line break, a character outside the BMP and a lone surrogate.
const Bytes kDumped = cat({hex("0a 01 00 00  01 00 00 00 03 00  04 00 00 00"), utf16le(u"a\"\n\u00e9"),
                           hex("02 00 00 00 03 00  03 00 00 00"), utf16le(u"\U0001F409\xD800")});

Bytes marked(std::u16string_view lines) { return cat({hex("ff fe"), utf16le(lines)}); }

std::vector<std::u16string> argsIn(const TempDir& dir, const std::vector<std::string>& args) {
  std::vector<std::u16string> out;
  for (const std::string& arg : args) {
    const std::u16string text(arg.begin(), arg.end());
    out.push_back(arg.starts_with('@') ? dir.file(text.substr(1)) : text);
  }
  return out;
}

// Each run starts in a fresh directory holding t.dat (one text, "ok") and
// the files given; "@" names a file there. Exit codes: 0 done, 1 refused
// with the reason, 2 a wrong command line.
TEST(Cli, AnswersEachCommandWithItsExitCodeOutputAndFiles) {
  const Bytes exported = hex("ff fe 6f 00 6b 00 0d 00 0a 00");
  const struct {
    std::vector<std::string> args;
    FileTree files;  // besides t.dat
    int code;
    std::string out;
    std::string err;  // a part of standard error; none means it is empty exactly when the code is 0
    FileTree changed;  // the files that differ afterwards
    const char* locked = nullptr;  // held by another writer
  } cases[] = {
      {{"dump", "@d.dat"}, {{"d.dat", kDumped}}, 0,
       "{\"layout\": 3, \"header\": 266, \"entries\": [{\"key\": \"010000000300\", \"text\": \"a\\\"\\n\xC3\xA9\"}, "
       "{\"key\": \"020000000300\", \"text\": \"\xF0\x9F\x90\x89\\ud800\"}]}\n"},
      {{"dump", "@e.dat"}, {{"e.dat", {}}}, 1, "{\"layout\": 0, \"header\": 0, \"entries\": []}\n",
       "\xE3\x81\x93\xE3\x81\xAE\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAF\xE7\xA9\xBA"},
      {{"dump", "@none.dat"}, {}, 2, "", "cannot open"},
      {{"dump"}, {}, 2}, {{"frobnicate"}, {}, 2}, {{"export", "@t.dat", "a.txt", "b.txt"}, {}, 2},
      {{}, {}, 2, "", "verbarium-cli --version\n"},
      {{"--version"}, {}, 0, "verbarium-cli " + std::string(kProductVersion) + "\n"},
      {{"rewrite", "@m.dat", "@out.dat"}, {{"m.dat", kMarkerTable}}, 0, "", "", {{"out.dat", kMarkerTable}}},
      {{"rewrite", "@bad.dat", "@out.dat"}, {{"bad.dat", hex("01 02")}, {"out.dat", hex("01")}}, 1},
      {{"rewrite", "@t.dat", "@out.dat"}, {{"out.dat", hex("01")}}, 1, "", "in use", {}, "@out.dat"},
      {{"export", "@t.dat"}, {{"t.dat.txt", kEarlier}}, 0, "", "", {{"t.dat.txt", exported}}},
      {{"export", "@t.dat", "@texts.txt"}, {}, 0, "", "", {{"texts.txt", exported}}},
      {{"export", "@none.dat"}, {}, 1, "", "cannot open"},
      {{"export", "@bad.dat"}, {{"bad.dat", hex("01 02")}, {"bad.dat.txt", kEarlier}}, 1, "", "as a table; "},
      {{"export", "@t.dat", "@none/t.txt"}, {}, 1, "", "cannot write"},
      {{"export", "@t.dat", "@./t.dat"}, {}, 1, "", "is the table itself"},
      {{"export", "@t.dat"}, {{"t.dat.txt", kEarlier}}, 1, "", "is in use", {}, "@t.dat.txt"},
      {{"import", "@t.dat", "@./t.dat"}, {}, 1, "", "is the table itself"},
      {{"import", "@t.dat"}, {{"t.dat.txt", marked(u"OK!\r\n")}}, 1, "", "is in use", {}, "@t.dat"},
      {{"import", "@t.dat"}, {}, 1, "", "t.dat.txt does not exist"},
      // It exists but reads as no file, as one an editor holds locked does: "cannot read" it.
      {{"import", "@t.dat"}, {{"t.dat.txt/", {}}}, 1, "", "t.dat.txt\n"},
      {{"import", "@t.dat"}, {{"t.dat.txt", utf16le(u"no\r\n")}}, 1, "", "(no BOM)"},
      {{"import", "@t.dat"}, {{"t.dat.txt", hex("ff fe")}}, 1, "", "t.dat.txt, 0, differs from the entry count, 1"},
      // A text that held CR LF comes back as two lines.
      {{"import", "@t.dat", "@two.txt"}, {{"two.txt", marked(u"o\r\nk\r\n")}}, 1, "",
       "two.txt, 2, differs from the entry count, 1"},
      {{"import", "@none.dat", "@t.dat.txt"}, {{"t.dat.txt", marked(u"OK!\r\n")}}, 1, "", "none.dat as a table"},
      {{"import", "@t.dat"}, {{"t.dat.txt", marked(u"OK!\r\n")}}, 0, "", "", {{"t.dat", sixByteTable({u"OK!"})}}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    FileTree files = c.files;
    files["t.dat"] = kTable;
    layTree(dir.path(), files);
    std::string line = "verbarium-cli";
    for (const std::string& arg : c.args) line += " " + arg;
    SCOPED_TRACE(line);
    std::optional<FileLock> otherWriter;
    if (c.locked) otherWriter = FileLock::tryAcquire(argsIn(dir, {c.locked})[0]);
    cli::CliOutput output;
    EXPECT_EQ(cli::runCli(argsIn(dir, c.args), output), c.code) << output.err;
    EXPECT_EQ(output.out, c.out);
    EXPECT_TRUE(c.err.empty() ? output.err.empty() == (c.code == 0) : output.err.find(c.err) != std::string::npos)
        << output.err;
    otherWriter.reset();
    for (const auto& [name, bytes] : c.changed) files[name] = bytes;
    EXPECT_EQ(treeOf(dir.path()), files);
  }
  // Never a placeholder left unconfigured.
  EXPECT_TRUE(std::regex_match(std::string(kProductVersion), std::regex(R"(\d+\.\d+\.\d+)"))) << kProductVersion;
}

}  // namespace
}  // namespace verbarium
