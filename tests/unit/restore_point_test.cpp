#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/restore_point.h"
#include "cli_app.h"
#include "platform/utf.h"
#include "support/file_size_limit.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr LocalTime kNoon{2025, 3, 4, 12, 0, 5};

LocalTime minutesAfterNoon(int minutes) { return {2025, 3, 4, 12, minutes, 5}; }

// An edition directory and what lies in it.
struct Edition {
  TempDir dir;

  Path path() const { return dir.pathText(); }
  fs::path at(std::string_view relative) const { return dir.path() / relative; }
  void write(const FileTree& files) const { layTree(dir.path(), files); }
  // Everything but the backup folder.
  FileTree tables() const {
    FileTree files = treeOf(dir.path());
    std::erase_if(files, [](const auto& file) { return file.first.starts_with("backup/"); });
    return files;
  }
  FileTree point(std::u16string_view name) const { return treeOf(at("backup") / name); }
  std::vector<std::u16string> pointNames() const {
    std::vector<std::u16string> names;
    for (const RestorePointEntry& entry : ListRestorePoints(path())) names.push_back(entry.name);
    return names;
  }
};

const Bytes kNew = hex("6e 65 77");
const FileTree kWork = {{"1000-2000_0_0.dat", hex("77 6f 72 6b 31")},
                        {"1000-2001_0_0.dat", hex("77 6f 72 6b 32")},
                        {"1000-2000_0_0.dat.org", hex("6f 72 67")}};

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
  EXPECT_FALSE(fs::exists(edition.at("backup"))) << "nothing to keep, no folder";
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
    FileTree expected;
    for (const Path& file : run.files) expected[toUtf8(file)] = kWork.at(toUtf8(file));
    EXPECT_EQ(edition.point(run.name), expected) << toUtf8(run.name);
  }
  EXPECT_EQ(edition.tables(), kWork);
  EXPECT_EQ(edition.pointNames(),
            (std::vector<std::u16string>{u"20250304-120005-3", u"20250304-120005-2", u"20250304-120005"}));
  EXPECT_EQ(ListRestorePoints(edition.path())[2].fileCount, 2u);
}

// Eleven points of one second: "-10" and "-11" are newer than "-9". A point
// of an earlier time than all others still counts as the new one.
TEST(RestorePoint, TheNewestTenStayAndNothingElseInBackupIsTouched) {
  Edition edition;
  edition.write(kWork);
  const FileTree other = {{"notes/1000-2000_0_0.dat", hex("02")}, {"notes/", {}}, {"readme.txt", hex("01")}};
  layTree(edition.at("backup"), other);
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat"}, kNoon));
  std::vector<std::u16string> expected;
  for (int i = 11; i >= 2; --i) expected.push_back(u"20250304-120005-" + asciiToUtf16(std::to_string(i)));
  EXPECT_EQ(edition.pointNames(), expected);

  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2001_0_0.dat"}, {2024, 12, 31, 23, 59, 59}));
  expected.pop_back();
  expected.push_back(u"20241231-235959");
  EXPECT_EQ(edition.pointNames(), expected);
  FileTree backup = treeOf(edition.at("backup"));
  std::erase_if(backup, [](const auto& file) { return file.first.starts_with("20"); });
  EXPECT_EQ(backup, other);
}

TEST(RestorePoint, APointThatCannotBeWrittenLeavesNothingBehind) {
  const struct {
    const char* label;
    FileTree extra;
    std::vector<Path> files;
    RestorePointFailure failure;
    const char16_t* failedPath;
  } cases[] = {
      {"a file that is not there", {}, {u"1000-2000_0_0.dat", u"1000-2009_0_0.dat"}, RestorePointFailure::FileNotKept,
       u"\\1000-2009_0_0.dat"},
      {"a file where the folder belongs", {{"backup", hex("62")}}, {u"1000-2000_0_0.dat"},
       RestorePointFailure::FolderNotCreated, u"\\backup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Edition edition;
    edition.write(kWork);
    edition.write(c.extra);
    const FileTree before = treeOf(edition.dir.path());
    const RestorePointResult result = KeepRestorePoint(edition.path(), c.files, kNoon);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.failedPath, edition.path() + c.failedPath);
    EXPECT_TRUE(result.point.empty());
    FileTree after = treeOf(edition.dir.path());
    after.erase("backup/");  // the folder may stay, empty
    EXPECT_EQ(after, before);
  }
}

#ifndef _WIN32
// The large table's copy cannot be written: no partial point is left. Then
// the large table cannot be restored beside itself: the small one, which
// comes first, is not restored alone, and no point is kept.
TEST(RestorePoint, AFullDiskLeavesNoPartialPointAndRestoresNothing) {
  Edition edition;
  const FileTree large = {{"1000-2000_0_0.dat", Bytes(10, 1)}, {"1000-2001_0_0.dat", Bytes(5000, 2)}};
  edition.write(large);
  {
    FileSizeLimit full(4096);
    const RestorePointResult result =
        KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon);
    EXPECT_EQ(result.failure, RestorePointFailure::FileNotKept);
    EXPECT_EQ(result.failedPath, edition.path() + u"\\1000-2001_0_0.dat");
    EXPECT_TRUE(fs::is_empty(edition.at("backup")));
  }
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon));
  const FileTree changed = {{"1000-2000_0_0.dat", kNew}, {"1000-2001_0_0.dat", kNew}};
  edition.write(changed);
  FileSizeLimit full(4096);
  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(1));
  EXPECT_EQ(outcome.failure, RestoreFailure::NothingReplaced);
  EXPECT_EQ(outcome.notRestored, std::vector<Path>{u"1000-2001_0_0.dat"});
  EXPECT_EQ(edition.tables(), changed);
  EXPECT_EQ(edition.pointNames(), std::vector<std::u16string>{u"20250304-120005"});
}
#endif

