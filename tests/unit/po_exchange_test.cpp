#include <gtest/gtest.h>

#include <cstdlib>

#include "cli_app.h"
#include "formats/po_format.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

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
       "\xEF\xBB\xBF" + head + "#, c-format, fuzzy\r\nmsgid \"a\"\r\nmsgstr \"\\101\" \r\n\"\\x42\"\n#~ msgid \"old\"\n", PoReadFailure::None, 0},
      {"a character split between two strings", head + "msgid \"\xE3\x81\"\n\"\x82\"\nmsgstr \"\"\n", PoReadFailure::None, 0},
      {"another charset", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n", PoReadFailure::NotUtf8, 2},
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

int run(std::vector<std::u16string> args, cli::CliOutput& output) { return cli::runCli(args, output); }

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
  Bytes tableBytes() const { return readFileBytes(table); }
};

#ifndef _WIN32
// The real gettext programs: our files pass msgfmt's checks, msgcat
// --no-wrap leaves them as they are, and what plain msgcat wraps imports to
// the same tables.
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
  EXPECT_EQ(edition.tableBytes(), sixByteTable(kCurrents));
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
  for (const char* message : {"1_1.dat#0\"\nmsgid \"Hello\"\nmsgstr \"x\"", "1_1.dat#10\"\nmsgid \"Hello\"\nmsgstr \"x\"",
                              "2_2.dat#1\"\nmsgid \"Hello\"\nmsgstr \"x\"", "1_1.dat#1\"\nmsgid \"Hello\"\nmsgstr \"x\\0y\""}) {
    text += "\n#. key 010000000300\nmsgctxt \"1000-2000_" + std::string(message) + "\n";
  }
  writeFileBytes(po, Bytes(text.begin(), text.end()));

  EXPECT_EQ(run({u"po", u"import", edition.table, po, u"--dry-run"}, dry), 1);
  EXPECT_EQ(edition.tableBytes(), sixByteTable(kCurrents));
  EXPECT_NE(dry.out.find("would change 2 entries in 1 tables"), std::string::npos) << dry.out;
  EXPECT_EQ(run({u"po", u"import", edition.table, po}, applied), 1);
  std::vector<std::u16string> expected = kCurrents;
  expected[0] = kOriginals[0];
  expected[6] = u"同じ";
  EXPECT_EQ(edition.tableBytes(), sixByteTable(expected));
  for (const char* said : {"1000-2000_1_1.dat#2: the entry's key differs", "1000-2000_1_1.dat#8: the original text has changed"}) {
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

}  // namespace
}  // namespace verbarium
