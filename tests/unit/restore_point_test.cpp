#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/restore_point.h"
#include "cli_app.h"
#include "platform/utf.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Files = std::map<std::u16string, Bytes>;

constexpr LocalTime kNoon{2025, 3, 4, 12, 0, 5};

LocalTime minutesAfterNoon(int minutes) { return {2025, 3, 4, 12, minutes, 5}; }

// An edition directory and what lies in it.
struct Edition {
  test::TempDir dir;

  Path path() const { return dir.pathText(); }
  fs::path at(std::u16string_view relative) const { return dir.path() / fs::path(std::u16string(relative)); }
  void write(const Files& files) const {
    for (const auto& [name, bytes] : files) test::writeFileBytes(at(name).u16string(), bytes);
  }
  // The regular files under `relative`, by name.
  Files read(std::u16string_view relative = u"") const {
    Files files;
    for (const auto& entry : fs::directory_iterator(at(relative))) {
      if (!entry.is_regular_file()) continue;
      files[entry.path().filename().u16string()] = test::readFileBytes(entry.path().u16string());
    }
    return files;
  }
  Files point(std::u16string_view name) const { return read(u"backup/" + std::u16string(name)); }
  std::vector<std::u16string> pointNames() const {
    std::vector<std::u16string> names;
    for (const RestorePointEntry& entry : ListRestorePoints(path())) names.push_back(entry.name);
    return names;
  }
};

const Files kWork = {{u"1000-2000_0_0.dat", hex("77 6f 72 6b 31")},
                     {u"1000-2001_0_0.dat", hex("77 6f 72 6b 32")},
                     {u"1000-2000_0_0.dat.org", hex("6f 72 67")}};

TEST(RestorePoint, OnlyAPointsOwnSpellingIsAName) {
  const struct {
    const char16_t* name;
    bool isPoint;
  } cases[] = {
      {u"20250304-120005", true},     {u"20250304-120005-2", true},     {u"20250304-120005-10", true},
      {u"20250304-120005-1", false},  {u"20250304-120005-02", false},   {u"20250304_120005", false},
      {u"20250304-12000a", false},    {u"..", false},                   {u"../20250304-120005", false},
      {u"\uff12\uff10250304-120005", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRestorePointName(c.name), c.isPoint) << toUtf8(c.name);
}

TEST(RestorePoint, KeepsWholeCopiesAndNamesThemAfterTheSecond) {
  Edition edition;
  edition.write(kWork);
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {}, kNoon));
  EXPECT_FALSE(fs::exists(edition.at(u"backup"))) << "nothing to keep, no folder";
  const struct {
    std::vector<Path> files;
    const char16_t* name;
  } runs[] = {
      {{u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}, u"20250304-120005"},
      {{u"1000-2001_0_0.dat"}, u"20250304-120005-2"},
      {{u"1000-2000_0_0.dat"}, u"20250304-120005-3"},
  };
  for (const auto& run : runs) {
    const RestorePointResult result = KeepRestorePoint(edition.path(), run.files, kNoon);
    ASSERT_TRUE(result) << toUtf8(result.failedPath);
    EXPECT_EQ(result.point, run.name);
    Files expected;
    for (const Path& file : run.files) expected[file] = kWork.at(file);
    EXPECT_EQ(edition.point(run.name), expected) << toUtf8(run.name);
  }
  EXPECT_EQ(edition.read(), kWork);
  EXPECT_EQ(edition.pointNames(),
            (std::vector<std::u16string>{u"20250304-120005-3", u"20250304-120005-2", u"20250304-120005"}));
  EXPECT_EQ(ListRestorePoints(edition.path())[2].fileCount, 2u);
}

TEST(RestorePoint, TheNewestTenStayAndNothingElseInBackupIsTouched) {
  Edition edition;
  edition.write(kWork);
  fs::create_directories(edition.at(u"backup/notes"));
  edition.write({{u"backup/readme.txt", hex("01")}, {u"backup/notes/1000-2000_0_0.dat", hex("02")}});
  // Eleven points of one second: "-10" and "-11" are newer than "-9".
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat"}, kNoon));
  std::vector<std::u16string> expected;
  for (int i = 11; i >= 2; --i) expected.push_back(u"20250304-120005-" + asciiToUtf16(std::to_string(i)));
  EXPECT_EQ(edition.pointNames(), expected);

  // A point of an earlier time than all others still counts as the new one.
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2001_0_0.dat"}, {2024, 12, 31, 23, 59, 59}));
  const auto names = edition.pointNames();
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names.back(), u"20241231-235959");
  EXPECT_EQ(names.front(), u"20250304-120005-11");
  EXPECT_FALSE(fs::exists(edition.at(u"backup/20250304-120005-2")));
  EXPECT_EQ(edition.read(u"backup"), (Files{{u"readme.txt", hex("01")}}));
  EXPECT_EQ(edition.read(u"backup/notes"), (Files{{u"1000-2000_0_0.dat", hex("02")}}));
}

