#pragma once
// The lengths the windows' code gives itself (margins, column widths, a first
// size) are pixels of a 96 DPI screen. On a screen of more DPI the dialog
// templates grow with their font; these lengths grow in the same step, or the
// controls they place would crowd together and their columns cut the texts.

namespace verbarium {

inline constexpr int kBaseDpi = 96;

// `pixels` of a screen of `fromDpi` on a screen of `toDpi`, to the nearest
// pixel, a half away from zero, as the system's own MulDiv rounds.
constexpr int rescaledForDpi(int pixels, int fromDpi, int toDpi) {
  if (fromDpi <= 0) return pixels;
  const long long product = static_cast<long long>(pixels) * toDpi;
  const long long half = fromDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / fromDpi : -((-product + half) / fromDpi));
}

// `pixels` of a 96 DPI screen on a screen of `dpi`.
constexpr int scaledToDpi(int pixels, int dpi) { return rescaledForDpi(pixels, kBaseDpi, dpi); }

}  // namespace verbarium
