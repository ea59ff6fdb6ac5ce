#pragma once
// The game's editions as the baseline setup knows them: each has a directory
// beside the program named exactly like it, and an unedited archive of a
// known size in bytes.

#include <array>
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

// Every edition, in the order the windows show them: the main window's tabs
// and the baseline setup's buttons.
inline constexpr std::array<Edition, 3> kEditions = {kShadowWars, kDragonStorm, kFaithInDestiny};

}  // namespace verbarium
