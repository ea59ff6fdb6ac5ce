#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "prompts/archive_prompts.h"
#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "baseline/baseline_files.h"
#include "baseline/baseline_setup.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/packer_on_path.h"
#include "support/scripted_interaction.h"
#include "support/scripted_runner.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

constexpr char16_t kNotAnArchive[] = u"これは SpellForce 2 の cff ファイルではありません。";
constexpr char16_t kUnpackFailed[] =
    u"cffの展開に失敗しました。\n・CRATEWORKが正しく配置されていない\n・cffファイルに異常がある\n"
    u"・ディスクに書き込める状態ではない\nなどの原因が考えられます。";
constexpr char16_t kNoneUnpacked[] = u"展開に失敗しました。";
constexpr char16_t kArchiveWouldBeReplaced[] =
    u"このファイルは展開の作業で上書きされるため使用できません。\n別のフォルダにコピーしてから選択してください。";
constexpr char16_t kWarning[] =
    u"このバージョンのVerbariumはFaith in Destinyに正式対応していません。\n"
    u"誤動作が起こりうることを覚悟の上でご利用ください。";

constexpr char16_t kMatches[] = u"ファイルサイズの一致が確認されました。";
constexpr char16_t kMaybeDragonStorm[] = u"これはDragon Stormのファイルかもしれません。\n続行しますか？";
constexpr char16_t kMaybeShadowWars[] = u"これはShadow Warsのファイルかもしれません。\n続行しますか？";
constexpr char16_t kMuchTooSmall[] = u"ファイルサイズがかなり小さいようです。\n続行しますか？";
constexpr char16_t kTooSmall[] = u"ファイルサイズが小さいようです。\n続行しますか？";
constexpr char16_t kTooLarge[] = u"ファイルサイズが大きいようです。\n続行しますか？";
constexpr char16_t kMaybeTranslated[] =
    u"ファイルサイズが大きいようです。\n日本語化済みのファイルかもしれません。\n続行しますか？";

RecordedMessage notice(std::u16string text) { return {std::move(text), u"", 0x0000}; }
RecordedMessage question(std::u16string text) { return {std::move(text), u"確認", 0x0034}; }

std::vector<std::u16string> sortedFiles(const std::u16string& directory) {
  auto names = listFiles(directory, u"*");
  std::sort(names.begin(), names.end());
  return names;
}

// The 21 tables of an edition's archive; `variant` tells one archive's apart
// from another's.
std::vector<std::u16string> tableNames() {
  std::vector<std::u16string> names;
  for (int i = 0; i < 21; ++i) names.push_back(u"1000-" + asciiToUtf16(std::to_string(2000 + i)) + u"_0_0.dat");
  return names;
}
Bytes tableBytes(int index, std::uint8_t variant) {
  return test::cat({hex("36 01 00 00"), {variant, static_cast<std::uint8_t>(index), variant}});
}

// A program folder, current as the program directory is in the desktop
// program, with the three edition directories and the scratch directory.
class BaselineSetup : public ::testing::Test {
 protected:
  BaselineSetup() {
    for (const auto* name : {u"Shadow Wars", u"Dragon Storm", u"Faith in Destiny", u"temp", u"source"}) {
      makeDirectory(name);
    }
  }

  void makeDirectory(std::u16string_view name) const {
    std::filesystem::create_directory(root_.path() / std::filesystem::path(std::u16string(name)));
  }
  void removeDirectory(std::u16string_view name) const {
    std::filesystem::remove_all(root_.path() / std::filesystem::path(std::u16string(name)));
  }

  // An archive of the first `count` of the 21 tables, made by the real packer.
  std::u16string packTables(std::u16string_view archiveName, std::uint8_t variant, std::size_t count = 21) {
    removeDirectory(u"source");
    makeDirectory(u"source");
    const auto names = tableNames();
    for (std::size_t i = 0; i < count; ++i) {
      test::writeFileBytes(u"source\\" + names[i], tableBytes(static_cast<int>(i), variant));
    }
    const std::u16string archive = root_.file(archiveName);
    PackerResult packed = PackArchive(archive, u"source");
    EXPECT_TRUE(packed) << "packer failure " << static_cast<int>(packed.failure);
    return archive;
  }

