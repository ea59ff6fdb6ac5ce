#include <gtest/gtest.h>

#include <filesystem>

#include "prompts/archive_prompts.h"
#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "baseline/archive_size.h"
#include "baseline/baseline_files.h"
#include "baseline/baseline_setup.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/scripted_runner.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr char16_t kUnpackFailed[] =
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
      // The Dragon Storm button never asks whether its file is Dragon Storm's.
      {185807, kDragonStorm.expectedSize, Kind::Notice, u"ファイルサイズの一致が確認されました。"},
      // Faith in Destiny has no size of its own: only the probes ask.
      {308522, kFaithInDestiny.expectedSize, Kind::None, u""},
      {185807, kFaithInDestiny.expectedSize, Kind::Question, u"これはDragon Stormのファイルかもしれません。" + ask},
      {kNoExpectedSize, kFaithInDestiny.expectedSize, Kind::Notice, u"ファイルサイズを取得できません。"},
      // Thresholds of an expected size near the top are no overflow.
      {0xFFFFFFF0u, 0xFFFFFF00u, Kind::Question, large + u"\n日本語化済みのファイルかもしれません。" + ask},
  };
  for (const auto& c : cases) {
    const SizeVerdict verdict = JudgeArchiveSize(c.size, c.expected);
    EXPECT_EQ(verdict.kind, c.kind) << c.size << " for " << c.expected;
    EXPECT_TRUE(verdict.text == c.text) << c.size << " for " << c.expected;
  }
}

// Each run of an edition's button from the given files: what it says, after
// the Faith in Destiny button's warning, and the files of the edition and
// temp afterwards. The signature and the size are checked before the unpack;
// only an explicit No stops. The program folder is current, as in the
// desktop program, with the three edition directories and temp.
TEST(BaselineSetup, ARunReplacesTheBaselineTablesAloneAndSaysHowMany) {
  TempDir root;
  const CurrentDirectoryScope program(root.pathText());
  const SearchPathScope packerOnPath(packerDirectory());
  for (auto name : {"Shadow Wars", "Dragon Storm", "Faith in Destiny", "temp"}) fs::create_directory(root.path() / name);
  // An archive of the first `count` of the 21 tables, made by the real packer.
  auto pack = [&](const std::u16string& name, std::uint8_t variant, int count = 21) {
    TempDir source;
    for (int i = 0; i < count; ++i) writeFileBytes(source.file(fromUtf8(tableName(i))), tableBytes(i, variant));
    EXPECT_TRUE(PackArchive(root.file(name), source.pathText()));
    return readFileBytes(root.file(name));
  };
  // The files of the edition directories and temp; a restore point's as "point/<name>".
  auto files = [&] {
    FileTree tree;
    for (const auto& [name, bytes] : treeOf(root.path())) {
      const std::size_t point = name.find("/backup/");
      if (name.ends_with('/') || (name.ends_with(".cff") && !name.starts_with("temp/"))) continue;
      if (point == std::string::npos) tree[name] = bytes;
      else tree["point/" + name.substr(name.find('/', point + 8) + 1)] = bytes;
    }
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
      {"too small, no answer", kDragonStorm, {}, u"small.cff", static_cast<Answer>(0), nullptr, {}, {tooSmall, notice(kUnpackFailed)}, {}},
      // A file without the signature is refused before its size is looked at.
      {"no archive", kShadowWars, {}, u"other.cff", {}, nullptr, {}, {notice(u"これは SpellForce 2 の cff ファイルではありません。")}, {}},
      {"the prompt cancelled", fid, old, u"", {}, nullptr, {}, {}, old},
      {"a full archive into an empty edition", fid, {}, u"a.cff", {}, nullptr, {}, {all}, baselines(e, 'a')},
      // Work on the edition and a note of the translator's stay; what an earlier run left in temp goes.
      {"a second run", fid, baselines(e, 'a') + FileTree{{e + tableName(3), hex("77")}, {e + "notes.dat.org", hex("6e")}} + stale,
       u"b.cff", {}, nullptr, {}, {all},
       baselines(e, 'b') + FileTree{{e + tableName(3), hex("77")}, {e + "notes.dat.org", hex("6e")}} + baselines("point/", 'a')},
      {"no place for a restore point", fid, baselines(e, 'a') + FileTree{{e + "backup", hex("62")}}, u"b.cff", {}, nullptr, {},
       {{u"復元ポイントを作成できませんでした。\n" + absolutePath(u"Faith in Destiny") + u"\\backup", u"エラー", 0x10}},
       baselines(e, 'a') + FileTree{{e + "backup", hex("62")}}},
      {"cancelled", fid, baselines(e, 'a'), u"b.cff", {}, nullptr, 0,
       {notice(u"原文ファイルの作成を中止しました。\n原文ファイルは元のままです。")}, baselines(e, 'a')},
      {"a failed unpack over a baseline", fid, baselines(e, 'o') + stale, u"broken.cff", {}, nullptr, {}, {notice(kUnpackFailed)},
       baselines(e, 'o')},
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

TEST(BaselineFiles, EveryDatMovesButOnlyTableNamedBaselinesCount) {
  TempDir root;
  layTree(root.path(), {{"temp/1000-2000_0_0.dat", hex("01")}, {"temp/readme.dat", hex("02")},
                        {"temp/1000-2000_0_0.zlib", hex("03")}, {"edition/1000-2000_0_0.dat.org", hex("6f")},
                        {"edition/1000-2001_0_0.dat", hex("04")}});
  const BaselineDirectories directories{root.file(u"edition"), root.file(u"temp")};
  // A packer that keeps the contract may leave files of any name.
  EXPECT_TRUE(MoveUnpackedTables(directories));
  EXPECT_EQ(treeOf(root.path()), (FileTree{{"edition/", {}}, {"edition/1000-2000_0_0.dat.org", hex("01")},
                                          {"edition/1000-2001_0_0.dat", hex("04")}, {"edition/readme.dat.org", hex("02")},
                                          {"temp/", {}}, {"temp/1000-2000_0_0.zlib", hex("03")}}));
  EXPECT_EQ(CountBaselineTables(directories.edition), 1);
}

}  // namespace
}  // namespace verbarium
