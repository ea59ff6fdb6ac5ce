#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "cli_app.h"
#include "archive/restore_point.h"
#include "cratework_commands.h"
#include "formats/dat_format.h"
#include "formats/po_format.h"
#include "platform/directory.h"
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
      {u"{name} says", u"{nom} dit", {kTags}},
      {u"a\nb", u"c d", {kLineBreaks}},
      {u" a", u"b", {kWhiteSpace}},
      {u"a\u3000", u"b ", {kWhiteSpace}},
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


PoMessage message(std::u16string id, std::u16string str, std::u16string comment = u"key 0102") {
  return {true, u"t.dat#1", std::move(id), std::move(str), {std::move(comment)}};
}

// Each message as GNU gettext writes it unwrapped, and back.
TEST(PoFormat, WritesAsGettextDoesAndReadsBackEveryText) {
  const struct {
    std::u16string id, str;
    std::string written;
  } cases[] = {
      {u"Hello", u"やあ", "msgid \"Hello\"\nmsgstr \"やあ\"\n"},
      {u"a\nb", u"", "msgid \"\"\n\"a\\n\"\n\"b\"\nmsgstr \"\"\n"},
      {u"\n", u"x\n\n", "msgid \"\\n\"\nmsgstr \"\"\n\"x\\n\"\n\"\\n\"\n"},
      {u"q\"b\\\t\r\a\b\f\v", u"\x01\x7f\u07ff\u0800\u3000😀",
       "msgid \"q\\\"b\\\\\\t\\r\\a\\b\\f\\v\"\nmsgstr \"\x01\x7f\u07ff\u0800\u3000😀\"\n"},
  };
  for (const auto& c : cases) {
    std::string out;
    ASSERT_TRUE(appendPoMessage(out, message(c.id, c.str)));
    EXPECT_EQ(out, "\n#. key 0102\nmsgctxt \"t.dat#1\"\n" + c.written);
    const PoReadResult read = readPo(poHeader({{"Content-Type", "text/plain; charset=UTF-8"}}) + out);
    ASSERT_EQ(std::tuple(read.failure, read.messages.size()), std::tuple(PoReadFailure::None, 1u)) << out;
    const PoMessage& m = read.messages[0];
    EXPECT_EQ(std::tie(m.id, m.str, m.context, m.extractedComments),
              std::make_tuple(c.id, c.str, std::u16string(u"t.dat#1"), std::vector<std::u16string>{u"key 0102"}));
  }
  // A comment the reader would trim or split cannot be written; a lone surrogate has no UTF-8 form.
  for (const PoMessage& unwritable : {message(u"a\xD800", u""), message(u"a", u"b\xDC00"), message(u"a", u"", u"key 01 "),
                                      message(u"a", u"", u"key 01\n02")}) {
    std::string out = "unchanged";
    EXPECT_FALSE(appendPoMessage(out, unwritable));
    EXPECT_EQ(out, "unchanged");
  }
}

