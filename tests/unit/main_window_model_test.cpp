#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/main_window_model.h"
#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "baseline/archive_size.h"
#include "baseline/baseline_setup.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "prompts/archive_prompts.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/scripted_runner.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr char16_t kUnpackFailedText[] =
    u"cffの展開に失敗しました。\n・CRATEWORKが正しく配置されていない\n・cffファイルに異常がある\n"
    u"・ディスクに書き込める状態ではない\nなどの原因が考えられます。";
constexpr char16_t kWarning[] =
    u"このバージョンのVerbariumはFaith in Destinyに正式対応していません。\n"
    u"誤動作が起こりうることを覚悟の上でご利用ください。";

RecordedMessage notice(std::u16string text) { return {std::move(text), u"", 0x0000}; }

// The 21 tables of an edition's archive, each told apart by its index and
// the archive's `variant`, as baselines under `directory`.
std::string tableName(int i) { return "1000-" + std::to_string(2000 + i) + "_0_0.dat"; }
Bytes tableBytes(int i, std::uint8_t variant) {
  return cat({hex("36 01 00 00"), {variant, static_cast<std::uint8_t>(i), variant}});
}
FileTree baselines(const std::string& directory, std::uint8_t variant, int count = 21) {
  FileTree tree;
  for (int i = 0; i < count; ++i) tree[directory + tableName(i) + ".org"] = tableBytes(i, variant);
  return tree;
}
FileTree operator+(FileTree a, const FileTree& b) {
  a.insert(b.begin(), b.end());
  return a;
}
TEST(JudgeArchiveSize, TellsAMatchAndAsksAboutAnyOtherSize) {
  using Kind = SizeVerdict::Kind;
  const std::u16string ask = u"\n続行しますか？", large = u"ファイルサイズが大きいようです。";
  const struct {
    std::uint32_t size, expected;
    Kind kind;
    std::u16string text;
  } cases[] = {
      {308522, kShadowWars.expectedSize, Kind::Notice, u"ファイルサイズの一致が確認されました。"},
      {185807, kShadowWars.expectedSize, Kind::Question, u"これはDragon Stormのファイルかもしれません。" + ask},
      {308521, kShadowWars.expectedSize, Kind::Question, u"これはShadow Warsのファイルかもしれません。" + ask},
      {246816, kShadowWars.expectedSize, Kind::Question, u"ファイルサイズがかなり小さいようです。" + ask},
      {246817, kShadowWars.expectedSize, Kind::Question, u"ファイルサイズが小さいようです。" + ask},
      {370226, kShadowWars.expectedSize, Kind::Question, large + u"\n日本語化済みのファイルかもしれません。" + ask},
      {370227, kShadowWars.expectedSize, Kind::Question, large + ask},
      // Faith in Destiny has no size of its own: only the probes ask.
      {308522, kFaithInDestiny.expectedSize, Kind::None, u""},
      {185807, kFaithInDestiny.expectedSize, Kind::Question, u"これはDragon Stormのファイルかもしれません。" + ask},
      {kNoExpectedSize, kFaithInDestiny.expectedSize, Kind::Notice, u"ファイルサイズを取得できません。"},
      // Thresholds of an expected size near the top are no overflow.
      {0xFFFFFFF0u, 0xFFFFFF00u, Kind::Question, large + u"\n日本語化済みのファイルかもしれません。" + ask},
  };
  for (const auto& c : cases) {
    const SizeVerdict verdict = JudgeArchiveSize(c.size, c.expected);
    EXPECT_TRUE(verdict.kind == c.kind && verdict.text == c.text) << c.size << " for " << c.expected;
  }
}

#ifndef _WIN32
// A file of 4 GiB or more (made with a hole) is large: its low 32 bits pass
// neither for an edition's size nor for a failed query.
TEST(QueryFileSize, GivesTheSizeAndNeverTheLow32BitsOfALargerOne) {
  TempDir dir;
  const fs::path file = dir.path() / "chosen.cff";
  EXPECT_EQ(QueryFileSize(file.u16string()), kNoExpectedSize);
  for (const std::uintmax_t size : {308522ull, 0x100000000ull + 308522, 0xFFFFFFFFull}) {
    std::ofstream{file}.put('x');
    fs::resize_file(file, size);
    EXPECT_EQ(QueryFileSize(file.u16string()), size == 308522 ? 308522u : 0xFFFFFFFEu) << size;
  }
}
#endif

