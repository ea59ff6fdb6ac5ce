#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "app/main_window_model.h"
#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "formats/exchange_table.h"
#include "platform/directory.h"
#include "platform/utf.h"
#include "platform/environment.h"
#include "support/packer_on_path.h"
#include "support/scripted_interaction.h"
#include "support/scripted_runner.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace main_window_messages;

const test::Bytes kTable = test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), test::utf16le(u"ok")});

// A program folder with its edition directories, current while the test runs.
struct ProgramFolder {
  test::TempDir dir;
  test::SearchPathScope packerOnPath{test::packerDirectory()};
  std::optional<CurrentDirectoryScope> inside;

  explicit ProgramFolder(bool packerPresent = true) {
    for (auto edition : {"Shadow Wars", "Dragon Storm"}) fs::create_directory(dir.path() / edition);
    // The real packer: the one in the program directory is the one that runs.
    if (packerPresent) {
      fs::copy_file(fs::path(test::packerDirectory()) / fs::path(std::u16string(kPackerFileName)),
                    dir.path() / fs::path(std::u16string(kPackerFileName)));
    }
    inside.emplace(programPath());
  }
  Path programPath() const { return dir.file(u"").substr(0, dir.file(u"").size() - 1); }
  void addTable(const char* edition, const char* name) const {
    test::writeFileBytes(dir.file(Path(edition, edition + std::strlen(edition)) + u"/" +
                                  Path(name, name + std::strlen(name))),
                         kTable);
  }
};

TEST(MainWindowModel, ListsTableFilesOnlyAndAPlaceholderOtherwise) {
  ProgramFolder folder;
  folder.addTable("Shadow Wars", "1000-2000_1_1.dat");
  folder.addTable("Shadow Wars", "1000-2000_1_2.dat.org");
  folder.addTable("Shadow Wars", "10a0-2000_1_1.dat");
  folder.addTable("Shadow Wars", "notes.dat");
  test::ScriptedInteraction person;
  test::ScriptedRunner runner;
  MainWindowModel model(person, runner, folder.programPath());
  model.initialise();
  EXPECT_TRUE(person.messages.empty());
  EXPECT_EQ(model.listRows(), (std::vector<std::u16string>{u"1000-2000_1_1.dat"}));
  EXPECT_EQ(model.tableForRow(0), u"1000-2000_1_1.dat");
  EXPECT_EQ(model.tableForRow(-1), u"");
  EXPECT_EQ(model.tableForRow(1), u"");

  model.selectEdition(1);  // empty edition directory
  EXPECT_EQ(model.listRows(), (std::vector<std::u16string>{kNoTablesRow}));
  EXPECT_EQ(model.tableForRow(0), u"");
  model.selectEdition(2);  // no directory at all: the same, and no message
  EXPECT_EQ(model.listRows(), (std::vector<std::u16string>{kNoTablesRow}));
  EXPECT_TRUE(person.messages.empty());
  model.selectEdition(0);
  EXPECT_EQ(model.listRows().size(), 1u);
  model.selectEdition(static_cast<int>(kEditions.size()));  // past the last edition: nothing changes
  EXPECT_EQ(model.selectedEdition(), 0);
  EXPECT_EQ(model.listRows().size(), 1u);
}

TEST(MainWindowModel, ControlsFollowThePackerAndTheTables) {
  struct Case {
    bool packer, tables;
    MainWindowControls expected;
  };
  const Case cases[] = {
      {true, true, {true, true, true, false}},
      {true, false, {false, true, false, false}},
      {false, true, {true, false, true, true}},
      {false, false, {false, false, false, true}},
  };
  for (const Case& c : cases) {
    ProgramFolder folder(c.packer);
    if (c.tables) folder.addTable("Shadow Wars", "1000-2000_1_1.dat");
    test::ScriptedInteraction person;
    test::ScriptedRunner runner;
    MainWindowModel model(person, runner, folder.programPath());
    model.initialise();
    MainWindowControls controls = model.controls();
    EXPECT_EQ(controls.tableList, c.expected.tableList);
    EXPECT_EQ(controls.loadAndInitialSettings, c.expected.loadAndInitialSettings);
    EXPECT_EQ(controls.saveImportExport, c.expected.saveImportExport);
    EXPECT_EQ(controls.packerMissingLabel, c.expected.packerMissingLabel);
    std::vector<test::RecordedMessage> caution;
    if (!c.packer) caution.push_back({kPackerMissing, kCaution, mb::kIconExclamation});
    EXPECT_EQ(person.messages, caution);
  }
}