TEST(PoFormat, ReadsWhatOtherToolsWriteAndRefusesWhatItCannotTake) {
  const std::string head = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
  const struct {
    const char* name;
    std::string bytes;
    PoReadFailure failure;
    int line;
  } cases[] = {
      {"wrapped strings, octal and hex escapes, CR LF, obsolete and fuzzy",
       "\xEF\xBB\xBF" + head + "#, c-format, fuzzy\r\nmsgid \"a\"\r\nmsgstr \"\\101\" \r\n\"\\x42\"\n#~ msgid \"old\"\n",
       PoReadFailure::None, 0},
      {"a character split between two strings", head + "msgid \"\xE3\x81\"\n\"\x82\"\nmsgstr \"\"\n", PoReadFailure::None, 0},
      {"another charset",
       "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n", PoReadFailure::NotUtf8, 2},
      {"bytes that are not UTF-8", head + "msgid \"\xC0\xAF\"\nmsgstr \"\"\n", PoReadFailure::NotUtf8, 5},
      {"a lone quote", head + "msgid \"\nmsgstr \"\"\n", PoReadFailure::BadString, 4},
      {"a quote inside without its backslash", head + "msgid \"a\"b\"\nmsgstr \"\"\n", PoReadFailure::BadString, 4},
      {"an escape of the digit 8", head + "msgid \"\\8\"\nmsgstr \"\"\n", PoReadFailure::BadString, 4},
      {"an octal escape beyond a byte", head + "msgid \"\\777\"\nmsgstr \"\"\n", PoReadFailure::BadString, 4},
      {"a hex escape beyond a byte", head + "msgid \"\\x414\"\nmsgstr \"\"\n", PoReadFailure::BadString, 4},
      {"a character beyond U+10FFFF", head + "msgid \"\xF4\x90\x80\x80\"\nmsgstr \"\"\n", PoReadFailure::NotUtf8, 5},
      {"charset utf8 without its hyphen", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=utf8\\n\"\n",
       PoReadFailure::None, 0},
      {"msgstr first", head + "msgstr \"a\"\n", PoReadFailure::BadStructure, 4},
      {"no msgstr", head + "msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", PoReadFailure::BadStructure, 5},
      {"a message cut at its end", head + "msgctxt \"a\"\nmsgid \"b\"\n", PoReadFailure::BadStructure, 5},
      {"a stray string", "\"a\"\n", PoReadFailure::BadStructure, 1},
      {"plural forms", head + "msgid \"a\"\nmsgid_plural \"b\"\n", PoReadFailure::PluralForms, 5},
      {"plural translations", head + "msgid \"a\"\nmsgstr[0] \"b\"\n", PoReadFailure::PluralForms, 5},
      {"a second header", head + head, PoReadFailure::BadStructure, 6},
  };
  for (const auto& c : cases) {
    const PoReadResult read = readPo(c.bytes);
    EXPECT_EQ(std::tuple(read.failure, read.line), std::tuple(c.failure, c.line)) << c.name;
  }
  const PoMessage first = readPo(cases[0].bytes).messages.at(0);
  EXPECT_EQ(std::tie(first.fuzzy, first.str), std::make_tuple(true, std::u16string(u"AB")));
  EXPECT_EQ(readPo(cases[1].bytes).messages.at(0).id, u"あ");
}

// The tricky texts a table may hold, translated, and a table with its
// baseline in an edition directory.
const std::vector<std::u16string> kOriginals = {
    u"Hello", u"Line one\nLine two\n", u"\nLeading", u"Tab\there \"q\" back\\slash",
    u"A very long sentence that goes past the seventy-nine columns where msgcat wraps its lines, surely.",
    u"", u"same", u"x\u3000", u"😀"};
const std::vector<std::u16string> kCurrents = {
    u"こんにちは", u"一行目\n二行目\n", u"\n先頭", u"タブ\tここ \"q\" 逆\\斜線",
    u"とても長い文章で、msgcatが行を折り返す七十九桁を確実に超えるように書かれています。",
    u"空の原文に訳", u"same", u"x\u3000", u"絵😀"};

struct PoEdition {
  TempDir dir;
  Path table = dir.file(u"1000-2000_1_1.dat");
  PoEdition() {
    writeFileBytes(table, sixByteTable(kCurrents));
    writeFileBytes(table + u".org", sixByteTable(kOriginals));
  }
};

#ifndef _WIN32
// msgfmt passes our files, msgcat --no-wrap keeps them, and what msgcat wraps imports the same.
TEST(PoCommands, OurFilesAreGettextsOwnAndComeBackThroughItsTools) {
  PoEdition edition;
  const std::string po = "'" + toUtf8(edition.dir.file(u"out/1000-2000_1_1.dat.po")) + "'";
  cli::CliOutput exported, imported;
  ASSERT_EQ(run({u"po", u"export", edition.dir.path().u16string(), edition.dir.file(u"out")}, exported), 0) << exported.err;
  const std::string wrapped = po + ".w";
  EXPECT_EQ(std::system(("msgfmt --check-header --check-domain --check -o /dev/null " + po + " && msgcat --no-wrap " + po +
                         " | cmp -s - " + po + " && msgcat " + po + " >" + wrapped + " && ! cmp -s " + po + " " + wrapped +
                         " && mv " + wrapped + " " + po).c_str()),
            0);
  writeFileBytes(edition.table, sixByteTable(kOriginals));
  EXPECT_EQ(run({u"po", u"import", edition.dir.path().u16string(), edition.dir.file(u"out")}, imported), 0) << imported.err;
  EXPECT_EQ(readFileBytes(edition.table), sixByteTable(kCurrents));
}
#endif

