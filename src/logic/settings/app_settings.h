#pragma once
// The settings that outlive a run: where the entry list window was, how wide
// its columns were, and the search keywords. They live in a profile file in
// the program directory, read once at start and written once at the end.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/file.h"

namespace verbarium {

// The Win32 WINDOWPLACEMENT record, field for field, so that the window
// layer copies it as a whole and the settings file holds its 44 bytes. A
// trivial type like its model: `WindowPlacement{}` is all zero.
struct WindowPlacement {
  struct Point {
    std::int32_t x;
    std::int32_t y;
    bool operator==(const Point&) const = default;
  };
  struct Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
    bool operator==(const Rect&) const = default;
  };

  std::uint32_t length;  // 0 when no placement was ever stored
  std::uint32_t flags;
  std::uint32_t showCmd;
  Point minPosition;
  Point maxPosition;
  Rect normalPosition;

  bool operator==(const WindowPlacement&) const = default;
};
static_assert(sizeof(WindowPlacement) == 44, "the settings file holds the 44 bytes of WINDOWPLACEMENT");
static_assert(std::is_trivial_v<WindowPlacement>, "copied byte for byte to and from WINDOWPLACEMENT");

struct AppSettings {
  // Lives only as long as the run: every start begins with it off.
  bool replaceAllSameOriginal = false;
  WindowPlacement windowPlacement{};
  std::array<int, 4> columnWidths{};
  // Newest first.
  std::vector<std::u16string> keywordHistory;
};

// Always with its directory: the Windows profile functions would look for a
// bare name in the Windows directory.
inline constexpr char16_t kSettingsFileName[] = u".\\Verbarium.ini";
// Keywords beyond this many are neither read nor written.
inline constexpr std::size_t kKeywordHistoryLimit = 20;

// Fields whose keys are missing keep their values, except the keyword
// history, which becomes what the file holds.
void loadSettings(AppSettings& settings, const Path& file);
// False when any part did not reach the file. Keyword keys that this history
// does not fill are removed, so that an old keyword does not come back.
bool writeSettings(const AppSettings& settings, const Path& file);

}  // namespace verbarium
