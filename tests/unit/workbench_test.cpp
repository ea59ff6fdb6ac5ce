#include <gtest/gtest.h>

#include <filesystem>

#include "cli_app.h"
#include "archive/restore_point.h"
#include "formats/dat_format.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"
#include "workbench/entry_checks.h"
#include "workbench/scratch_directory.h"

namespace verbarium {
namespace {

using namespace test;

// The warnings one entry gets against its original, by check name.
TEST(EntryChecks, WarnWhereTheTranslationPartsFromItsOriginal) {
  using namespace check_names;
  const struct {
    const char16_t *original, *current;
    std::vector<std::string_view> checks;
  } cases[] = {
      {u"Hello", u"Hello", {kUntranslated}},
      {u"...", u"...", {}},  // nothing to translate
      {u"%d of %s", u"%sの%d", {}},  // the same specifiers in another order
      {u"%d coins", u"%s枚", {kFormat}},
      {u"100%% sure", u"100%確か", {}},  // "%%" is no specifier, nor a lone '%'
      {u"{name} says <b>hi</b>", u"<b>やあ</b>と{name}", {}},
      {u"{name} says", u"{nom} dit", {kTags}},
      {u"[[a]] x", u"[a] y", {}},  // the innermost token
      {u"a\nb", u"c d", {kLineBreaks}},
      {u"a\r\nb", u"c\nd", {}},  // one break each
      {u" a", u"b", {kWhiteSpace}},
      {u"a\u3000", u"b ", {kWhiteSpace}},
      {u"%d\n", u"x", {kFormat, kLineBreaks, kWhiteSpace}},
  };
  for (const auto& c : cases) {
    std::vector<CheckFinding> findings;
    checkAgainstOriginal(0, c.current, c.original, findings);
    std::vector<std::string_view> checks;
    for (const CheckFinding& finding : findings) checks.push_back(finding.check);
    EXPECT_EQ(checks, c.checks) << toHex(utf16le(c.original)) << " / " << toHex(utf16le(c.current));
  }
}

int run(std::vector<std::u16string> args, cli::CliOutput& output) { return cli::runCli(args, output); }

// Two measured tables, one without its baseline, one whose baseline has another entry count.
struct Edition {
  TempDir dir;
  Edition() {
    layTree(dir.path(), {{"1000-2000_1_1.dat", sixByteTable({u"やあ", u"Bye", u"%d枚"})},
                         {"1000-2000_1_1.dat.org", sixByteTable({u"Hi", u"Bye", u"%d coins"})},
                         {"1001-2000_1_1.dat", sixByteTable({u"a"})}, {"1001-2000_1_1.dat.org", sixByteTable({u"b"})},
                         {"1002-2000_1_1.dat", sixByteTable({u"x"})}, {"1003-2000_1_1.dat", sixByteTable({u"x", u"y"})},
                         {"1003-2000_1_1.dat.org", sixByteTable({u"x"})}, {"notes.dat", {}}});
  }
};

// Each command and form once: the exit code and what it prints.
TEST(CliStatusAndCheck, CountAndListFindingsOfEachTableAndNameTheOthersWithTheirReason) {
  Edition edition;
  const std::u16string all = edition.dir.path().u16string(), one = edition.dir.file(u"1001-2000_1_1.dat");
  const std::string unmeasured = "  1002-2000_1_1.dat: no baseline (1002-2000_1_1.dat.org)\n"
                                 "  1003-2000_1_1.dat: 2 entries, its baseline 1\n";
  const std::string checked = "1000-2000_1_1.dat:2: warning: untranslated: not translated\n"
                              "not compared with a baseline (only what the table alone shows):\n" + unmeasured +
                              "0 errors, 1 warning\n";
  const struct {
    std::vector<std::u16string> args;
    int exit;
    std::string out;  // none: not looked at
  } cases[] = {
      {{u"status", all}, 0,
       "table                 entries  translated  untranslated  percent\n"
       "1000-2000_1_1.dat           3           2             1      66%\n"
       "1001-2000_1_1.dat           1           1             0     100%\n"
       "total                       4           3             1      75%\n"
       "\ncannot be measured:\n" + unmeasured},
      {{u"status", one, u"--json"}, 0,
       "{\"tables\": [{\"table\": \"1001-2000_1_1.dat\", \"entries\": 1, \"translated\": 1, \"untranslated\": 0, "
       "\"percent\": 100}], \"total\": {\"entries\": 1, \"translated\": 1, \"untranslated\": 0, \"percent\": 100}, "
       "\"unmeasured\": []}\n"},
      {{u"check", all}, 0, checked},
      {{u"check", all, u"--strict"}, 1, checked},
      {{u"status", edition.dir.file(u"none")}, 1, ""},
      {{u"status", u"a", u"b"}, 2, ""},
      {{u"check"}, 2, ""},
      {{u"propagate"}, 2, ""},
  };
  for (const auto& c : cases) {
    cli::CliOutput output;
    EXPECT_EQ(run(c.args, output), c.exit) << toUtf8(c.args[0]) << ": " << output.err;
    if (!c.out.empty()) { EXPECT_EQ(output.out, c.out); }
  }
  writeFileBytes(one, sixByteTable({u"a\r\n"}));
  cli::CliOutput scripts;
  EXPECT_EQ(run({u"check", one, u"--json"}, scripts), 1);
  EXPECT_EQ(scripts.out,
            "{\"findings\": [{\"table\": \"1001-2000_1_1.dat\", \"entry\": 1, \"check\": \"crlf\", \"severity\": "
            "\"error\", \"message\": \"the text holds CR LF, which an exchange file cannot carry\"}, {\"table\": "
            "\"1001-2000_1_1.dat\", \"entry\": 1, \"check\": \"line-breaks\", \"severity\": \"warning\", \"message\": "
            "\"line breaks differ: original 0, translation 1\"}, {\"table\": \"1001-2000_1_1.dat\", \"entry\": 1, "
            "\"check\": \"white-space\", \"severity\": \"warning\", \"message\": \"leading or trailing white space "
            "differs\"}], \"unmeasured\": []}\n");
}

TEST(CliPropagate, GivesTheOneTranslationToUntranslatedEntriesAndLeavesConflictsAlone) {
  TempDir dir;
  const Path second = dir.file(u"1001-2000_1_1.dat");
  // A table without its baseline lends no translation and takes none.
  layTree(dir.path(), {{"1000-2000_1_1.dat", sixByteTable({u"やあ", u"さらば", u"Yes"})},
                       {"1000-2000_1_1.dat.org", sixByteTable({u"Hello", u"Bye", u"Yes"})},
                       {"1001-2000_1_1.dat", sixByteTable({u"Hello", u"またね", u"Bye", u"Hello"})},
                       {"1001-2000_1_1.dat.org", sixByteTable({u"Hello", u"Bye", u"Bye", u"Hello"})},
                       {"1002-2000_1_1.dat", sixByteTable({u"Hello", u"Bye"})}});
  const Bytes before = readFileBytes(second);

  cli::CliOutput report;
  EXPECT_EQ(run({u"propagate", dir.path().u16string()}, report), 0) << report.err;
  EXPECT_EQ(report.out,
            "1001-2000_1_1.dat#1: \"Hello\" -> \"やあ\"\n"
            "1001-2000_1_1.dat#4: \"Hello\" -> \"やあ\"\n"
            "conflict, left alone: \"Bye\" has 2 translations: \"さらば\" \"またね\"\n"
            "would change 2 entries in 1 tables (--write changes them)\n");
  EXPECT_EQ(readFileBytes(second), before);
  EXPECT_EQ(report.err, "left out: 1002-2000_1_1.dat: no baseline (1002-2000_1_1.dat.org)\n");

  cli::CliOutput written;
  EXPECT_EQ(run({u"propagate", dir.path().u16string(), u"--write"}, written), 0) << written.err;
  EXPECT_EQ(readFileBytes(second), sixByteTable({u"やあ", u"またね", u"Bye", u"やあ"}));
  EXPECT_NE(written.out.find("changed 2 entries in 1 tables"), std::string::npos);
  EXPECT_EQ(ListRestorePoints(dir.path().u16string()).size(), 1u);
}

// The scratch directories that killed runs of the same kind left go, with
// their files; those of a run still going, and of other kinds, stay.
TEST(ScratchDirectory, RemovesWhatKilledRunsOfItsKindLeft) {
  const std::string gone = "update.~99999996-1.tmp";  // no process has this id
  const std::string running = "update.~" + std::to_string(currentProcessId()) + "-1.tmp", other = "po.~99999996-1.tmp";
  TempDir dir;
  layTree(dir.path(), {{gone + "/t.dat", hex("01")}, {running + "/t.dat", hex("02")}, {other + "/t.dat", hex("03")}});
  {
    const ScratchDirectory scratch(dir.pathText(), u"update");
    ASSERT_TRUE(scratch.made());
    EXPECT_EQ(namesIn(dir.path()).size(), 3u) << "its own beside the two kept";
  }
  EXPECT_EQ(treeOf(dir.path()), (FileTree{{other + "/", {}}, {other + "/t.dat", hex("03")}, {running + "/", {}},
                                         {running + "/t.dat", hex("02")}}));
}

}  // namespace
}  // namespace verbarium
