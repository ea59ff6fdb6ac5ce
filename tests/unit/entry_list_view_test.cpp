#include <gtest/gtest.h>

#include "editor/entry_list_view.h"
#include "editor/keyword_history.h"
#include "layout/dpi_scale.h"

namespace verbarium {
namespace {

TEST(EntryListView, StatusLineAndTitleSayWhatIsShown) {
  const std::pair<StatusCounts, std::u16string> cases[] = {
      {{100, 0, 30, 100}, u" ItemCount: 100 / 100  View: 1 - 30"}, {{12, 0, 30, 100}, u" ItemCount: 12 / 100  View: 1 - 12"},
      {{100, 80, 30, 100}, u" ItemCount: 100 / 100  View: 81 - 100"}, {{0, 0, 30, 0}, u" ItemCount: 0 / 0  View: ---"},
      {{5, 0, 0, 5}, u" ItemCount: 5 / 5  View: ---"},
  };
  for (const auto& [counts, text] : cases) { EXPECT_TRUE(statusLineText(counts) == text); }
  EXPECT_TRUE(entryListTitle(u"a.dat") == u"編集するテキストを選択(File:a.dat)");
  EXPECT_TRUE(modifiedTitle(u"t") == u"t*");
  EXPECT_EQ(modifiedTitle(std::u16string(300, u'x')).size(), 256u);
}

// MulDiv's rounding, which the system's own scaling follows.
TEST(DpiScale, RoundsToTheNearestPixelAHalfAwayFromZero) {
  const int cases[][4] = {{40, 96, 144, 60}, {5, 96, 120, 6}, {1, 96, 144, 2}, {-1, 96, 144, -2}, {3, 96, 144, 5},
                          {3, 192, 96, 2}, {-3, 192, 96, -2}, {1, 144, 96, 1}, {60, 144, 192, 80}, {77, 0, 192, 77}};
  for (const auto& [pixels, from, to, scaled] : cases) {
    EXPECT_EQ(rescaledForDpi(pixels, from, to), scaled) << pixels << " from " << from << " to " << to;
    if (from == kBaseDpi) { EXPECT_EQ(scaledToDpi(pixels, to), scaled) << pixels << " at " << to; }
  }
}

// The window never gets too small for its controls: the dragged edge goes back, the opposite one stays.
// The text columns fill the list in the ratio they had, and none vanishes.
TEST(EntryListView, MinimumSizeAndColumnsFollowTheControls) {
  const Size minimum = entryListMinimumSize(200, {60, 24}, {4, 4, 20}, 96);
  EXPECT_EQ(std::pair(minimum.width, minimum.height), std::pair(200 + 120 + 8 + 16, 48 + 16 + 8 + 20));
  Rect left{900, 0, 1000, 10}, topLeft = left;
  enforceMinimumSize(SizingEdge::Left, minimum, left);
  enforceMinimumSize(SizingEdge::TopLeft, minimum, topLeft);
  EXPECT_EQ(left, (Rect{1000 - minimum.width, 0, 1000, 10}));
  EXPECT_EQ(topLeft, (Rect{1000 - minimum.width, 10 - minimum.height, 1000, 10}));
  EXPECT_EQ(fillTextColumns(640, 40, {100, 300}, 96), (TextColumnWidths{150, 450}));
  EXPECT_EQ(fillTextColumns(1680, 80, {1, 10000}, 192), (TextColumnWidths{80, 1520}));
  EXPECT_EQ(fillTextColumns(840, 40, {0, 300}, 96), (TextColumnWidths{0, 800}));
}

// The edit dialog leaves the row it edits in sight wherever the row is.
TEST(EntryListView, TheEditDialogGoesBesideItsRow) {
  const std::pair<Rect, Point> cases[] = {
      {{100, 100, 700, 120}, {200, 120}},   // room below
      {{100, 600, 700, 620}, {200, 300}},   // no room below: above
      {{100, 250, 700, 550}, {200, 500}},   // room neither way: as low as it fits
      {{-50, 100, 1100, 120}, {325, 120}},  // wider than the work area: centred on it
      {{-600, 100, -400, 120}, {0, 120}},   {{900, 100, 1200, 120}, {600, 120}},  // kept inside
  };
  for (const auto& [row, at] : cases) EXPECT_EQ(editDialogPosition(row, {400, 300}, {0, 0, 1000, 800}), at) << row.left;
}

TEST(EntryListView, NeverOpensMinimisedOrHidden) {
  // {stored show command, placement flags (WPF_RESTORETOMAXIMIZED 0x2), show command to open with}
  const std::uint32_t cases[][3] = {{1, 0, 1},  {3, 0, 3},  {2, 0, 1},     {2, 0x2, 3}, {6, 0, 1},
                                    {7, 0x2, 3}, {11, 0, 1}, {0, 0, 1}, {1, 0x2, 1}, {0xFFFF, 0, 1}};
  for (const auto& [stored, flags, opening] : cases) EXPECT_EQ(openingShowCommand(stored, flags), opening) << stored << " " << flags;
}

TEST(KeywordHistory, NewestFirstMergedIgnoringCaseTwentyKept) {
  KeywordHistory history({u"alpha", u"Beta"});
  EXPECT_FALSE(history.recordSearch(u""));
  EXPECT_FALSE(history.recordSearch(u"Foo"));
  EXPECT_TRUE(history.recordSearch(u"foo"));
  EXPECT_TRUE(history.recordSearch(u"BETA"));
  EXPECT_EQ(history.items(), (std::vector<std::u16string>{u"", u"BETA", u"foo", u"alpha"}));
  for (int i = 0; i < 25; ++i) history.recordSearch(u"k" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  const auto stored = history.stored();
  EXPECT_EQ(stored.size(), 20u);
  EXPECT_EQ(stored.front(), u"ky");
  EXPECT_EQ(stored.back(), u"kf");
}

}  // namespace
}  // namespace verbarium
