#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/main_window_model.h"
#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "platform/utf.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/scripted_runner.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace main_window_messages;
using test::Bytes;
using test::hex;
using test::RecordedMessage;

const Bytes kTable = test::sixByteTable({u"ok"});

// A program folder with two edition directories and the real packer beside
// the program, current while the test runs; no settings file.
struct ProgramFolder {
  test::TempDir dir;
  test::SearchPathScope packerOnPath{test::packerDirectory()};
  std::optional<CurrentDirectoryScope> inside;

  ProgramFolder() {
    for (auto edition : {"Shadow Wars", "Dragon Storm"}) fs::create_directory(dir.path() / edition);
    const fs::path packerName(std::u16string{kPackerFileName});
    fs::copy_file(fs::path(test::packerDirectory()) / packerName, dir.path() / packerName);
    inside.emplace(programPath());
  }
  Path programPath() const { return dir.pathText(); }
  void write(const std::u16string& name, const Bytes& bytes) const { test::writeFileBytes(dir.file(name), bytes); }
};

// Each action says what it did, once its work has ended; Load and Import
// first keep the tables they may replace in a restore point; Cancel stops a
// packer run before it changes anything and a loop before its next table.
// {c} is the chosen file, {b} the restore points' folder, {0}-{2} the tables
// in the list's order: {0}'s exchange file has no byte order mark, {1}'s is
// sound, {2} has none.
TEST(MainWindowModel, EachActionKeepsWhatItReplacesStopsWhereCancelledAndSaysWhatItDid) {
  using M = MainWindowModel;
  using Files = test::FileTree;
  const Bytes packed = test::sixByteTable({u"pk"}), imported = test::sixByteTable({u"neu"});
  const Bytes exported = test::cat({hex("ff fe"), test::utf16le(u"ok\r\n")});
  const RecordedMessage loadQ{kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion};
  const RecordedMessage importQ{kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation};
  auto notice = [](std::u16string text) { return RecordedMessage{std::move(text), u"", mb::kOk}; };
  auto caution = [](std::u16string text) { return RecordedMessage{std::move(text), kCaution, mb::kOk | mb::kIconExclamation}; };
  auto error = [](std::u16string text) { return RecordedMessage{std::move(text), kError, mb::kIconHand}; };
  const std::u16string noMark = kExchangeFileWithoutMark;
  const RecordedMessage badMark = notice(noMark + u"\n{0}.txt");
  const RecordedMessage notImported = caution(std::u16string(kNotImported) + u"\n{0}: " + noMark);
  using Arrange = std::function<void(ProgramFolder&, MainWindowModel&)>;
  // A file where the folder of restore points belongs.
  const Arrange blocked = [](ProgramFolder& f, MainWindowModel&) { f.write(u"Shadow Wars/backup", hex("62")); };
  const struct {
    const char* label;
    void (M::*action)();
    const char16_t* chosen;
    std::deque<Answer> answers;
    Arrange arrange;
    std::optional<std::size_t> cancelAtStep;
    std::vector<RecordedMessage> said;
    Files changed;                    // the edition's files that differ afterwards
    std::vector<std::string> point;   // the tables in the restore point
    int steps;                        // tables shown; -1: no work run at all
  } cases[] = {
      {"load", &M::load, u"a.cff", {}, {}, {}, {loadQ, notice(std::u16string(kUnpacked) + u"\n{c}")},
       {{"{0}", packed}, {"{1}", packed}, {"{2}", packed}, {"1000-2000_1_4.dat", packed}}, {"{0}", "{1}", "{2}"}, 0},
      {"load answered No", &M::load, u"a.cff", {Answer::No}, {}, {}, {loadQ}, {}, {}, -1},
      {"load of a file that is no archive", &M::load, u"Shadow Wars/{0}", {}, {}, {},
       {loadQ, notice(kNotAnArchiveMessage)}, {}, {}, -1},
      {"load with no place for a restore point", &M::load, u"a.cff", {}, blocked, {},
       {loadQ, error(std::u16string(kRestorePointFailed) + u"\n{b}")}, {}, {}, 0},
      {"load, cancelled", &M::load, u"a.cff", {}, {}, 0, {loadQ, notice(kUnpackCancelled)}, {},
       {"{0}", "{1}", "{2}"}, 0},
      {"save", &M::save, u"out.cff", {}, {}, {}, {notice(std::u16string(kPacked) + u"\n{c}")}, {}, {}, 0},
      {"save, cancelled", &M::save, u"out.cff", {}, {}, 0, {notice(kPackCancelled)}, {}, {}, 0},
      {"save of an edition without its folder", &M::save, u"out.cff", {},
       [](ProgramFolder&, MainWindowModel& m) { m.selectEdition(2); }, {}, {error(kPackFailed)}, {}, {}, 0},
      {"import", &M::importTables, u"", {}, {}, {}, {importQ, badMark, notImported, notice(withDecimal(kImported, 1))},
       {{"{1}", imported}}, {"{0}", "{1}"}, 3},
      {"import with no place for a restore point", &M::importTables, u"", {}, blocked, {},
       {importQ, error(std::u16string(kRestorePointFailed) + u"\n{b}")}, {}, {}, 0},
      {"import, cancelled after the second table", &M::importTables, u"", {}, {}, 2,
       {importQ, badMark, notImported, notice(withDecimal(kImportCancelled, 1))}, {{"{1}", imported}}, {"{0}", "{1}"}, 2},
      // Each table left unchanged is named with its reason, and no count of none imported;
      // {1} holds a text its layout cannot.
      {"import names the tables it left unchanged", &M::importTables, u"", {},
       [](ProgramFolder& f, MainWindowModel& m) {
         const Path e = u"Shadow Wars/";
         f.write(e + m.tables()[0] + u".txt", test::cat({hex("ff fe"), test::utf16le(u"a\r\nb\r\n")}));
         f.write(e + m.tables()[1], test::cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), test::utf16le(u"Axe")}));
         f.write(e + m.tables()[1] + u".txt", test::cat({hex("ff fe"), test::utf16le(u"Ax\u0113\r\n")}));
         fs::create_directory(f.dir.path() / fs::path(e + m.tables()[2] + u".txt"));
       },
       {},
       {importQ, caution(std::u16string(kNotImported) + u"\n{0}: txtファイルの行数（2）がテキストの数（1）と違います"
                         u"\n{1}: 1番目のテキストはこのファイルの形式では保存できません\n{2}: txtファイルを読み込めません")},
       {}, {"{0}", "{1}", "{2}"}, 3},
      {"export", &M::exportTables, u"", {}, {}, {}, {},
       {{"{0}.txt", exported}, {"{1}.txt", exported}, {"{2}.txt", exported}}, {}, 3},
      // An empty table next to the translator's text file: the file must survive.
      {"export names the tables it could not write", &M::exportTables, u"", {},
       [](ProgramFolder& f, MainWindowModel& m) { f.write(u"Shadow Wars/" + m.tables()[2], {}); }, {},
       {caution(std::u16string(kNotExported) + u"\n{2}")}, {{"{0}.txt", exported}, {"{1}.txt", exported}}, {}, 3},
      {"export, cancelled after the first table", &M::exportTables, u"", {}, {}, 0,
       {notice(withDecimal(kExportCancelled, 1))}, {{"{0}.txt", exported}}, {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ProgramFolder folder;
    test::layTree(folder.dir.path(), {{"source/1000-2000_1_1.dat", packed}, {"source/1000-2000_1_2.dat", packed},
                                      {"source/1000-2000_1_3.dat", packed}, {"source/1000-2000_1_4.dat", packed},
                                      {"Shadow Wars/1000-2000_1_1.dat", kTable}, {"Shadow Wars/1000-2000_1_2.dat", kTable},
                                      {"Shadow Wars/1000-2000_1_3.dat", kTable}, {"Shadow Wars/1000-2000_1_1.dat.org", kTable},
                                      {"Shadow Wars/notes.dat", hex("6e")}});
    ASSERT_TRUE(PackArchive(folder.dir.file(u"a.cff"), folder.dir.file(u"source")));
    test::ScriptedInteraction person;
    test::ScriptedRunner runner;
    runner.cancelAtStep = c.cancelAtStep;
    runner.person = &person;
    MainWindowModel model(person, runner, folder.programPath());
    model.initialise();
    const std::vector<Path> tables = model.tables();
    ASSERT_EQ(tables.size(), 3u);
    // Past the last row and the last edition, nothing; with a packer and no settings the baseline setup opens first.
    model.selectEdition(static_cast<int>(kEditions.size()));
    EXPECT_EQ(std::tuple(model.selectedEdition(), model.tableForRow(2), model.tableForRow(3), model.firstRunOpensBaselineSetup()),
              std::tuple(0, tables[2], Path(), true));
    folder.write(u"Shadow Wars/" + tables[0] + u".txt", test::utf16le(u"neu\r\n"));
    folder.write(u"Shadow Wars/" + tables[1] + u".txt", test::cat({hex("ff fe"), test::utf16le(u"neu\r\n")}));
    if (c.arrange) c.arrange(folder, model);
    auto fill = [&](std::u16string text) {
      const std::pair<std::u16string, std::u16string> marks[] = {
          {u"{c}", folder.dir.file(c.chosen)}, {u"{b}", model.workDirectory() + u"\\backup"},
          {u"{0}", tables[0]}, {u"{1}", tables[1]}, {u"{2}", tables[2]}};
      for (const auto& [mark, value] : marks) {
        for (std::size_t at; (at = text.find(mark)) != std::u16string::npos;) text.replace(at, mark.size(), value);
      }
      return text;
    };
    auto filled = [&](const std::string& name) { return toUtf8(fill(fromUtf8(name))); };
    // The restore point's folder is named by the time: its files are listed as "point/<name>".
    auto edition = [&] {
      Files files;
      for (const auto& [name, bytes] : test::treeOf(folder.dir.path() / "Shadow Wars")) {
        const std::size_t slash = name.find('/', 7);
        if (!name.starts_with("backup/")) files[name] = bytes;
        else if (slash != std::string::npos && slash + 1 < name.size()) files["point/" + name.substr(slash + 1)] = bytes;
      }
      return files;
    };
    const Files before = edition();
    Files expected = before;
    for (const auto& [name, bytes] : c.changed) expected[filled(name)] = bytes;
    for (const auto& name : c.point) expected["point/" + filled(name)] = before.at(filled(name));

    person.answers = c.answers;
    person.chosenPaths = {fill(u"{c}")};
    (model.*c.action)();
    std::vector<RecordedMessage> said = c.said;
    for (auto& m : said) m.text = fill(m.text);
    EXPECT_EQ(person.messages, said);
    EXPECT_EQ(edition(), expected);
    EXPECT_EQ(fs::exists(folder.dir.path() / "out.cff"), std::string(c.label) == "save") << "only a save that ran to its end packs";
    // One run, or none; a busy step for the packer or the restore point, and a step per table.
    const std::size_t runs = c.steps >= 0, steps = c.steps < 0 ? 0 : c.steps + (c.action != &M::exportTables);
    EXPECT_EQ(std::pair(runner.runs, runner.steps), std::pair(runs, steps));
    EXPECT_FALSE(runner.personReachedDuringRun);
  }
}

}  // namespace
}  // namespace verbarium
