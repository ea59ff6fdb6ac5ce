#include "baseline/archive_size.h"

#include "baseline/editions.h"

namespace verbarium {

namespace {

// Sizes that point to the archive of one particular edition, whichever
// button was pressed. The Shadow Wars probe is one byte short of that
// edition's own size, so its own button still asks about it.
constexpr std::uint32_t kDragonStormProbe = kDragonStorm.expectedSize;
constexpr std::uint32_t kShadowWarsProbe = kShadowWars.expectedSize - 1;

using Kind = SizeVerdict::Kind;

// A fraction of the expected size, cut toward zero as the thresholds have
// always been; clamped so that no product can overflow the conversion.
std::uint32_t scaled(std::uint32_t expected, double factor) {
  const double product = static_cast<double>(expected) * factor;
  return product >= static_cast<double>(kNoExpectedSize) ? kNoExpectedSize : static_cast<std::uint32_t>(product);
}

}  // namespace

std::uint32_t QueryFileSize(const Path& path) {
  File file = File::openForReading(path);
  if (!file.isOpen()) return kNoExpectedSize;
  const std::int64_t size = file.size();
  if (size < 0) return kNoExpectedSize;
  // Cutting a larger size to its low 32 bits could make a huge file pass
  // for an edition's archive.
  if (size >= static_cast<std::int64_t>(kNoExpectedSize)) return kNoExpectedSize - 1;
  return static_cast<std::uint32_t>(size);
}

SizeVerdict JudgeArchiveSize(std::uint32_t size, std::uint32_t expectedSize) {
  if (size == kNoExpectedSize) return {Kind::Notice, u"ファイルサイズを取得できません。"};
  if (size == expectedSize) return {Kind::Notice, u"ファイルサイズの一致が確認されました。"};
  if (size == kDragonStormProbe) {
    return {Kind::Question, u"これはDragon Stormのファイルかもしれません。\n続行しますか？"};
  }
  if (size == kShadowWarsProbe) {
    return {Kind::Question, u"これはShadow Warsのファイルかもしれません。\n続行しますか？"};
  }
  if (expectedSize == kNoExpectedSize) return {};
  if (size < scaled(expectedSize, 0.8)) {
    return {Kind::Question, u"ファイルサイズがかなり小さいようです。\n続行しますか？"};
  }
  if (size < expectedSize) return {Kind::Question, u"ファイルサイズが小さいようです。\n続行しますか？"};
  if (size > scaled(expectedSize, 1.2)) return {Kind::Question, u"ファイルサイズが大きいようです。\n続行しますか？"};
  return {Kind::Question, u"ファイルサイズが大きいようです。\n日本語化済みのファイルかもしれません。\n続行しますか？"};
}

}  // namespace verbarium
