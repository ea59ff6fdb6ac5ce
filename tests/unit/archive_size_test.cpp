#include <gtest/gtest.h>

#include "baseline/archive_size.h"
#include "baseline/editions.h"

namespace verbarium {
namespace {

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

}  // namespace
}  // namespace verbarium