TEST(MainWindowModel, SaveThenLoadGoThroughThePackerAndRefreshTheList) {
  ProgramFolder folder;
  folder.addTable("Shadow Wars", "1000-2000_1_1.dat");
  folder.addTable("Shadow Wars", "1000-2000_1_2.dat");
  test::ScriptedInteraction person;
  test::ScriptedRunner runner;
  MainWindowModel model(person, runner, folder.programPath());
  model.initialise();
  const Path archive = folder.dir.file(u"saved edition.cff");

  person.chosenPaths = {u""};
  model.save();  // cancelled: nothing said
  person.chosenPaths = {archive};
  model.save();
  // A run that went well ends with a notice of what it did.
  EXPECT_EQ(person.messages, (std::vector<test::RecordedMessage>{{std::u16string(kPacked) + u"\n" + archive, u"", mb::kOk}}));
  ASSERT_TRUE(fs::exists(folder.dir.path() / "saved edition.cff"));

  model.selectEdition(1);
  person.answers = {Answer::No};
  model.load();
  EXPECT_EQ(person.prompts.size(), 2u) << "No: no file prompt";
  person.chosenPaths = {archive};
  model.load();
  EXPECT_EQ(model.listRows(), (std::vector<std::u16string>{u"1000-2000_1_1.dat", u"1000-2000_1_2.dat"}));
  ASSERT_EQ(person.messages.size(), 4u);
  EXPECT_EQ(person.messages[2], (test::RecordedMessage{kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion}));
  EXPECT_EQ(person.messages[3], (test::RecordedMessage{std::u16string(kUnpacked) + u"\n" + archive, u"", mb::kOk}));
  EXPECT_EQ(test::readFileBytes(folder.dir.file(u"Dragon Storm/1000-2000_1_2.dat")), kTable);
}

TEST(MainWindowModel, FailuresAreReportedAndTouchNothingElse) {
  ProgramFolder folder;
  folder.addTable("Shadow Wars", "1000-2000_1_1.dat");
  test::ScriptedInteraction person;
  test::ScriptedRunner runner;
  MainWindowModel model(person, runner, folder.programPath());
  model.initialise();
  test::writeFileBytes(folder.dir.file(u"not an archive.cff"), test::hex("00 01 02 03 04"));
  person.chosenPaths = {folder.dir.file(u"not an archive.cff")};
  model.load();
  ASSERT_EQ(person.messages.size(), 2u);
  // Said for what it is, not as an unpack that failed for one of three causes.
  EXPECT_EQ(person.messages[1], (test::RecordedMessage{kNotAnArchiveMessage, u"", mb::kOk}));

  // Saving an edition whose directory is missing fails; nothing is packed
  // from anywhere else.
  model.selectEdition(2);
  person.chosenPaths = {folder.dir.file(u"out.cff")};
  model.save();
  EXPECT_EQ(person.messages.back(), (test::RecordedMessage{kPackFailed, kError, mb::kIconHand}));
  EXPECT_FALSE(fs::exists(folder.dir.path() / "out.cff"));

  // An import that finds no exchange file changes nothing and says no more.
  person.messages.clear();
  person.answers = {Answer::Yes};
  model.importTables();
  EXPECT_EQ(person.messages,
            (std::vector<test::RecordedMessage>{{kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation}}));

  // Without a packer to start, Save fails the same way.
  model.selectEdition(0);
  const std::u16string path = searchPath();
  setSearchPath(folder.dir.file(u"nowhere"));
  fs::remove(folder.dir.path() / fs::path(std::u16string(kPackerFileName)));
  person.chosenPaths = {folder.dir.file(u"out.cff")};
  person.messages.clear();
  model.save();
  setSearchPath(path);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages.back().text, kPackFailed);
  EXPECT_FALSE(fs::exists(folder.dir.path() / "out.cff"));
}