// Something put a folder where a table was.
TEST(RestorePoint, RestoringReplacesWhatItCanAndNamesTheRest) {
  Edition edition;
  edition.write(kWork);
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, kNoon));
  fs::remove(edition.at("1000-2001_0_0.dat"));
  edition.write({{"1000-2001_0_0.dat/", {}}, {"1000-2000_0_0.dat", kNew}});
  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(1));
  EXPECT_EQ(outcome.failure, RestoreFailure::NotAllReplaced);
  EXPECT_EQ(outcome.restored, std::vector<Path>{u"1000-2000_0_0.dat"});
  EXPECT_EQ(outcome.notRestored, std::vector<Path>{u"1000-2001_0_0.dat"});
  EXPECT_EQ(edition.tables(), (FileTree{{"1000-2000_0_0.dat", kWork.at("1000-2000_0_0.dat")}, {"1000-2001_0_0.dat/", {}},
                                        {"1000-2000_0_0.dat.org", kWork.at("1000-2000_0_0.dat.org")}}));
  EXPECT_EQ(edition.point(outcome.kept.point), (FileTree{{"1000-2000_0_0.dat", kNew}}));
}

// Later work changed the table, removed the baseline and added a table, and
// kept nine points: the one restored from is the oldest of ten. What was
// there before the restore, and only that, is in the new point; the point
// restored from stays, the next oldest goes.
TEST(RestorePoint, RestoringPutsBackExactlyThePointsFilesAfterKeepingTheCurrentOnes) {
  Edition edition;
  const FileTree before = {{"1000-2000_0_0.dat", hex("6f 6c 64")}, {"1000-2000_0_0.dat.org", hex("6f 72 67")}};
  edition.write(before);
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}, kNoon));
  fs::remove(edition.at("1000-2000_0_0.dat.org"));
  edition.write({{"1000-2000_0_0.dat", kNew}, {"1000-2001_0_0.dat", hex("61 64 64")}});
  for (int i = 1; i <= 9; ++i) {
    ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2001_0_0.dat"}, minutesAfterNoon(i)));
  }

  const RestoreOutcome outcome = RestoreFromPoint(edition.path(), u"20250304-120005", minutesAfterNoon(30));
  EXPECT_EQ(outcome.failure, RestoreFailure::None);
  EXPECT_EQ(outcome.restored, (std::vector<Path>{u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}));
  FileTree restored = before;
  restored["1000-2001_0_0.dat"] = hex("61 64 64");
  EXPECT_EQ(edition.tables(), restored);
  EXPECT_EQ(outcome.kept.point, u"20250304-123005");
  EXPECT_EQ(edition.point(u"20250304-123005"), (FileTree{{"1000-2000_0_0.dat", kNew}}));
  EXPECT_EQ(edition.point(u"20250304-120005"), before);
  const auto names = edition.pointNames();
  EXPECT_EQ(names.size(), 10u);
  EXPECT_EQ(names.back(), u"20250304-120005");
  EXPECT_EQ(std::count(names.begin(), names.end(), u"20250304-120105"), 0);
}

// What is not a point's name is refused before anything is read or kept.
TEST(CliRestore, ListsThePointsAndRestoresOne) {
  Edition edition;
  edition.write(kWork);
  edition.write({{"backup/notes/1000-2000_0_0.dat", hex("02")}});
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
    EXPECT_EQ(edition.tables(), kWork);
    EXPECT_TRUE(edition.pointNames().empty());
  }

  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat", u"1000-2001_0_0.dat"}, {2020, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(KeepRestorePoint(edition.path(), {u"1000-2000_0_0.dat.org"}, {2020, 1, 2, 3, 4, 5}));
  edition.write({{"1000-2000_0_0.dat", kNew}});
  cli::CliOutput listed, restored;
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"restore", edition.path()}, listed), 0);
  EXPECT_EQ(listed.out, "20200102-030405-2  1 file\n20200102-030405  2 files\n");
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"restore", edition.path(), u"20200102-030405"}, restored), 0)
      << restored.err;
  const std::string kept = toUtf8(edition.pointNames().front());
  EXPECT_EQ(restored.out,
            "restored 2 files from 20200102-030405\nthe files it replaced are in restore point " + kept + "\n");
  EXPECT_EQ(edition.tables(), kWork);
  EXPECT_EQ(edition.point(fromUtf8(kept)),
            (FileTree{{"1000-2000_0_0.dat", kNew}, {"1000-2001_0_0.dat", kWork.at("1000-2001_0_0.dat")}}));
}

}  // namespace
}  // namespace verbarium
