#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli_app.h"
#include "archive/restore_point.h"
#include "cratework_commands.h"
#include "formats/dat_format.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"
#include "workbench/entry_checks.h"
#include "workbench/game_update.h"
#include "workbench/scratch_directory.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
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

using Returned = std::tuple<int, std::u16string, ReturnReason>;
struct Case {
  const char* name;
  DatLayout newLayout;
  std::vector<std::tuple<const char*, std::u16string, std::u16string>> old;  // key in hex, original, translation
  std::vector<std::pair<const char*, std::u16string>> fresh;
  std::vector<std::u16string> texts;  // the new table's, translations carried
  long long kept, added, removed;
  std::vector<Returned> returned;
};

constexpr auto kChanged = ReturnReason::OriginalChanged;
constexpr auto kCannotHold = ReturnReason::LayoutCannotHold;
// Six-byte keys of the layout most tables have; the marker layout's: a
// marker above 0x00FF, then eight bytes; layout 1's: key words below 0x10000.
constexpr const char *k1 = "01 00 00 00 03 00", *k2 = "02 00 00 00 03 00", *k3 = "03 00 00 00 03 00", *k4 = "04 00 00 00 03 00";
constexpr const char *m1 = "42 01 00 00 01 00 00 00 00 00", *m2 = "43 01 00 00 02 00 00 00 00 00",
                     *m3 = "44 01 00 00 03 00 00 00 00 00", *m4 = "45 01 00 00 04 00 00 00 00 00";
constexpr const char *w1 = "11 00 00 00 01 00 00 00", *w0 = "00 00 00 00 02 00 00 00";

