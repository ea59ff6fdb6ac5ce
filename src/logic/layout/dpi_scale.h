#pragma once
// The lengths the windows' code gives itself (margins, column widths, a first
// size) are pixels of a 96 DPI screen. On a screen of more DPI the dialog
// templates grow with their font; these lengths grow in the same step, or the
// controls they place would crowd together and their columns cut the texts.

namespace verbarium {

inline constexpr int kBaseDpi = 96;

// `pixels` of a 96 DPI screen on a screen of `dpi`, to the nearest pixel, a
// half away from zero, as the system's own MulDiv rounds.
constexpr int scaledToDpi(int pixels, int dpi) {
  const long long product = static_cast<long long>(pixels) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

}  // namespace verbarium