TEST(MainWindowModel, ImportNamesTheTablesItLeftUnchanged) {
  ProgramFolder folder;
  const char* names[] = {"1000-2000_1_1.dat", "1000-2000_1_2.dat", "1000-2000_1_3.dat", "1000-2000_1_4.dat",
                         "1000-2000_1_5.dat", "1000-2000_1_6.dat"};
  for (const char* name : names) folder.addTable("Shadow Wars", name);
  auto edition = [&](const char16_t* name) { return folder.dir.file(u"Shadow Wars/") + name; };
  const test::Bytes bom = test::hex("ff fe");
  test::writeFileBytes(edition(u"1000-2000_1_1.dat.txt"), test::cat({bom, test::utf16le(u"neu\r\n")}));
  // 1_2 has no exchange file: not part of the import, not named.
  test::writeFileBytes(edition(u"1000-2000_1_3.dat.txt"), test::utf16le(u"neu\r\n"));
  test::writeFileBytes(edition(u"1000-2000_1_4.dat.txt"), test::cat({bom, test::utf16le(u"a\r\nb\r\n")}));
  // 1_5's exchange file is there but cannot be read: named, as a locked one would be.
  fs::create_directory(folder.dir.path() / "Shadow Wars" / "1000-2000_1_5.dat.txt");
  // 1_6 is in layout 5, which holds no unit above 0x00FF.
  const test::Bytes markerTable =
      test::cat({test::hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), test::utf16le(u"Axe")});
  test::writeFileBytes(edition(u"1000-2000_1_6.dat"), markerTable);
  test::writeFileBytes(edition(u"1000-2000_1_6.dat.txt"), test::cat({bom, test::utf16le(u"Ax\u0113\r\n")}));
  test::ScriptedInteraction person;
  test::ScriptedRunner runner;
  MainWindowModel model(person, runner, folder.programPath());
  model.initialise();

  person.answers = {Answer::No};
  model.importTables();
  EXPECT_EQ(test::readFileBytes(edition(u"1000-2000_1_1.dat")), kTable) << "No changes nothing";

  model.importTables();
  const test::Bytes imported =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), test::utf16le(u"neu")});
  EXPECT_EQ(test::readFileBytes(edition(u"1000-2000_1_1.dat")), imported);
  for (const char16_t* untouched : {u"1000-2000_1_2.dat", u"1000-2000_1_3.dat", u"1000-2000_1_4.dat", u"1000-2000_1_5.dat"}) {
    EXPECT_EQ(test::readFileBytes(edition(untouched)), kTable);
  }
  EXPECT_EQ(test::readFileBytes(edition(u"1000-2000_1_6.dat")), markerTable);
  ASSERT_EQ(person.messages.size(), 5u);
  EXPECT_EQ(person.messages[1], (test::RecordedMessage{kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation}));
  EXPECT_EQ(person.messages[2].text, u"txtファイルが異常です(no BOM)\n1000-2000_1_3.dat.txt");
  // In the list's order, which is the directory's, each with its reason.
  const std::map<Path, std::u16string> reasons = {
      {u"1000-2000_1_3.dat", u"txtファイルが異常です(no BOM)"},
      {u"1000-2000_1_4.dat", u"txtファイルの行数（2）がテキストの数（1）と違います"},
      {u"1000-2000_1_5.dat", u"txtファイルを読み込めません"},
      {u"1000-2000_1_6.dat", u"1番目のテキストはこのファイルの形式では保存できません"}};
  std::u16string named = kNotImported;
  for (const Path& table : model.tables()) {
    if (reasons.contains(table)) named += u"\n" + table + u": " + reasons.at(table);
  }
  EXPECT_EQ(person.messages[3], (test::RecordedMessage{named, kCaution, mb::kOk | mb::kIconExclamation}));
  EXPECT_EQ(person.messages[4], (test::RecordedMessage{u"1個のファイルをインポートしました。", u"", mb::kOk}));
}