// Each run of an edition's button from the given files, in the program folder
// as the desktop program runs it: what it says after the Faith in Destiny
// warning, and the files of the editions and temp afterwards.
TEST(BaselineSetup, ARunReplacesTheBaselineTablesAloneAndSaysHowMany) {
  TempDir root;
  const CurrentDirectoryScope program(root.pathText());
  const SearchPathScope packerOnPath(packerDirectory());
  for (auto name : {"Shadow Wars", "Dragon Storm", "Faith in Destiny", "temp"}) fs::create_directory(root.path() / name);
  auto pack = [&](const std::u16string& name, std::uint8_t variant, int count = 21) {
    TempDir source;
    for (int i = 0; i < count; ++i) writeFileBytes(source.file(fromUtf8(tableName(i))), tableBytes(i, variant));
    EXPECT_TRUE(PackArchive(root.file(name), source.pathText()));
    return readFileBytes(root.file(name));
  };
  // The files of the edition directories and temp.
  auto files = [&] {
    FileTree tree = restorePointsByName(treeOf(root.path()));
    std::erase_if(tree, [](const auto& file) {
      return file.first.ends_with('/') || (file.first.ends_with(".cff") && !file.first.starts_with("temp/"));
    });
    return tree;
  };
  const Bytes a = pack(u"a.cff", 'a'), b = pack(u"b.cff", 'b');
  pack(u"five.cff", 'a', 5);
  // The packer makes no archive of no tables; one with no entries is sound.
  writeFileBytes(root.file(u"empty.cff"), hex("12 dd 72 dd 01 00 00 00 00 00 00 00"));
  // The signature is right, the rest is not: the packer refuses it.
  writeFileBytes(root.file(u"broken.cff"), hex("12 dd 72 dd 01 00 00 00 05 00 00 00 0d 00"));
  auto sized = [](Bytes head, std::size_t size) { head.resize(size); return head; };
  writeFileBytes(root.file(u"small.cff"), sized(hex("12 dd 72 dd"), 1000));
  writeFileBytes(root.file(u"other.cff"), sized(hex("12 dd 72 dc"), 308522));
  const std::string e = "Faith in Destiny/";
  const FileTree stale = {{"temp/" + tableName(0), hex("73 74 61 6c 65")}};
  const FileTree old = {{e + tableName(0) + ".org", hex("6f 6c 64")}};
  // Work on the edition and a note of the translator's: they stay.
  const FileTree kept = {{e + tableName(3), hex("77")}, {e + "notes.dat.org", hex("6e")}};
  const RecordedMessage refused = notice(u"このファイルは展開の作業で上書きされるため使用できません。\n別のフォルダにコピーしてから選択してください。");
  const RecordedMessage all = notice(u"21個のファイルを展開しました。");
  const RecordedMessage tooSmall{u"ファイルサイズがかなり小さいようです。\n続行しますか？", u"確認", 0x0034};
  using Said = std::vector<RecordedMessage>;
  const Edition& fid = kFaithInDestiny;
  const struct {
    const char* label;
    const Edition& button;
    FileTree before;
    const char16_t* chosen;  // empty: the prompt is cancelled
    Answer answer;
    const char* missing;  // a folder removed before the run
    std::optional<std::size_t> cancelAtStep;
    Said said;
    FileTree after;
  } cases[] = {
      {"too small, answered No", kShadowWars, {}, u"small.cff", Answer::No, nullptr, {}, {tooSmall}, {}},
      // A box that could not be shown goes on.
      {"too small, no answer", kDragonStorm, {}, u"small.cff", static_cast<Answer>(0), nullptr, {},
       {tooSmall, notice(kUnpackFailedText)}, {}},
      // A file without the signature is refused before its size is looked at.
      {"no archive", kShadowWars, {}, u"other.cff", {}, nullptr, {}, {notice(u"これは SpellForce 2 の cff ファイルではありません。")}, {}},
      {"a full archive into an empty edition", fid, {}, u"a.cff", {}, nullptr, {}, {all}, baselines(e, 'a')},
      // What an earlier run left in temp goes.
      {"a second run", fid, baselines(e, 'a') + kept + stale, u"b.cff", {}, nullptr, {}, {all},
       baselines(e, 'b') + kept + baselines("point/", 'a')},
      {"no place for a restore point", fid, baselines(e, 'a') + FileTree{{e + "backup", hex("62")}}, u"b.cff", {}, nullptr, {},
       {{u"復元ポイントを作成できませんでした。\n" + absolutePath(u"Faith in Destiny") + u"\\backup", u"エラー", 0x10}},
       baselines(e, 'a') + FileTree{{e + "backup", hex("62")}}},
      {"cancelled", fid, baselines(e, 'a'), u"b.cff", {}, nullptr, 0,
       {notice(u"原文ファイルの作成を中止しました。\n原文ファイルは元のままです。")}, baselines(e, 'a')},
      {"a failed unpack over a baseline", fid, baselines(e, 'o') + stale, u"broken.cff", {}, nullptr, {},
       {notice(kUnpackFailedText)}, baselines(e, 'o')},
      {"no tables", fid, {}, u"empty.cff", {}, nullptr, {}, {notice(u"展開に失敗しました。")}, {}},
      {"some tables", fid, {}, u"five.cff", {}, nullptr, {},
       {notice(u"5個のファイルを展開しました。\nいくつか展開に失敗したかもしれません。")}, baselines(e, 'a', 5)},
      {"more baselines than an archive holds", fid, {{e + "9999-9999_9_9.dat.org", hex("6f")}}, u"a.cff", {}, nullptr, {},
       {notice(u"22個のファイルを展開しました。\n想定より多いため、古いファイルが残っているかもしれません。")},
       baselines(e, 'a') + FileTree{{e + "9999-9999_9_9.dat.org", hex("6f")}}},
      // The chosen archive is never deleted or changed: files the run clears, writes or replaces are refused.
      {"the archive as a by-product", fid, {{"temp/1000-2000_0_0.zlib", a}}, u"temp/1000-2000_0_0.zlib", {}, nullptr, {},
       {refused}, {{"temp/1000-2000_0_0.zlib", a}}},
      {"the archive as a baseline", fid, {{e + "9999-9999_9_9.dat.org", a}}, u"Faith in Destiny/9999-9999_9_9.dat.org", {},
       nullptr, {}, {refused}, {{e + "9999-9999_9_9.dat.org", a}}},
      {"the archive elsewhere in temp", fid, {{"temp/chosen.cff", b}}, u"temp/chosen.cff", {}, nullptr, {}, {all},
       baselines(e, 'b') + FileTree{{"temp/chosen.cff", b}}},
      // Both directories ship with the program; without either, nothing is touched.
      {"no edition folder", fid, stale, u"a.cff", {}, "Faith in Destiny", {}, {notice(u"フォルダが見つかりません：Faith in Destiny")},
       stale},
      {"no temp folder", fid, old, u"a.cff", {}, "temp", {}, {notice(u"フォルダが見つかりません：temp")}, old},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    for (auto name : {"Faith in Destiny", "temp"}) {
      fs::remove_all(root.path() / name);
      fs::create_directory(root.path() / name);
    }
    layTree(root.path(), c.before);
    if (c.missing) fs::remove_all(root.path() / c.missing);
    ScriptedInteraction person;
    person.chosenPaths = {*c.chosen ? root.file(c.chosen) : u""};
    person.answers = {c.answer};
    std::size_t saidBeforePrompt = 0;
    person.duringPrompt = [&] { saidBeforePrompt = person.messages.size(); };
    ScriptedRunner runner;
    runner.cancelAtStep = c.cancelAtStep;
    runner.person = &person;
    CreateEditionBaseline(person, runner, c.button);
    EXPECT_TRUE(isSameFile(currentDirectory(), root.pathText())) << "back in the program directory";
    EXPECT_FALSE(runner.personReachedDuringRun);
    Said said = c.said;
    if (!c.button.supported) said.insert(said.begin(), notice(kWarning));
    EXPECT_EQ(person.messages, said);
    EXPECT_EQ(std::tuple(person.prompts.at(0).filter, saidBeforePrompt),
              std::tuple(ArchiveFileFilter(), c.button.supported ? 0u : 1u));
    EXPECT_EQ(files(), c.after);
  }
}