  // Runs the edition's button with `archive` chosen in the prompt.
  std::vector<RecordedMessage> press(const Edition& edition, const std::u16string& archive,
                                     std::deque<Answer> answers = {}) {
    test::ScriptedInteraction person;
    person.chosenPaths = {archive};
    person.answers = std::move(answers);
    CreateEditionBaseline(person, runner_, edition);
    EXPECT_TRUE(isSameFile(currentDirectory(), root_.pathText())) << "back in the program directory";
    return person.messages;
  }

  test::TempDir root_;
  CurrentDirectoryScope program_{root_.pathText()};
  test::ScriptedRunner runner_;
  test::SearchPathScope packerOnPath_{test::packerDirectory()};
};

TEST_F(BaselineSetup, SizeTestsTellOrAskBeforeTheUnpack) {
  // No packer to be found: every run that goes on ends in the unpack failure.
  setSearchPath(root_.file(u"source"));
  const std::vector<RecordedMessage> wentOn = {notice(kUnpackFailed)};
  enum class Kind { None, Notice, Question };
  const struct {
    const Edition& button;
    std::uint32_t size;
    Kind kind;
    const char16_t* text;
    Answer answer;
    bool goesOn;
  } cases[] = {
      {kShadowWars, 308522, Kind::Notice, kMatches, Answer::Ok, true},
      {kShadowWars, 185807, Kind::Question, kMaybeDragonStorm, Answer::No, false},
      {kShadowWars, 185807, Kind::Question, kMaybeDragonStorm, Answer::Yes, true},
      {kShadowWars, 308521, Kind::Question, kMaybeShadowWars, Answer::No, false},
      {kShadowWars, 246816, Kind::Question, kMuchTooSmall, Answer::No, false},
      {kShadowWars, 246817, Kind::Question, kTooSmall, Answer::Yes, true},
      {kShadowWars, 370226, Kind::Question, kMaybeTranslated, Answer::No, false},
      {kShadowWars, 370227, Kind::Question, kTooLarge, Answer::Yes, true},
      // A box that could not be shown goes on: only an explicit No stops.
      {kShadowWars, 370227, Kind::Question, kTooLarge, static_cast<Answer>(0), true},
      // The Dragon Storm button never asks whether its file is Dragon Storm's.
      {kDragonStorm, 185807, Kind::Notice, kMatches, Answer::Ok, true},
      {kDragonStorm, 308521, Kind::Question, kMaybeShadowWars, Answer::Yes, true},
      {kDragonStorm, 308522, Kind::Question, kTooLarge, Answer::No, false},
      {kDragonStorm, 148644, Kind::Question, kMuchTooSmall, Answer::Yes, true},
      {kDragonStorm, 148645, Kind::Question, kTooSmall, Answer::No, false},
      {kDragonStorm, 185806, Kind::Question, kTooSmall, Answer::Yes, true},
      {kDragonStorm, 185808, Kind::Question, kMaybeTranslated, Answer::No, false},
      {kDragonStorm, 222968, Kind::Question, kMaybeTranslated, Answer::Yes, true},
      {kDragonStorm, 222969, Kind::Question, kTooLarge, Answer::No, false},
      // Faith in Destiny has no size of its own: only the two probes ask.
      {kFaithInDestiny, 1000, Kind::None, u"", Answer::Ok, true},
      {kFaithInDestiny, 308522, Kind::None, u"", Answer::Ok, true},
      {kFaithInDestiny, 185807, Kind::Question, kMaybeDragonStorm, Answer::No, false},
      {kFaithInDestiny, 308521, Kind::Question, kMaybeShadowWars, Answer::Yes, true},
  };
  for (const auto& c : cases) {
    Bytes file(c.size, 0);
    std::copy_n(hex("12 dd 72 dd").begin(), 4, file.begin());
    test::writeFileBytes(root_.file(u"chosen.cff"), file);

    std::vector<RecordedMessage> expected;
    if (!c.button.supported) expected.push_back(notice(kWarning));
    if (c.kind == Kind::Notice) expected.push_back(notice(c.text));
    if (c.kind == Kind::Question) expected.push_back(question(c.text));
    if (c.goesOn) expected.insert(expected.end(), wentOn.begin(), wentOn.end());
    EXPECT_EQ(press(c.button, root_.file(u"chosen.cff"), {c.answer}), expected)
        << toUtf8(c.button.name) << ", " << c.size << " bytes";
    EXPECT_TRUE(sortedFiles(u"temp").empty());
  }
}