const std::vector<Case> kCases = {
    {"an unchanged original keeps its translation, an untranslated entry its original", DatLayout::SixByteKey,
     {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Tree"}}, {{k1, u"House"}, {k2, u"Tree"}}, {u"Haus", u"Tree"}, 1, 0, 0, {}},
    {"a changed original brings a translated entry back untranslated and lists it; an untranslated one is not listed",
     DatLayout::SixByteKey, {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Baum"}, {k3, u"Path", u"Path"}},
     {{k1, u"House"}, {k2, u"Big tree"}, {k3, u"Way"}}, {u"Haus", u"Big tree", u"Way"}, 1, 0, 0, {{1, u"Baum", kChanged}}},
    {"entries are found by key wherever they moved; new and removed ones are counted", DatLayout::SixByteKey,
     {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Baum"}, {k3, u"Path", u"Weg"}},
     {{k4, u"Stone"}, {k3, u"Path"}, {k1, u"House"}}, {u"Stone", u"Weg", u"Haus"}, 2, 1, 1, {}},
    {"a repeated key pairs its occurrences in order, not by text", DatLayout::SixByteKey,
     {{k1, u"Yes", u"Ja"}, {k1, u"No", u"Nein"}, {k1, u"Maybe", u"Vielleicht"}, {k2, u"Tree", u"Baum"}},
     {{k1, u"No"}, {k1, u"Yes"}, {k2, u"Tree"}, {k2, u"Tree"}}, {u"No", u"Yes", u"Baum", u"Tree"}, 1, 1, 1,
     {{0, u"Ja", kChanged}, {1, u"Nein", kChanged}}},
    {"a key that is another's beginning is not that key", DatLayout::CountedKey,
     {{"01 02", u"A", u"X"}, {"01 02 00", u"B", u"Y"}}, {{"01 02 00", u"B"}, {"01 02", u"A"}}, {u"Y", u"X"}, 2, 0, 0, {}},
    {"the marker layout holds no unit beyond a byte: those translations come back, the others stay",
     DatLayout::MarkerDelimited,
     {{m1, u"Sword", u"\u5263"}, {m2, u"Shield", u"Schild"}, {m3, u"Helm", u"\u5175"}, {m4, u"Bow", u"Bogen"}},
     {{m1, u"Sword"}, {m2, u"Shield"}, {m3, u"Helm"}, {m4, u"Bow"}}, {u"Sword", u"Schild", u"Helm", u"Bogen"}, 2, 0, 0,
     {{0, u"\u5263", kCannotHold}, {2, u"\u5175", kCannotHold}}},
    {"layout 1: a one-unit translation before a record whose first word is zero would swallow it",
     DatLayout::DwordRunKey, {{w1, u"Yes", u"J"}, {w0, u"No", u"Nein"}}, {{w1, u"Yes"}, {w0, u"No"}},
     {u"Yes", u"Nein"}, 1, 0, 0, {{0, u"J", kCannotHold}}},
    {"layout 1: an empty translation after a one-unit original takes it back, not the original before it",
     DatLayout::DwordRunKey, {{w1, u"Yes", u"Ja"}, {"", u"A", u"A"}, {"", u"Go on", u""}, {w1, u"Yes", u"Ja"}},
     {{w1, u"Yes"}, {"", u"A"}, {"", u"Go on"}, {w1, u"Yes"}}, {u"Ja", u"A", u"Go on", u"Ja"}, 2, 0, 0,
     {{2, u"", kCannotHold}}},
};

TEST(CarryTranslations, MatchesByKeyAndKeepsOnlyWhatTheNewTableCanHold) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TextTable fresh, translated, original;
    fresh.layout = c.newLayout;
    fresh.header = c.newLayout == DatLayout::MarkerDelimited ? 0x136u : 0x1234u;
    for (const auto& [key, text] : c.fresh) fresh.append(test::hex(key), text);
    ASSERT_EQ(firstEntryLayoutCannotHold(fresh), -1) << "the case's new table itself must read back";
    for (const auto& [key, originalText, current] : c.old) {
      translated.append(test::hex(key), current);
      original.append(test::hex(key), originalText);
    }
    const CarriedTable carried = carryTranslations(translated, original, fresh);
    std::vector<std::u16string> texts;
    for (int i = 0; i < carried.table.count(); ++i) texts.emplace_back(carried.table.text(i));
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(std::tie(carried.kept, carried.added, carried.removed, carried.cannotBeWritten),
              std::make_tuple(c.kept, c.added, c.removed, false));
    std::vector<Returned> returned;
    for (const ReturnedEntry& got : carried.returned) {
      returned.emplace_back(got.entry, got.translation, got.why);
      EXPECT_EQ(test::toHex(got.key), test::toHex(test::hex(c.fresh[static_cast<std::size_t>(got.entry)].first)));
    }
    EXPECT_EQ(returned, c.returned);
  }
}

// A six-byte-key table: "01 00 00 00 03 00"-style keys with the given first byte.
Bytes table(std::initializer_list<std::pair<std::uint8_t, std::u16string>> entries) {
  Bytes bytes = hex("0a 00 00 00");
  for (const auto& [key, text] : entries) {
    bytes = test::cat({bytes, {key, 0, 0, 0, 3, 0, static_cast<std::uint8_t>(text.size()), 0, 0, 0}, test::utf16le(text)});
  }
  return bytes;
}

const std::string kA = "1000-2000_0_0.dat", kB = "1000-2001_0_0.dat", kC = "1000-2002_0_0.dat";
const Bytes kOldA = table({{1, u"Haus"}, {2, u"Baum"}, {3, u"Path"}});
const Bytes kOldBaselineA = table({{1, u"House"}, {2, u"Tree"}, {3, u"Path"}});
const Bytes kNewA = table({{1, u"House"}, {2, u"Big tree"}, {4, u"Stone"}});
const Bytes kNewC = table({{1, u"Fresh"}});
const FileTree kEdition = {{kA, kOldA}, {kA + ".org", kOldBaselineA}, {kB, table({{1, u"Ja"}})}, {kB + ".org", table({{1, u"Yes"}})}};

// The report of each run and the edition's files afterwards: with --write
// alone the tables and baselines change, and the old ones go into a restore
// point; a refused update leaves every file as it was.
TEST(CliUpdate, ReportsEachTableWritesOnlyWithWriteAndRefusesLeavingTheEditionAsItWas) {
  test::TempDir root;
  const test::SearchPathScope packerOnPath(test::packerDirectory());
  const fs::path editionPath = root.path() / "Shadow Wars";
  const std::u16string edition = root.file(u"Shadow Wars"), archive = root.file(u"patch 1.4.cff");
  auto lay = [&](const FileTree& files, const FileTree& tables) {
    fs::remove_all(editionPath);
    test::layTree(editionPath, files);
    test::TempDir source;
    test::layTree(source.path(), tables);
    cratework::Output output;
    ASSERT_EQ(cratework::packDirectory(source.pathText(), archive, output), cratework::kExitOk);
  };
  // The edition's files; a restore point's only when asked for.
  auto files = [&](bool withRestorePoints = true) {
    FileTree tree = test::treeOf(editionPath);
    if (!withRestorePoints) std::erase_if(tree, [](const auto& item) { return item.first.starts_with("backup"); });
    return tree;
  };
  auto run = [](std::vector<std::u16string> args, cli::CliOutput& output) {
    args.insert(args.begin(), u"update");
    return cli::runCli(args, output);
  };
  const FileTree fresh = {{kA, kNewA}, {kC, kNewC}};
  lay(kEdition, fresh);
  const FileTree before = files();
  cli::CliOutput dry, output, again;
  EXPECT_EQ(run({edition, archive}, dry), 1);
  EXPECT_EQ(dry.out,
            "1000-2000_0_0.dat: 1 kept, 1 came back untranslated, 1 new, 1 removed\n"
            "  entry 2, key 020000000300: \"Baum\"\n"
            "1000-2001_0_0.dat: not in the new archive; its files are left as they are\n"
            "1000-2002_0_0.dat: new table of 1 entry; it becomes table and baseline\n"
            "total: 1 kept, 1 came back untranslated, 2 new, 1 removed\n"
            "nothing written: --write replaces the tables and baselines\n");
  EXPECT_EQ(dry.err, "verbarium-cli: 1 translation came back untranslated (listed above)\n");
  EXPECT_EQ(files(), before) << "no file changed and no scratch directory is left";
  EXPECT_EQ(run({edition, archive, u"--write"}, output), 1) << output.err;
  const std::string said = "replaced 4 files; the files they replaced are in restore point ";
  const std::size_t at = output.out.find(said);
  ASSERT_NE(at, std::string::npos) << output.out;
  const std::string point = "backup/" + output.out.substr(at + said.size(), 15) + "/";
  // A table the archive lacks is left alone.
  EXPECT_EQ(files(), (FileTree{{kA, table({{1, u"Haus"}, {2, u"Big tree"}, {4, u"Stone"}})}, {kA + ".org", kNewA},
                               {kB, kEdition.at(kB)}, {kB + ".org", kEdition.at(kB + ".org")}, {kC, kNewC},
                               {kC + ".org", kNewC}, {"backup/", {}}, {point, {}}, {point + kA, kOldA},
                               {point + kA + ".org", kOldBaselineA}}));
  // Once the baselines are the new archive's, the same update carries everything.
  EXPECT_EQ(run({edition, archive}, again), 0) << again.err;
  EXPECT_NE(again.out.find(kA + ": 1 kept, 0 came back untranslated, 0 new, 0 removed\n"), std::string::npos) << again.out;

  std::optional<FileLock> lock;
  const FileTree withBaseline = {{kA, kOldA}, {kA + ".org", kOldBaselineA}};
  const struct {
    const char* name;
    FileTree edition, archive;
    std::function<void()> arrange;
    const char* out;  // a line of the report, or nothing
    const char* err;
  } cases[] = {
      {"a table without a baseline", {{kA, kOldA}}, fresh, {},
       "1000-2000_0_0.dat: cannot be measured: no baseline (1000-2000_0_0.dat.org)\n",
       "verbarium-cli: 1 table cannot be updated (named above); nothing written\n"},
      {"a table of the archive in no known layout", withBaseline, {{kA, kNewA}, {kC, hex("0a 00")}}, {},
       "1000-2002_0_0.dat: in the new archive, the table is in no known table layout\n", "1 table cannot be updated"},
      {"a file that is no archive", withBaseline, fresh, [&] { test::writeFileBytes(archive, kNewA); }, nullptr,
       "cannot unpack the new archive: not an archive (no archive signature)"},
      {"an archive of no tables", withBaseline, fresh,
       [&] { test::writeFileBytes(archive, hex("12 dd 72 dd 01 00 00 00 00 00 00 00")); }, nullptr, "no tables in"},
      {"a table another program is writing", withBaseline, fresh,
       [&] { lock.emplace(FileLock::tryAcquire(edition + u"/1000-2000_0_0.dat")); }, nullptr,
       "is in use by another program; nothing written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lay(c.edition, c.archive);
    if (c.arrange) c.arrange();
    const FileTree unchanged = files();
    cli::CliOutput refused;
    EXPECT_EQ(run({edition, archive, u"--write"}, refused), 1);
    if (c.out) { EXPECT_NE(refused.out.find(c.out), std::string::npos) << refused.out; }
    EXPECT_NE(refused.err.find(c.err), std::string::npos) << refused.err;
    EXPECT_EQ(files(false), unchanged) << "only a restore point may have been added";
    lock.reset();
  }
  cli::CliOutput missing, usage;
  EXPECT_EQ(run({root.file(u"Dragon Storm"), archive}, missing), 1);
  EXPECT_NE(missing.err.find("no such directory"), std::string::npos);
  EXPECT_EQ(run({edition}, usage), 2);
  EXPECT_NE(usage.err.find("exit 0: every translation carried"), std::string::npos);
}

}  // namespace
}  // namespace verbarium
