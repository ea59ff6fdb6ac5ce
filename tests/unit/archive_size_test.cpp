#include <gtest/gtest.h>

#include "baseline/archive_size.h"
#include "baseline/editions.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

constexpr char16_t kMatches[] = u"ファイルサイズの一致が確認されました。";
constexpr char16_t kMaybeDragonStorm[] = u"これはDragon Stormのファイルかもしれません。\n続行しますか？";
constexpr char16_t kMaybeShadowWars[] = u"これはShadow Warsのファイルかもしれません。\n続行しますか？";
constexpr char16_t kMuchTooSmall[] = u"ファイルサイズがかなり小さいようです。\n続行しますか？";
constexpr char16_t kTooSmall[] = u"ファイルサイズが小さいようです。\n続行しますか？";
constexpr char16_t kTooLarge[] = u"ファイルサイズが大きいようです。\n続行しますか？";
constexpr char16_t kMaybeTranslated[] =
    u"ファイルサイズが大きいようです。\n日本語化済みのファイルかもしれません。\n続行しますか？";

TEST(JudgeArchiveSize, TellsAMatchAndAsksAboutAnyOtherSize) {
  using Kind = SizeVerdict::Kind;
  const struct {
    std::uint32_t size, expected;
    Kind kind;
    const char16_t* text;
  } cases[] = {
      {308522, kShadowWars.expectedSize, Kind::Notice, kMatches},
      {185807, kShadowWars.expectedSize, Kind::Question, kMaybeDragonStorm},
      {308521, kShadowWars.expectedSize, Kind::Question, kMaybeShadowWars},
      {246816, kShadowWars.expectedSize, Kind::Question, kMuchTooSmall},
      {246817, kShadowWars.expectedSize, Kind::Question, kTooSmall},
      {370226, kShadowWars.expectedSize, Kind::Question, kMaybeTranslated},
      {370227, kShadowWars.expectedSize, Kind::Question, kTooLarge},
      // The Dragon Storm button never asks whether its file is Dragon Storm's.
      {185807, kDragonStorm.expectedSize, Kind::Notice, kMatches},
      {148644, kDragonStorm.expectedSize, Kind::Question, kMuchTooSmall},
      {222968, kDragonStorm.expectedSize, Kind::Question, kMaybeTranslated},
      {222969, kDragonStorm.expectedSize, Kind::Question, kTooLarge},
      // Faith in Destiny has no size of its own: only the two probes ask.
      {308522, kFaithInDestiny.expectedSize, Kind::None, u""},
      {185807, kFaithInDestiny.expectedSize, Kind::Question, kMaybeDragonStorm},
      {308521, kFaithInDestiny.expectedSize, Kind::Question, kMaybeShadowWars},
      // An unreadable size is told, never asked about.
      {kNoExpectedSize, kFaithInDestiny.expectedSize, Kind::Notice, u"ファイルサイズを取得できません。"},
      // Thresholds of an expected size near the top are no overflow.
      {0xFFFFFFF0u, 0xFFFFFF00u, Kind::Question, kMaybeTranslated},
  };
  for (const auto& c : cases) {
    const SizeVerdict verdict = JudgeArchiveSize(c.size, c.expected);
    EXPECT_EQ(verdict.kind, c.kind) << c.size << " for " << c.expected;
    EXPECT_TRUE(verdict.text == c.text) << c.size << " for " << c.expected;
  }
}

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
  for (const std::int64_t size : {0x100000000LL + 308522, 0xFFFFFFFFLL}) {
    {
      File file = File::createAlways(path);
      ASSERT_TRUE(file.seek(size - 1, SeekOrigin::Begin));
      ASSERT_EQ(file.write("", 1), 1);
    }
    EXPECT_EQ(QueryFileSize(path), 0xFFFFFFFEu) << size;
  }
#endif
}

}  // namespace
}  // namespace verbarium