TEST(MainWindowModel, ExportWritesEveryReadableTableAndNamesTheOthers) {
  ProgramFolder folder;
  folder.addTable("Shadow Wars", "1000-2000_1_1.dat");
  folder.addTable("Shadow Wars", "1000-2000_1_2.dat");
  test::writeFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_2.dat.txt"), test::hex("ff fe 41 00"));
  // An empty table next to the translator's text file: the file must survive.
  test::writeFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_3.dat"), {});
  test::writeFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_3.dat.txt"), test::hex("ff fe 42 00"));
  test::ScriptedInteraction person;
  test::ScriptedRunner runner;
  MainWindowModel model(person, runner, folder.programPath());
  model.initialise();
  model.exportTables();
  const test::Bytes expected = test::cat({test::hex("ff fe"), test::utf16le(u"ok\r\n")});
  EXPECT_EQ(test::readFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_1.dat.txt")), expected);
  EXPECT_EQ(test::readFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_2.dat.txt")), expected);
  EXPECT_EQ(test::readFileBytes(folder.dir.file(u"Shadow Wars/1000-2000_1_3.dat.txt")), test::hex("ff fe 42 00"));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0], (test::RecordedMessage{std::u16string(kNotExported) + u"\n1000-2000_1_3.dat", kCaution,
                                                        mb::kOk | mb::kIconExclamation}));
}

// The files in the edition's one restore point; nothing when there is none.
std::map<std::u16string, test::Bytes> restorePoint(const ProgramFolder& folder, const char* edition) {
  std::map<std::u16string, test::Bytes> files;
  const fs::path backup = folder.dir.path() / edition / "backup";
  if (!fs::is_directory(backup)) return files;
  for (const auto& point : fs::directory_iterator(backup)) {
    for (const auto& file : fs::directory_iterator(point.path())) {
      files[file.path().filename().u16string()] = test::readFileBytes(file.path().u16string());
    }
  }
  return files;
}

TEST(MainWindowModel, LoadAndImportFirstKeepWhatTheyReplace) {
  using Files = std::map<std::u16string, test::Bytes>;
  const test::Bytes work =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  04 00 00 00"), test::utf16le(u"work")});
  const test::Bytes packed =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), test::utf16le(u"pk")});
  const test::Bytes imported =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), test::utf16le(u"neu")});
  const test::Bytes exchange = test::cat({test::hex("ff fe"), test::utf16le(u"neu\r\n")});
  const Files edition = {{u"1000-2000_1_1.dat", work},
                         {u"1000-2000_1_1.dat.txt", exchange},
                         {u"1000-2000_1_1.dat.org", kTable},
                         {u"1000-2000_1_2.dat", kTable},
                         {u"notes.dat", test::hex("6e")}};
  enum class Action { Load, LoadNotAnArchive, Import };
  const struct {
    const char* label;
    Action action;
    bool blocked;  // a file where the folder of restore points belongs
    Files point;
    Files changed;  // the edition's files afterwards, where they differ
  } cases[] = {
      {"load", Action::Load, false, {{u"1000-2000_1_1.dat", work}, {u"1000-2000_1_2.dat", kTable}},
       {{u"1000-2000_1_1.dat", packed}, {u"1000-2000_1_3.dat", packed}}},
      {"load, no point possible", Action::Load, true, {}, {}},
      {"load of a file that is no archive", Action::LoadNotAnArchive, false, {}, {}},
      {"import", Action::Import, false, {{u"1000-2000_1_1.dat", work}}, {{u"1000-2000_1_1.dat", imported}}},
      {"import, no point possible", Action::Import, true, {}, {}},
  };
  for (const auto& c : cases) {
    ProgramFolder folder;
    fs::create_directory(folder.dir.path() / "source");
    for (const char16_t* name : {u"1000-2000_1_1.dat", u"1000-2000_1_3.dat"}) {
      test::writeFileBytes(folder.dir.file(u"source/") + name, packed);
    }
    ASSERT_TRUE(PackArchive(folder.dir.file(u"a.cff"), folder.dir.file(u"source")));
    for (const auto& [name, bytes] : edition) test::writeFileBytes(folder.dir.file(u"Shadow Wars/") + name, bytes);
    if (c.blocked) test::writeFileBytes(folder.dir.file(u"Shadow Wars/backup"), test::hex("62"));
    test::ScriptedInteraction person;
    test::ScriptedRunner runner;
    runner.person = &person;
    MainWindowModel model(person, runner, folder.programPath());
    model.initialise();

    std::vector<test::RecordedMessage> expected;
    if (c.action == Action::Import) {
      model.importTables();
      expected.push_back({kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation});
    } else {
      person.chosenPaths = {folder.dir.file(c.action == Action::Load ? u"a.cff" : u"source/1000-2000_1_1.dat")};
      model.load();
      expected.push_back({kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion});
      if (c.action == Action::LoadNotAnArchive) expected.push_back({kNotAnArchiveMessage, u"", mb::kOk});
    }
    if (c.blocked) {
      expected.push_back({std::u16string(kRestorePointFailed) + u"\n" + model.workDirectory() + u"\\backup", kError,
                          mb::kIconHand});
    } else if (c.action == Action::Load) {
      expected.push_back({std::u16string(kUnpacked) + u"\n" + folder.dir.file(u"a.cff"), u"", mb::kOk});
    } else if (c.action == Action::Import) {
      expected.push_back({u"1個のファイルをインポートしました。", u"", mb::kOk});
    }
    EXPECT_FALSE(runner.personReachedDuringRun) << c.label;
    EXPECT_EQ(person.messages, expected) << c.label;
    EXPECT_EQ(restorePoint(folder, "Shadow Wars"), c.point) << c.label;
    Files after = edition;
    for (const auto& [name, bytes] : c.changed) after[name] = bytes;
    if (c.blocked) after[u"backup"] = test::hex("62");
    Files found;
    for (const auto& file : fs::directory_iterator(folder.dir.path() / "Shadow Wars")) {
      if (!file.is_regular_file()) continue;
      found[file.path().filename().u16string()] = test::readFileBytes(file.path().u16string());
    }
    EXPECT_EQ(found, after) << c.label;
  }
}

