#pragma once
// The arithmetic of the entry list window that needs no window: its title,
// its status line, where its controls go and how small it may get. Lengths
// are pixels of the window's screen, whose DPI (`dpi`) the margins and the
// columns grow with.

#include <cstdint>
#include <string>

namespace verbarium {

std::u16string entryListTitle(std::u16string_view tablePath);
// The title once the table has changed: one "*" at the end of a title cut,
// as the window reads it back, to 255 units.
std::u16string modifiedTitle(std::u16string_view title);

struct StatusCounts {
  int shown = 0;    // rows in the list
  int top = 0;      // topmost visible row
  int perPage = 0;  // fully visible rows
  int total = 0;    // entries of the table
};
std::u16string statusLineText(const StatusCounts& counts);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};
struct Size {
  int width = 0, height = 0;
};
struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// The columns' widths at 96 DPI, before the person gives them others: the
// number column's, and the Original and Current columns' (which then share
// the list's width).
inline constexpr int kNumberColumnWidth = 40;
inline constexpr int kTextColumnWidth = 160;

// The Original and Current columns' widths that fill the list's client
// width beside the number column, in the ratio the person gave them; each
// keeps at least kNarrowestTextColumn (at 96 DPI), but one the person closed
// (width 0) stays closed.
struct TextColumnWidths {
  int original = 0, current = 0;
  bool operator==(const TextColumnWidths&) const = default;
};
inline constexpr int kNarrowestTextColumn = 40;
TextColumnWidths fillTextColumns(int listWidth, int numberWidth, TextColumnWidths before, int dpi);

// The entry list's size the first time it opens: large enough for whole
// sentences, three quarters of the work area at most.
Size firstEntryListSize(Size dialog, Size workArea, int dpi);

// Where the edit dialog goes so that the row it edits stays in sight: just
// below the row where the work area has room, else just above it, else as
// near below it as the work area allows; centred on the row and inside the
// work area from side to side.
Point editDialogPosition(const Rect& row, Size dialog, const Rect& workArea);

// Sizes of the controls that keep theirs.
struct EntryListControlSizes {
  Size search;
  int keywordHeight = 0;
  Size cancel;
  int statusWidth = 0;
};

struct EntryListLayout {
  Rect search, keyword, list, cancel, save, status;
};

EntryListLayout layOutEntryList(int clientWidth, int clientHeight, const EntryListControlSizes& sizes, int dpi);

struct FrameMetrics {
  int frameWidth = 0;   // SM_CXFRAME
  int frameHeight = 0;  // SM_CYFRAME
  int caption = 0;      // SM_CYCAPTION
};
Size entryListMinimumSize(int statusWidth, Size save, const FrameMetrics& frame, int dpi);

// The edges of a drag, as WM_SIZING names them (WMSZ_*).
enum class SizingEdge { Left = 1, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };
// Corrects the dragged rectangle in place so it is not below the minimum.
void enforceMinimumSize(SizingEdge edge, Size minimum, Rect& dragged);

// The show state to open the window in, from the stored placement's show
// command (SW_*) and flags (WPF_*). A window that opened minimised would sit
// out of sight while its owner stays disabled, so a minimised one opens as it
// was before it was minimised; any other state but maximised opens normal.
std::uint32_t openingShowCommand(std::uint32_t storedShowCommand, std::uint32_t flags);

}  // namespace verbarium