TEST(RestorePoint, APointThatCannotBeWrittenLeavesNothingBehind) {
  const struct {
    const char* label;
    Files extra;
    std::vector<Path> files;
    RestorePointFailure failure;
    const char16_t* failedPath;
  } cases[] = {
      {"a file that is not there", {}, {u"1000-2000_0_0.dat", u"1000-2009_0_0.dat"},
       RestorePointFailure::FileNotKept, u"\\1000-2009_0_0.dat"},
      {"a file where the folder belongs", {{u"backup", hex("62")}}, {u"1000-2000_0_0.dat"},
       RestorePointFailure::FolderNotCreated, u"\\backup"},
  };
  for (const auto& c : cases) {
    Edition edition;
    edition.write(kWork);
    edition.write(c.extra);
    const RestorePointResult result = KeepRestorePoint(edition.path(), c.files, kNoon);
    EXPECT_EQ(result.failure, c.failure) << c.label;
    EXPECT_EQ(result.failedPath, edition.path() + c.failedPath) << c.label;
    EXPECT_TRUE(result.point.empty()) << c.label;
    Files expected = kWork;
    expected.insert(c.extra.begin(), c.extra.end());
    EXPECT_EQ(edition.read(), expected) << c.label;
    EXPECT_TRUE(!fs::is_directory(edition.at(u"backup")) || fs::is_empty(edition.at(u"backup"))) << c.label;
  }
}

#ifndef _WIN32
TEST(RestorePoint, AFullDiskLeavesNoPartialPointAndRestoresNothing) {
  Edition edition;
  const Files large = {{u"1000-2000_0_0.dat", Bytes(10, 1)}, {u"1000-2001_0_0.dat", Bytes(5000, 2)}};
  edition.write(large);
  {
    test::FileSizeLimit full(4096);
    const RestorePointResult result =
        KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon);
    EXPECT_EQ(result.failure, RestorePointFailure::FileNotKept);
    EXPECT_EQ(result.failedPath, edition.path() + u"\\1000-2001_0_0.dat");
    EXPECT_TRUE(fs::is_empty(edition.at(u"backup")));
  }

  // The large table's copy cannot be written beside it: the small one, which
  // comes first, is not restored alone.
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon));
  edition.write({{u"1000-2000_0_0.dat", hex("6e 65 77")}, {u"1000-2001_0_0.dat", hex("6e 65 77")}});
  test::FileSizeLimit full(4096);
  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(1));
  EXPECT_EQ(outcome.failure, RestoreFailure::NothingReplaced);
  EXPECT_EQ(outcome.notRestored, std::vector<Path>{u"1000-2001_0_0.dat"});
  EXPECT_EQ(edition.read(), (Files{{u"1000-2000_0_0.dat", hex("6e 65 77")}, {u"1000-2001_0_0.dat", hex("6e 65 77")}}));
  EXPECT_EQ(edition.pointNames(), std::vector<std::u16string>{u"20250304-120005"})
      << "no point for an unchanged edition";
}
#endif

TEST(RestorePoint, RestoringReplacesWhatItCanAndNamesTheRest) {
  Edition edition;
  edition.write(kWork);
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon));
  // Something put a folder where a table was.
  fs::remove(edition.at(u"1000-2001_0_0.dat"));
  fs::create_directory(edition.at(u"1000-2001_0_0.dat"));
  edition.write({{u"1000-2000_0_0.dat", hex("6e 65 77")}});
  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(1));
  EXPECT_EQ(outcome.failure, RestoreFailure::NotAllReplaced);
  EXPECT_EQ(outcome.restored, std::vector<Path>{u"1000-2000_0_0.dat"});
  EXPECT_EQ(outcome.notRestored, std::vector<Path>{u"1000-2001_0_0.dat"});
  EXPECT_EQ(edition.read(), (Files{{u"1000-2000_0_0.dat", kWork.at(u"1000-2000_0_0.dat")},
                                   {u"1000-2000_0_0.dat.org", kWork.at(u"1000-2000_0_0.dat.org")}}));
  EXPECT_TRUE(fs::is_empty(edition.at(u"1000-2001_0_0.dat")));
  EXPECT_EQ(edition.point(outcome.kept.point), (Files{{u"1000-2000_0_0.dat", hex("6e 65 77")}}));
}

