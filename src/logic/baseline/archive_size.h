#pragma once
// The size test of a chosen archive: an unedited archive of an edition has a
// known size, so a size that differs hints at another edition's archive or
// one that was already translated.

#include <cstdint>
#include <string_view>

#include "platform/file.h"

namespace verbarium {

// The file's size in bytes, or kNoExpectedSize when it cannot be opened.
// A size that does not fit below kNoExpectedSize reads as kNoExpectedSize - 1:
// far too large for any edition, never mistaken for a small one.
std::uint32_t QueryFileSize(const Path& path);

struct SizeVerdict {
  enum class Kind { None, Notice, Question };
  Kind kind = Kind::None;
  std::u16string_view text;  // empty for None
};

// What to tell or ask the person about an archive of `size` bytes chosen for
// an edition whose archive has `expectedSize` bytes (kNoExpectedSize: none).
// The first test that applies decides.
SizeVerdict JudgeArchiveSize(std::uint32_t size, std::uint32_t expectedSize);

}  // namespace verbarium
