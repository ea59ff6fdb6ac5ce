#include <gtest/gtest.h>

#include "archive/restore_point.h"
#include "platform/utf.h"
#include "support/file_size_limit.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::u16string>;

constexpr LocalTime kNoon{2025, 3, 4, 12, 0, 5};
LocalTime minutesAfterNoon(int minutes) { return {2025, 3, 4, 12, minutes, 5}; }
const Bytes kNew = hex("6e 65 77");
const std::u16string kA = u"1000-2000_0_0.dat", kB = u"1000-2001_0_0.dat", kOrg = u"1000-2000_0_0.dat.org";
const FileTree kWork = {{"1000-2000_0_0.dat", hex("77 31")}, {"1000-2001_0_0.dat", hex("77 32")},
                        {"1000-2000_0_0.dat.org", hex("6f 72 67")}};

struct Edition : TempDir {
  Edition() { layTree(path(), kWork); }
  FileTree tables() const { return restorePointsByName(treeOf(path()), false); }
  FileTree point(std::u16string_view name) const { return treeOf(path() / "backup" / name); }
  Names points() const {
    Names names;
    for (const RestorePointEntry& entry : ListRestorePoints(pathText())) names.push_back(entry.name);
    return names;
  }
};

TEST(RestorePoint, OnlyAPointsOwnSpellingIsAName) {
  const std::pair<const char16_t*, bool> cases[] = {
      {u"20250304-120005", true},    {u"20250304-120005-2", true},   {u"20250304-120005-10", true},
      {u"20250304-120005-1", false}, {u"20250304-120005-02", false}, {u"20250304_120005", false},
      {u"20250304-12000a", false},   {u"../20250304-120005", false}, {u"\uff12\uff10250304-120005", false},
  };
  for (const auto& [name, isPoint] : cases) EXPECT_EQ(IsRestorePointName(name), isPoint) << toUtf8(name);
}

// Nine more points of one second: "-10" is newer than "-9". A restore from
// the oldest keeps the current files, those alone, in a new point and spares
// the one restored from; a point of an earlier time than all others still
// counts as the new one. What else is in the backup folder stays.
TEST(RestorePoint, KeepsTheNewestTenAndRestoresExactlyThePointsFiles) {
  Edition edition;
  ASSERT_TRUE(KeepRestorePoint(edition.pathText(), {}, kNoon));
  EXPECT_FALSE(fs::exists(edition.path() / "backup")) << "nothing to keep, no folder";
  const FileTree other = {{"notes/1000-2000_0_0.dat", hex("02")}, {"notes/", {}}, {"readme.txt", hex("01")}};
  layTree(edition.path() / "backup", other);
  ASSERT_EQ(KeepRestorePoint(edition.pathText(), {kA, kOrg}, kNoon).point, u"20250304-120005");
  fs::remove(edition.path() / kOrg);
  layTree(edition.path(), {{"1000-2000_0_0.dat", kNew}});
  Names expected = {u"20250304-120005"};
  for (int i = 2; i <= 10; ++i) {
    const Path name = u"20250304-120005-" + asciiToUtf16(std::to_string(i));
    ASSERT_EQ(KeepRestorePoint(edition.pathText(), {kB}, kNoon).point, name);
    expected.insert(expected.begin(), name);
  }
  EXPECT_EQ(edition.points(), expected);
  const RestoreOutcome outcome = RestoreFromPoint(edition.pathText(), u"20250304-120005", minutesAfterNoon(30));
  EXPECT_EQ(outcome.failure, RestoreFailure::None);
  EXPECT_EQ(RestoreFromPoint(edition.pathText(), u"20990101-000000").failure, RestoreFailure::NoSuchPoint);
  EXPECT_EQ(outcome.restored, (Names{kA, kOrg}));
  EXPECT_EQ(edition.tables(), kWork);
  EXPECT_EQ(edition.point(outcome.kept.point), (FileTree{{"1000-2000_0_0.dat", kNew}}));
  EXPECT_EQ(edition.points().back(), u"20250304-120005");
  ASSERT_TRUE(KeepRestorePoint(edition.pathText(), {kB}, {2024, 12, 31, 23, 59, 59}));
  expected.erase(expected.end() - 2, expected.end());
  expected.insert(expected.begin(), u"20250304-123005");
  expected.push_back(u"20241231-235959");
  EXPECT_EQ(edition.points(), expected);
  EXPECT_EQ(edition.point(u"20241231-235959"), (FileTree{{"1000-2001_0_0.dat", hex("77 32")}}));
  FileTree backup = treeOf(edition.path() / "backup");
  std::erase_if(backup, [](const auto& file) { return file.first.starts_with("20"); });
  EXPECT_EQ(backup, other);
}

#ifndef _WIN32
// The large table's copy cannot be written: no partial point is left. Then
// the large table cannot be restored beside itself: the small one, which
// comes first, is not restored alone, and no point is kept.
TEST(RestorePoint, AFullDiskLeavesNoPartialPointAndRestoresNothing) {
  Edition edition;
  layTree(edition.path(), {{"1000-2001_0_0.dat", Bytes(5000, 2)}});
  {
    FileSizeLimit full(4096);
    EXPECT_EQ(KeepRestorePoint(edition.pathText(), {kA, kB}, kNoon).failure, RestorePointFailure::FileNotKept);
    EXPECT_TRUE(fs::is_empty(edition.path() / "backup"));
  }
  ASSERT_TRUE(KeepRestorePoint(edition.pathText(), {kA, kB}, kNoon));
  const FileTree changed = {{"1000-2000_0_0.dat", kNew}, {"1000-2001_0_0.dat", kNew}};
  layTree(edition.path(), changed);
  const FileTree before = edition.tables();
  FileSizeLimit full(4096);
  const RestoreOutcome outcome = RestoreFromPoint(edition.pathText(), u"20250304-120005", minutesAfterNoon(1));
  EXPECT_EQ(outcome.failure, RestoreFailure::NothingReplaced);
  EXPECT_EQ(outcome.notRestored, Names{kB});
  EXPECT_EQ(edition.tables(), before);
  EXPECT_EQ(edition.points(), Names{u"20250304-120005"});
}
#endif

}  // namespace
}  // namespace verbarium