TEST_F(BaselineSetup, AFileWithoutTheSignatureIsRefusedBeforeItsSize) {
  const struct {
    const char* label;
    Bytes head;
  } cases[] = {{"one byte off", hex("12 dd 72 dc")}, {"too short", hex("12 dd 72")}};
  for (const auto& c : cases) {
    Bytes file = c.head;
    // Exactly the size the button expects.
    if (file.size() == 4) file.resize(kShadowWars.expectedSize, 0);
    test::writeFileBytes(root_.file(u"chosen.cff"), file);
    EXPECT_EQ(press(kShadowWars, root_.file(u"chosen.cff")), std::vector<RecordedMessage>{notice(kNotAnArchive)})
        << c.label;
  }
}

TEST_F(BaselineSetup, TheWarningComesBeforeThePromptEvenWhenItIsCancelled) {
  test::ScriptedInteraction person;
  std::size_t messagesAtPrompt = 0;
  person.duringPrompt = [&] { messagesAtPrompt = person.messages.size(); };
  CreateEditionBaseline(person, runner_, kFaithInDestiny);
  EXPECT_EQ(person.messages, std::vector<RecordedMessage>{notice(kWarning)});
  EXPECT_EQ(messagesAtPrompt, 1u);
  ASSERT_EQ(person.prompts.size(), 1u);
  EXPECT_EQ(person.prompts[0].filter, ArchiveFileFilter());

  // The supported editions go straight to the prompt.
  test::ScriptedInteraction other;
  CreateEditionBaseline(other, runner_, kShadowWars);
  EXPECT_TRUE(other.messages.empty());
  EXPECT_EQ(other.prompts.size(), 1u);
}

TEST_F(BaselineSetup, AFullArchiveBecomesTheBaselineOfAnEmptyEdition) {
  const auto archive = packTables(u"shadow wars.cff", 'a');
  EXPECT_EQ(press(kFaithInDestiny, archive),
            (std::vector<RecordedMessage>{notice(kWarning), notice(u"21個のファイルを展開しました。")}));

  std::vector<std::u16string> expected;
  for (const auto& name : tableNames()) expected.push_back(name + u".org");
  EXPECT_EQ(sortedFiles(u"Faith in Destiny"), expected);
  const auto names = tableNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(test::readFileBytes(u"Faith in Destiny\\" + names[i] + u".org"), tableBytes(static_cast<int>(i), 'a'));
  }
  // Neither the tables nor temp.bin nor the packer's by-products stay behind.
  EXPECT_TRUE(sortedFiles(u"temp").empty());
}