TEST(PoCommands, ImportAppliesWhatStillFitsAndAMalformedFileChangesNothing) {
  PoEdition edition;
  const Path po = edition.dir.file(u"t.po");
  cli::CliOutput exported, dry, applied, malformed, usage;
  ASSERT_EQ(run({u"po", u"export", edition.table, po}, exported), 0) << exported.err;
  const Bytes exportedBytes = readFileBytes(po);
  std::string text(exportedBytes.begin(), exportedBytes.end());
  // Entry 7 translated, entry 1 given back its original, entry 2 with
  // another key, entry 9 fuzzy, entry 8 after its original changed.
  const std::pair<std::string, std::string> edits[] = {
      {"msgid \"same\"\nmsgstr \"\"", "msgid \"same\"\nmsgstr \"同じ\""}, {"msgstr \"こんにちは\"", "msgstr \"\""},
      {"#. key 020000000300", "#. key 990000000300"}, {"#. key 090000000300", "#. key 090000000300\n#, fuzzy"},
      {"msgid \"x\u3000\"", "msgid \"y\""}};
  for (const auto& [from, to] : edits) {
    ASSERT_NE(text.find(from), std::string::npos) << from;
    text.replace(text.find(from), from.size(), to);
  }
  // Messages that must change nothing: entries 0 and 10 of a table of 9, a
  // table not among those imported into, a text holding U+0000.
  const Bytes other = sixByteTable({u"Hello"});
  writeFileBytes(edition.dir.file(u"1000-2000_2_2.dat"), other);
  writeFileBytes(edition.dir.file(u"1000-2000_2_2.dat.org"), other);
  for (const auto& [context, str] : {std::pair{"1_1.dat#0", "x"}, {"1_1.dat#10", "x"}, {"2_2.dat#1", "x"},
                                     {"1_1.dat#1", "x\\0y"}}) {
    text += "\n#. key 010000000300\nmsgctxt \"1000-2000_" + std::string(context) + "\"\nmsgid \"Hello\"\nmsgstr \"" +
            str + "\"\n";
  }
  writeFileBytes(po, Bytes(text.begin(), text.end()));

  EXPECT_EQ(run({u"po", u"import", edition.table, po, u"--dry-run"}, dry), 1);
  EXPECT_EQ(readFileBytes(edition.table), sixByteTable(kCurrents));
  EXPECT_NE(dry.out.find("would change 2 entries in 1 tables"), std::string::npos) << dry.out;
  EXPECT_EQ(run({u"po", u"import", edition.table, po}, applied), 1);
  std::vector<std::u16string> expected = kCurrents;
  expected[0] = kOriginals[0];
  expected[6] = u"同じ";
  EXPECT_EQ(readFileBytes(edition.table), sixByteTable(expected));
  for (const char* said : {"1_1.dat#2: the entry's key differs", "1_1.dat#8: the original text has changed"}) {
    EXPECT_NE(applied.err.find(said), std::string::npos) << applied.err;
  }
  EXPECT_NE(applied.out.find("skipped 1 fuzzy messages"), std::string::npos);
  EXPECT_NE(applied.out.find("restore point"), std::string::npos);
  EXPECT_EQ(readFileBytes(edition.dir.file(u"1000-2000_2_2.dat")), other);

  // A second file that is malformed: nothing is written, from either file.
  const Bytes before = readFileBytes(edition.table);
  ASSERT_TRUE(createDirectory(edition.dir.file(u"in")));
  const std::string same = "msgstr \"同じ\"";
  text.replace(text.find(same), same.size(), "msgstr \"違う\"");
  writeFileBytes(edition.dir.file(u"in/a.po"), Bytes(text.begin(), text.end()));
  writeFileBytes(edition.dir.file(u"in/b.po"), hex("6d 73 67 69 64 20 22 c0 22"));  // msgid "\xC0"
  EXPECT_EQ(run({u"po", u"import", edition.dir.path().u16string(), edition.dir.file(u"in")}, malformed), 1);
  EXPECT_EQ(readFileBytes(edition.table), before);
  EXPECT_NE(malformed.err.find("b.po:1: not UTF-8 text"), std::string::npos) << malformed.err;
  EXPECT_EQ(run({u"po", u"import", edition.table}, usage), 2);
}