// Cancel stops a packer run before it changes anything and a loop before its
// next table, and the run ends with a notice of what it did, after what it
// says today. The work reports what it does as it goes.
TEST(MainWindowModel, CancelStopsWhereItHarmsNothingAndSaysWhatWasDone) {
  enum class Action { Load, Save, Import, Export };
  const test::Bytes packed =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), test::utf16le(u"pk")});
  const test::Bytes imported =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), test::utf16le(u"neu")});
  const test::Bytes exchange = test::cat({test::hex("ff fe"), test::utf16le(u"neu\r\n")});
  const test::Bytes noMark = test::utf16le(u"neu\r\n");
  const test::Bytes exported = test::cat({test::hex("ff fe"), test::utf16le(u"ok\r\n")});
  const struct {
    const char* label;
    Action action;
    std::optional<std::size_t> cancelAtStep;
    int stepsSeen;        // of the tables, in the list's order; -1: the packer's one step alone
    int tablesChanged;    // the first so many tables (or .txt files) are new, the rest as they were
    const char16_t* end;  // the last message, %d the count
  } cases[] = {
      {"load, cancelled", Action::Load, 0, -1, 0, kUnpackCancelled},
      {"save, cancelled", Action::Save, 0, -1, 0, kPackCancelled},
      {"import, cancelled after the second table", Action::Import, 2, 2, 2, kImportCancelled},
      {"import, cancelled at the last table: all done", Action::Import, 3, 3, 3, kImported},
      {"export, cancelled after the first table", Action::Export, 0, 1, 1, kExportCancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ProgramFolder folder;
    fs::create_directory(folder.dir.path() / "source");
    for (const char* name : {"1000-2000_1_1.dat", "1000-2000_1_2.dat", "1000-2000_1_3.dat"}) {
      folder.addTable("Shadow Wars", name);
      test::writeFileBytes(folder.dir.file(u"source/") + fs::path(name).u16string(), packed);
    }
    ASSERT_TRUE(PackArchive(folder.dir.file(u"a.cff"), folder.dir.file(u"source")));
    test::ScriptedInteraction person;
    test::ScriptedRunner runner;
    runner.cancelAtStep = c.cancelAtStep;
    runner.person = &person;
    MainWindowModel model(person, runner, folder.programPath());
    model.initialise();
    const std::vector<Path> tables = model.tables();
    ASSERT_EQ(tables.size(), 3u);
    const Path edition = folder.dir.file(u"Shadow Wars/");
    // The first table's exchange file has no byte order mark.
    for (std::size_t i = 0; i < 3; ++i) {
      test::writeFileBytes(edition + exchangeFilePath(tables[i]), i == 0 ? noMark : exchange);
    }

    std::vector<test::RecordedMessage> expected;
    std::u16string title;
    const test::Bytes* changed = &packed;
    switch (c.action) {
      case Action::Load:
        person.chosenPaths = {folder.dir.file(u"a.cff")};
        model.load();
        expected.push_back({kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion});
        title = kLoadTitle;
        break;
      case Action::Save:
        person.chosenPaths = {folder.dir.file(u"out.cff")};
        model.save();
        title = kSaveTitle;
        break;
      case Action::Import:
        model.importTables();
        expected.push_back({kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation});
        expected.push_back({u"txtファイルが異常です(no BOM)\n" + exchangeFilePath(tables[0]), u"", mb::kOk});
        expected.push_back({std::u16string(kNotImported) + u"\n" + tables[0] + u": txtファイルが異常です(no BOM)",
                            kCaution, mb::kOk | mb::kIconExclamation});
        title = kImportTitle;
        changed = &imported;
        break;
      case Action::Export:
        model.exportTables();
        title = kExportTitle;
        changed = &exported;
        break;
    }
    // The first table of an import had no mark: one fewer imported.
    const int count = c.action == Action::Import ? c.tablesChanged - 1 : c.tablesChanged;
    expected.push_back({withDecimal(c.end, count), u"", mb::kOk});
    EXPECT_EQ(person.messages, expected);
    EXPECT_EQ(runner.titles, std::vector<std::u16string>{title});
    std::vector<test::RecordedStep> steps;
    if (c.stepsSeen < 0) steps.push_back({c.action == Action::Save ? kPacking : kUnpacking, false, 0, 0});
    if (c.action == Action::Import) steps.push_back({kKeepingRestorePoint, false, 0, 0});
    for (int i = 0; i < c.stepsSeen; ++i) steps.push_back({tables[static_cast<std::size_t>(i)], true, i, 3});
    EXPECT_EQ(runner.steps, steps);
    EXPECT_FALSE(runner.personReachedDuringRun);

    for (std::size_t i = 0; i < 3; ++i) {
      const bool isNew = static_cast<int>(i) < c.tablesChanged;
      if (c.action == Action::Export) {
        EXPECT_EQ(test::readFileBytes(edition + exchangeFilePath(tables[i])), isNew ? exported : exchange) << i;
        EXPECT_EQ(test::readFileBytes(edition + tables[i]), kTable) << i;
      } else {
        // An import leaves the table whose exchange file has no mark as it was.
        const bool replaced = isNew && !(c.action == Action::Import && i == 0);
        EXPECT_EQ(test::readFileBytes(edition + tables[i]), replaced ? *changed : kTable) << i;
      }
    }
    EXPECT_EQ(fs::exists(folder.dir.path() / "out.cff"), false);
    EXPECT_TRUE(listFiles(edition, u"*.zlib").empty());
    EXPECT_FALSE(fs::exists(folder.dir.path() / "Shadow Wars" / "temp.bin"));
  }
}

TEST(MainWindowModel, TheFirstRunOpensTheBaselineSetupOnlyWithAPackerAndNoSettingsFile) {
  for (bool packer : {true, false}) {
    for (bool settingsFile : {true, false}) {
      ProgramFolder folder(packer);
      if (settingsFile) test::writeFileBytes(folder.dir.file(u"Verbarium.ini"), {});
      test::ScriptedInteraction person;
      test::ScriptedRunner runner;
      MainWindowModel model(person, runner, folder.programPath());
      EXPECT_EQ(model.firstRunOpensBaselineSetup(), packer && !settingsFile);
    }
  }
}

}  // namespace
}  // namespace verbarium