const Bytes kTable = test::sixByteTable({u"ok"});

// A program folder with two edition directories and the real packer beside
// the program, current while the test runs; no settings file.
struct ProgramFolder {
  test::TempDir dir;
  test::SearchPathScope packerOnPath{test::packerDirectory()};
  CurrentDirectoryScope inside{dir.pathText()};

  ProgramFolder() {
    for (auto edition : {"Shadow Wars", "Dragon Storm"}) fs::create_directory(dir.path() / edition);
    const fs::path packerName(std::u16string{kPackerFileName});
    fs::copy_file(fs::path(test::packerDirectory()) / packerName, dir.path() / packerName);
  }
  void write(const std::u16string& name, const Bytes& bytes) const { test::writeFileBytes(dir.file(name), bytes); }
};

// Each action says what it did once its work has ended; Load and Import first
// keep what they replace in a restore point; Cancel stops before any change.
// {c} is the chosen file, {b} the restore points' folder, {0}-{2} the tables
// in the list's order: {0}'s exchange file has no byte order mark, {2} none.
TEST(MainWindowModel, EachActionKeepsWhatItReplacesStopsWhereCancelledAndSaysWhatItDid) {
  using namespace main_window_messages;
  using M = MainWindowModel;
  const Bytes packed = test::sixByteTable({u"pk"}), imported = test::sixByteTable({u"neu"});
  const Bytes exported = test::cat({hex("ff fe"), test::utf16le(u"ok\r\n")});
  const RecordedMessage loadQ{kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion};
  const RecordedMessage importQ{kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation};
  auto caution = [](std::u16string text) { return RecordedMessage{std::move(text), kCaution, mb::kIconExclamation}; };
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
    FileTree changed;                    // the edition's files that differ afterwards
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
    MainWindowModel model(person, runner, folder.dir.pathText());
    model.initialise();
    const std::vector<Path> tables = model.tables();
    ASSERT_EQ(tables.size(), 3u);
    // No row in a table-less edition, no edition past the last; a first run opens the baseline setup.
    model.selectEdition(1);
    model.selectEdition(static_cast<int>(kEditions.size()));
    EXPECT_EQ(std::tuple(model.selectedEdition(), model.tableForRow(0), model.firstRunOpensBaselineSetup()),
              std::tuple(1, Path(), true));
    model.selectEdition(0);
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
    auto edition = [&] { return restorePointsByName(treeOf(folder.dir.path() / "Shadow Wars")); };
    const FileTree before = edition();
    FileTree expected = before;
    for (const auto& [name, bytes] : c.changed) expected[filled(name)] = bytes;
    for (const auto& name : c.point) expected["point/" + filled(name)] = before.at(filled(name));

    person.answers = c.answers;
    person.chosenPaths = {fill(u"{c}")};
    (model.*c.action)();
    std::vector<RecordedMessage> said = c.said;
    for (auto& m : said) m.text = fill(m.text);
    EXPECT_EQ(person.messages, said);
    EXPECT_EQ(edition(), expected);
    EXPECT_EQ(fs::exists(folder.dir.path() / "out.cff"), c.label == std::string("save")) << "only a finished save packs";
    const std::size_t runs = c.steps >= 0, steps = c.steps < 0 ? 0 : c.steps + (c.action != &M::exportTables);
    EXPECT_EQ(std::pair(runner.runs, runner.steps), std::pair(runs, steps));
    EXPECT_FALSE(runner.personReachedDuringRun);
  }
}

}  // namespace
}  // namespace verbarium