// Each command and form once: the exit code and what it prints.
TEST(CliStatusAndCheck, CountAndListFindingsOfEachTableAndNameTheOthersWithTheirReason) {
  TempDir edition;
  // Two measured tables, one without its baseline, one whose baseline has another entry count.
  layTree(edition.path(), {{"1000-2000_1_1.dat", sixByteTable({u"やあ", u"Bye", u"%d枚"})},
                           {"1000-2000_1_1.dat.org", sixByteTable({u"Hi", u"Bye", u"%d coins"})},
                           {"1001-2000_1_1.dat", sixByteTable({u"a"})}, {"1001-2000_1_1.dat.org", sixByteTable({u"b"})},
                           {"1002-2000_1_1.dat", sixByteTable({u"x"})}, {"1003-2000_1_1.dat", sixByteTable({u"x", u"y"})},
                           {"1003-2000_1_1.dat.org", sixByteTable({u"x"})}, {"notes.dat", {}}});
  const std::u16string all = edition.path().u16string(), one = edition.file(u"1001-2000_1_1.dat");
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
      {{u"status", edition.file(u"none")}, 1, ""},
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

// What killed runs of the same kind left goes; a running one's, and other kinds', stay.
TEST(ScratchDirectory, RemovesWhatKilledRunsOfItsKindLeft) {
  const std::string gone = "update.~99999996-1.tmp";  // no process has this id
  const std::string running = "update.~" + std::to_string(currentProcessId()) + "-1.tmp", other = "po.~99999996-1.tmp";
  TempDir dir;
  layTree(dir.path(), {{gone + "/t.dat", hex("01")}, {running + "/t.dat", hex("02")}, {other + "/t.dat", hex("03")}});
  {
    const ScratchDirectory scratch(dir.pathText(), u"update");
    ASSERT_TRUE(scratch.made());
    EXPECT_EQ(listDirectories(dir.pathText()).size(), 3u) << "its own beside the two kept";
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
constexpr const char *k1 = "01 00 00 00 03 00", *k2 = "02 00 00 00 03 00", *k3 = "03 00 00 00 03 00",
                     *k4 = "04 00 00 00 03 00";
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

const std::string kA = "1000-2000_0_0.dat", kB = "1000-2001_0_0.dat", kC = "1000-2002_0_0.dat";
const Bytes kOldA = sixByteTable({u"Haus", u"Baum", u"Path"}), kOldBaselineA = sixByteTable({u"House", u"Tree", u"Path"});
const Bytes kNewA = sixByteTable({u"House", u"Big tree", u"Path", u"Stone"}), kNewC = sixByteTable({u"Fresh"});
const FileTree kEdition = {{kA, kOldA}, {kA + ".org", kOldBaselineA}, {kB, sixByteTable({u"Ja"})},
                           {kB + ".org", sixByteTable({u"Yes"})}};

// Only --write changes tables and baselines, the old ones kept in a restore
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
  auto files = [&](bool withRestorePoints = true) {
    return withRestorePoints ? treeOf(editionPath) : restorePointsByName(treeOf(editionPath), false);
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
            "1000-2000_0_0.dat: 1 kept, 1 came back untranslated, 1 new, 0 removed\n"
            "  entry 2, key 020000000300: \"Baum\"\n"
            "1000-2001_0_0.dat: not in the new archive; its files are left as they are\n"
            "1000-2002_0_0.dat: new table of 1 entry; it becomes table and baseline\n"
            "total: 1 kept, 1 came back untranslated, 2 new, 0 removed\n"
            "nothing written: --write replaces the tables and baselines\n");
  EXPECT_EQ(dry.err, "verbarium-cli: 1 translation came back untranslated (listed above)\n");
  EXPECT_EQ(files(), before) << "no file changed and no scratch directory is left";
  EXPECT_EQ(run({edition, archive, u"--write"}, output), 1) << output.err;
  const std::string said = "replaced 4 files; the files they replaced are in restore point ";
  const std::size_t at = output.out.find(said);
  ASSERT_NE(at, std::string::npos) << output.out;
  const std::string point = "backup/" + output.out.substr(at + said.size(), 15) + "/";
  EXPECT_EQ(files(), (FileTree{{kA, sixByteTable({u"Haus", u"Big tree", u"Path", u"Stone"})}, {kA + ".org", kNewA},
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
