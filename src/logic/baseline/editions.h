#pragma once
// The game's editions as the baseline setup knows them: each has a directory
// beside the program named exactly like it, and an unedited archive of a
// known size in bytes.

#include <cstdint>
#include <string_view>

namespace verbarium {

// An edition whose unedited archive has no known size; also what a failed
// size query gives.
inline constexpr std::uint32_t kNoExpectedSize = 0xFFFFFFFF;

struct Edition {
  std::u16string_view name;
  std::uint32_t expectedSize;
  // An unsupported edition gets a warning before every baseline run.
  bool supported;
};

inline constexpr Edition kShadowWars{u"Shadow Wars", 308522, true};
inline constexpr Edition kDragonStorm{u"Dragon Storm", 185807, true};
inline constexpr Edition kFaithInDestiny{u"Faith in Destiny", kNoExpectedSize, false};

}  // namespace verbarium