TEST_F(BaselineSetup, ASecondRunReplacesTheBaselineAndNothingElse) {
  const auto first = packTables(u"first.cff", 'a');
  const auto second = packTables(u"second.cff", 'b');
  ASSERT_EQ(press(kFaithInDestiny, first).back(), notice(u"21個のファイルを展開しました。"));

  // Work on the edition, a note of the translator's, and a table that an
  // earlier run left in temp without belonging to this archive.
  const auto names = tableNames();
  test::writeFileBytes(u"Faith in Destiny\\" + names[3], hex("77 6f 72 6b"));
  test::writeFileBytes(u"Faith in Destiny\\notes.dat.org", hex("6e 6f 74 65"));
  test::writeFileBytes(u"temp\\9999-9999_9_9.dat", hex("73 74 61 6c 65"));

  EXPECT_EQ(press(kFaithInDestiny, second).back(), notice(u"21個のファイルを展開しました。"));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(test::readFileBytes(u"Faith in Destiny\\" + names[i] + u".org"), tableBytes(static_cast<int>(i), 'b'));
  }
  EXPECT_EQ(test::readFileBytes(u"Faith in Destiny\\" + names[3]), hex("77 6f 72 6b"));
  EXPECT_EQ(test::readFileBytes(u"Faith in Destiny\\notes.dat.org"), hex("6e 6f 74 65"));
  EXPECT_FALSE(fileAttributes(u"Faith in Destiny\\9999-9999_9_9.dat.org"));
  EXPECT_EQ(listFiles(u"Faith in Destiny", u"*").size(), 23u);
  EXPECT_TRUE(sortedFiles(u"temp").empty());

  // The first run replaced nothing; the second kept exactly the baseline
  // tables it replaced.
  const auto points = listDirectories(u"Faith in Destiny\\backup");
  ASSERT_EQ(points.size(), 1u);
  const std::u16string point = u"Faith in Destiny\\backup\\" + points[0];
  ASSERT_EQ(sortedFiles(point).size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(test::readFileBytes(point + u"\\" + names[i] + u".org"), tableBytes(static_cast<int>(i), 'a'));
  }

  // Without a place for the point, nothing is replaced.
  std::filesystem::remove_all(root_.path() / "Faith in Destiny" / "backup");
  test::writeFileBytes(u"Faith in Destiny\\backup", hex("62"));
  const auto third = packTables(u"third.cff", 'c');
  EXPECT_EQ(press(kFaithInDestiny, third),
            (std::vector<RecordedMessage>{
                notice(kWarning), {u"復元ポイントを作成できませんでした。\n" + absolutePath(u"Faith in Destiny") + u"\\backup",
                                   u"エラー", 0x10}}));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(test::readFileBytes(u"Faith in Destiny\\" + names[i] + u".org"), tableBytes(static_cast<int>(i), 'b'));
  }
  EXPECT_TRUE(sortedFiles(u"temp").empty());
}

TEST_F(BaselineSetup, AFailedUnpackSaysSoAndNothingElse) {
  // The signature is right, the rest is not: the packer refuses it.
  test::writeFileBytes(root_.file(u"broken.cff"), hex("12 dd 72 dd 01 00 00 00 05 00 00 00 0d 00"));
  const auto names = tableNames();
  const struct {
    const char* label;
    bool earlierBaseline;
  } cases[] = {
      {"no baseline yet", false},
      // The earlier baseline's count would read as this run's success.
      {"a full baseline from an earlier run", true},
  };
  for (const auto& c : cases) {
    for (const auto& name : names) {
      const auto baseline = u"Shadow Wars\\" + name + u".org";
      if (c.earlierBaseline) test::writeFileBytes(baseline, hex("6f 6c 64"));
      else removeFile(baseline);
    }
    // Left in temp by an earlier run: not what this archive holds.
    test::writeFileBytes(u"temp\\" + names[0], hex("73 74 61 6c 65"));

    EXPECT_EQ(press(kShadowWars, root_.file(u"broken.cff"), {Answer::Yes}),
              (std::vector<RecordedMessage>{question(kMuchTooSmall), notice(kUnpackFailed)}))
        << c.label;
    if (c.earlierBaseline) {
      EXPECT_EQ(test::readFileBytes(u"Shadow Wars\\" + names[0] + u".org"), hex("6f 6c 64")) << c.label;
    } else {
      EXPECT_TRUE(sortedFiles(u"Shadow Wars").empty()) << c.label;
    }
    EXPECT_TRUE(sortedFiles(u"temp").empty()) << c.label;
  }
}

