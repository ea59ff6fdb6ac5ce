#include <gtest/gtest.h>

#include "baseline/archive_size.h"
#include "baseline/editions.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

TEST(QueryFileSize, GivesTheSizeOrTheFailureValue) {
  test::TempDir dir;
  const auto path = dir.file(u"chosen.cff");
  EXPECT_EQ(QueryFileSize(dir.file(u"missing.cff")), kNoExpectedSize);
  test::writeFileBytes(path, {});
  EXPECT_EQ(QueryFileSize(path), 0u);
  test::writeFileBytes(path, test::Bytes(308522, 0));
  EXPECT_EQ(QueryFileSize(path), 308522u);
#ifndef _WIN32
  // Files past 4 GiB, made with a hole: their low 32 bits must not pass for
  // an edition's size, nor for a failed query.
  const struct {
    std::int64_t size;
    const char* label;
  } huge[] = {{0x100000000LL + 308522, "4 GiB and the Shadow Wars size"}, {0xFFFFFFFFLL, "all 32 bits set"}};
  for (const auto& c : huge) {
    {
      File file = File::createAlways(path);
      ASSERT_TRUE(file.seek(c.size - 1, SeekOrigin::Begin));
      ASSERT_EQ(file.write("", 1), 1);
    }
    EXPECT_EQ(QueryFileSize(path), 0xFFFFFFFEu) << c.label;
    EXPECT_EQ(JudgeArchiveSize(QueryFileSize(path), kShadowWars.expectedSize).text,
              u"ファイルサイズが大きいようです。\n続行しますか？")
        << c.label;
  }
#endif
}

TEST(JudgeArchiveSize, AnUnreadableSizeIsToldAndNeverAsked) {
  for (const auto& edition : {kShadowWars, kDragonStorm, kFaithInDestiny}) {
    const SizeVerdict verdict = JudgeArchiveSize(kNoExpectedSize, edition.expectedSize);
    EXPECT_EQ(verdict.kind, SizeVerdict::Kind::Notice);
    EXPECT_EQ(verdict.text, u"ファイルサイズを取得できません。");
  }
  // Thresholds of an expected size near the top are no overflow.
  EXPECT_EQ(JudgeArchiveSize(0xFFFFFFF0u, 0xFFFFFF00u).text,
            u"ファイルサイズが大きいようです。\n日本語化済みのファイルかもしれません。\n続行しますか？");
}

}  // namespace
}  // namespace verbarium