TEST(RestorePoint, RestoringPutsBackExactlyThePointsFilesAfterKeepingTheCurrentOnes) {
  Edition edition;
  const Files before = {{u"1000-2000_0_0.dat", hex("6f 6c 64")}, {u"1000-2000_0_0.dat.org", hex("6f 72 67")}};
  edition.write(before);
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}, kNoon));
  // Later work: the table changed, the baseline was removed, a table was added.
  const Files after = {{u"1000-2000_0_0.dat", hex("6e 65 77")}, {u"1000-2001_0_0.dat", hex("61 64 64")}};
  fs::remove(edition.at(u"1000-2000_0_0.dat.org"));
  edition.write(after);
  // Nine later points: the one restored from is the oldest of ten.
  for (int i = 1; i <= 9; ++i) {
    ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2001_0_0.dat"}, minutesAfterNoon(i)));
  }

  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(30));
  EXPECT_EQ(outcome.failure, RestoreFailure::None);
  EXPECT_EQ(outcome.restored, (std::vector<Path>{u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}));
  EXPECT_EQ(edition.read(), (Files{{u"1000-2000_0_0.dat", hex("6f 6c 64")}, {u"1000-2000_0_0.dat.org", hex("6f 72 67")},
                                   {u"1000-2001_0_0.dat", hex("61 64 64")}}));
  // What was there before the restore, and only that, is in the new point.
  EXPECT_EQ(outcome.kept.point, u"20250304-123005");
  EXPECT_EQ(edition.point(u"20250304-123005"), (Files{{u"1000-2000_0_0.dat", hex("6e 65 77")}}));
  EXPECT_EQ(edition.point(u"20250304-120005"), before);
  // The oldest point, the one restored from, stays; the next oldest goes.
  const auto names = edition.pointNames();
  EXPECT_EQ(names.size(), 10u);
  EXPECT_EQ(names.back(), u"20250304-120005");
  EXPECT_EQ(std::count(names.begin(), names.end(), u"20250304-120105"), 0);
}

int run(std::vector<std::u16string> args, cli::CliOutput& output) { return cli::runCli(args, output); }

// What is not a point's name is refused before anything is read or kept.
TEST(CliRestore, ListsThePointsAndRestoresOne) {
  Edition edition;
  edition.write(kWork);
  fs::create_directories(edition.at(u"backup/notes"));
  edition.write({{u"backup/notes/1000-2000_0_0.dat", hex("02")}});
  const std::string usage = "usage: verbarium-cli restore EDITION_DIR [POINT]\n";
  const struct {
    std::vector<std::u16string> args;
    int code;
    std::string err;
  } refusals[] = {
      {{u"restore", edition.path(), u"notes"}, 1, "verbarium-cli: not the name of a restore point: notes\n"},
      {{u"restore", edition.path(), u".."}, 1, "verbarium-cli: not the name of a restore point: ..\n"},
      {{u"restore", edition.path(), u"../backup/notes"}, 1,
       "verbarium-cli: not the name of a restore point: ../backup/notes\n"},
      {{u"restore", edition.path(), u"..\\..\\x"}, 1, "verbarium-cli: not the name of a restore point: ..\\..\\x\n"},
      {{u"restore", edition.path(), u"20990101-000000"}, 1, "verbarium-cli: no restore point 20990101-000000\n"},
      {{u"restore", edition.dir.file(u"none")}, 1,
       "verbarium-cli: no such directory: " + toUtf8(edition.dir.file(u"none")) + "\n"},
      {{u"restore"}, 2, usage},
      {{u"restore", edition.path(), u"20200102-030405", u"x"}, 2, usage},
  };
  for (const auto& c : refusals) {
    cli::CliOutput output;
    EXPECT_EQ(cli::runCli(c.args, output), c.code) << c.err;
    EXPECT_EQ(output.err, c.err);
    EXPECT_EQ(output.out, "");
    EXPECT_EQ(edition.read(), kWork);
    EXPECT_TRUE(edition.pointNames().empty());
  }

  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, {2020, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat.org"}, {2020, 1, 2, 3, 4, 5}));
  edition.write({{u"1000-2000_0_0.dat", hex("6e 65 77")}});
  cli::CliOutput listed, restored;
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"restore", edition.path()}, listed), 0);
  EXPECT_EQ(listed.out, "20200102-030405-2  1 file\n20200102-030405  2 files\n");
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"restore", edition.path(), u"20200102-030405"}, restored), 0)
      << restored.err;
  const std::string kept = toUtf8(edition.pointNames().front());
  EXPECT_EQ(restored.out,
            "restored 2 files from 20200102-030405\nthe files it replaced are in restore point " + kept + "\n");
  EXPECT_EQ(edition.read(), kWork);
  EXPECT_EQ(edition.point(fromUtf8(kept)),
            (Files{{u"1000-2000_0_0.dat", hex("6e 65 77")}, {u"1000-2001_0_0.dat", kWork.at(u"1000-2001_0_0.dat")}}));
}

}  // namespace
}  // namespace verbarium