TEST_F(BaselineSetup, TheReportFollowsTheCountOfBaselineTables) {
  const struct {
    std::size_t tablesInArchive;
    bool extraBaseline;  // a table-named baseline no archive of the edition holds
    const char16_t* report;
  } cases[] = {
      {0, false, kNoneUnpacked},
      {5, false, u"5個のファイルを展開しました。\nいくつか展開に失敗したかもしれません。"},
      {21, false, u"21個のファイルを展開しました。"},
      {21, true, u"22個のファイルを展開しました。\n想定より多いため、古いファイルが残っているかもしれません。"},
  };
  for (const auto& c : cases) {
    removeDirectory(u"Faith in Destiny");
    makeDirectory(u"Faith in Destiny");
    if (c.extraBaseline) test::writeFileBytes(u"Faith in Destiny\\9999-9999_9_9.dat.org", hex("6f 6c 64"));
    // The packer makes no archive of no tables; one with no entries is sound.
    const std::u16string empty = root_.file(u"empty.cff");
    test::writeFileBytes(empty, hex("12 dd 72 dd 01 00 00 00 00 00 00 00"));
    const auto archive = c.tablesInArchive == 0 ? empty : packTables(u"chosen.cff", 'a', c.tablesInArchive);
    EXPECT_EQ(press(kFaithInDestiny, archive), (std::vector<RecordedMessage>{notice(kWarning), notice(c.report)}))
        << c.tablesInArchive;
  }
}

TEST_F(BaselineSetup, TheChosenArchiveIsNeverDeletedOrChanged) {
  const Bytes archive = test::readFileBytes(packTables(u"packed.cff", 'a'));
  const struct {
    const char16_t* where;
    bool refused;
  } cases[] = {
      // Files the run clears, writes, removes or replaces.
      {u"temp\\x.dat", true},
      {u"temp\\1000-2000_0_0.zlib", true},
      {u"temp\\temp.bin", true},
      {u"Shadow Wars\\9999-9999_9_9.dat.org", true},
      // Anything else may lie in temp.
      {u"temp\\chosen.cff", false},
  };
  for (const auto& c : cases) {
    for (const auto* name : {u"Shadow Wars", u"temp"}) {
      removeDirectory(name);
      makeDirectory(name);
    }
    test::writeFileBytes(c.where, archive);
    const auto report = c.refused ? notice(kArchiveWouldBeReplaced) : notice(u"21個のファイルを展開しました。");
    EXPECT_EQ(press(kShadowWars, root_.file(c.where), {Answer::Yes}),
              (std::vector<RecordedMessage>{question(kMuchTooSmall), report}))
        << toUtf8(c.where);
    EXPECT_EQ(test::readFileBytes(c.where), archive) << toUtf8(c.where);
    if (c.refused) {
      EXPECT_EQ(listFiles(u"Shadow Wars", u"*").size() + listFiles(u"temp", u"*").size(), 1u) << toUtf8(c.where);
    }
  }
}

TEST_F(BaselineSetup, AMissingFolderStopsBeforeAnyFileIsTouched) {
  const auto archive = packTables(u"chosen.cff", 'a');
  const struct {
    std::u16string_view missing;
    const char16_t* message;
  } cases[] = {
      {u"Shadow Wars", u"フォルダが見つかりません：Shadow Wars"},
      {u"temp", u"フォルダが見つかりません：temp"},
  };
  for (const auto& c : cases) {
    for (const auto* name : {u"Shadow Wars", u"temp"}) makeDirectory(name);
    test::writeFileBytes(u"temp\\" + tableNames()[0], hex("73 74 61 6c 65"));
    test::writeFileBytes(u"Shadow Wars\\" + tableNames()[0] + u".org", hex("6f 6c 64"));
    removeDirectory(c.missing);

    EXPECT_EQ(press(kShadowWars, archive, {Answer::Yes}),
              (std::vector<RecordedMessage>{question(kMuchTooSmall), notice(c.message)}));
    for (const auto* name : {u"Shadow Wars", u"temp"}) {
      EXPECT_EQ(sortedFiles(name).size(), name == c.missing ? 0u : 1u) << toUtf8(c.missing);
    }
  }
}

// Cancelled while the packer runs, the run leaves the baseline tables and
// temp as they were and says so once it has ended; otherwise it ends as
// ever. The person is told nothing while the work runs.
TEST_F(BaselineSetup, CancelLeavesTheBaselineTablesAsTheyWere) {
  const auto archive = packTables(u"chosen.cff", 'b');
  const struct {
    const char* label;
    std::optional<std::size_t> cancelAtStep;
    const char16_t* report;
    std::uint8_t baseline;  // the variant of the baseline tables afterwards
  } cases[] = {
      {"cancelled", 0, u"原文ファイルの作成を中止しました。\n原文ファイルは元のままです。", 'a'},
      {"not cancelled", std::nullopt, u"21個のファイルを展開しました。", 'b'},
  };
  const auto names = tableNames();
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      test::writeFileBytes(u"Shadow Wars\\" + names[i] + u".org", tableBytes(static_cast<int>(i), 'a'));
    }
    test::ScriptedInteraction person;
    person.chosenPaths = {archive};
    test::ScriptedRunner runner;
    runner.cancelAtStep = c.cancelAtStep;
    runner.person = &person;
    CreateEditionBaseline(person, runner, kShadowWars);
    EXPECT_EQ(person.messages, (std::vector<RecordedMessage>{question(kMuchTooSmall), notice(c.report)})) << c.label;
    EXPECT_EQ(runner.titles, std::vector<std::u16string>{u"原文ファイルの作成"}) << c.label;
    EXPECT_EQ(runner.steps, (std::vector<RecordedStep>{{u"cffファイルを展開しています...", false, 0, 0}})) << c.label;
    EXPECT_FALSE(runner.personReachedDuringRun) << c.label;
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(test::readFileBytes(u"Shadow Wars\\" + names[i] + u".org"),
                tableBytes(static_cast<int>(i), c.baseline))
          << c.label;
    }
    EXPECT_TRUE(sortedFiles(u"temp").empty()) << c.label;
  }
}

TEST(BaselineFiles, EveryDatMovesButOnlyTableNamedBaselinesCount) {
  test::TempDir root;
  for (const auto* name : {u"edition", u"temp"}) std::filesystem::create_directory(root.path() / name);
  const BaselineDirectories directories{root.file(u"edition"), root.file(u"temp")};
  // A packer that keeps the contract may leave files of any name.
  test::writeFileBytes(root.file(u"temp/1000-2000_0_0.dat"), hex("01"));
  test::writeFileBytes(root.file(u"temp/readme.dat"), hex("02"));
  test::writeFileBytes(root.file(u"temp/1000-2000_0_0.zlib"), hex("03"));
  test::writeFileBytes(root.file(u"edition/1000-2000_0_0.dat.org"), hex("6f 6c 64"));
  test::writeFileBytes(root.file(u"edition/1000-2001_0_0.dat"), hex("04"));

  EXPECT_TRUE(MoveUnpackedTables(directories));
  EXPECT_EQ(sortedFiles(directories.edition), (std::vector<std::u16string>{u"1000-2000_0_0.dat.org",
                                                                           u"1000-2001_0_0.dat", u"readme.dat.org"}));
  EXPECT_EQ(test::readFileBytes(root.file(u"edition/1000-2000_0_0.dat.org")), hex("01"));
  EXPECT_EQ(test::readFileBytes(root.file(u"edition/readme.dat.org")), hex("02"));
  EXPECT_EQ(sortedFiles(directories.scratch), std::vector<std::u16string>{u"1000-2000_0_0.zlib"});
  EXPECT_EQ(CountBaselineTables(directories.edition), 1);
}

}  // namespace
}  // namespace verbarium
