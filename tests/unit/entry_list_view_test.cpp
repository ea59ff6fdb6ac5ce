#include <gtest/gtest.h>

#include "editor/entry_list_view.h"
#include "editor/keyword_history.h"
#include "layout/dpi_scale.h"

namespace verbarium {
namespace {

std::pair<int, int> wh(Size size) { return {size.width, size.height}; }

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

// The window never shrinks below what its controls need: the dragged edge moves back, the opposite one stays.
TEST(EntryListView, MinimumSizeCorrectsTheDraggedEdges) {
  const Size minimum = entryListMinimumSize(200, {60, 24}, {4, 4, 20}, 96);
  EXPECT_EQ(wh(minimum), wh({200 + 120 + 8 + 16, 48 + 16 + 8 + 20}));
  EXPECT_EQ(wh(entryListMinimumSize(400, {120, 48}, {8, 8, 40}, 192)), wh({400 + 240 + 16 + 32, 96 + 32 + 16 + 40}));
  const std::pair<SizingEdge, Rect> drags[] = {
      {SizingEdge::Left, {1000 - minimum.width, 0, 1000, 10}}, {SizingEdge::Right, {900, 0, 900 + minimum.width, 10}},
      {SizingEdge::TopLeft, {1000 - minimum.width, 10 - minimum.height, 1000, 10}},
      {SizingEdge::BottomRight, {900, 0, 900 + minimum.width, minimum.height}},
  };
  for (const auto& [edge, expected] : drags) {
    Rect dragged{900, 0, 1000, 10};
    enforceMinimumSize(edge, minimum, dragged);
    EXPECT_EQ(dragged, expected) << static_cast<int>(edge);
  }
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

// The text columns fill the list in the ratio they had; the first window is
// as large as whole sentences want and the screen allows.
TEST(EntryListView, TextColumnsFillTheListAndTheFirstWindowIsRoomy) {
  const struct {
    int listWidth, numberWidth, dpi;
    TextColumnWidths before, after;
  } cases[] = {{640, 40, 96, {100, 300}, {150, 450}}, {440, 40, 96, {0, 0}, {200, 200}}, {60, 40, 96, {160, 160}, {40, 40}},
               {840, 40, 96, {0, 300}, {0, 800}},     {1680, 80, 192, {1, 10000}, {80, 1520}}};
  for (const auto& c : cases) EXPECT_EQ(fillTextColumns(c.listWidth, c.numberWidth, c.before, c.dpi), c.after) << c.listWidth;
  const struct {
    Size dialog, screen;
    int dpi;
    Size first;
  } windows[] = {{{400, 300}, {1280, 1000}, 96, {900, 640}}, {{400, 300}, {800, 600}, 96, {600, 450}},
                 {{700, 500}, {800, 600}, 96, {700, 500}},   {{800, 600}, {3840, 2160}, 192, {1800, 1280}},
                 {{800, 600}, {2560, 1440}, 192, {1800, 1080}}};
  for (const auto& w : windows) EXPECT_EQ(wh(firstEntryListSize(w.dialog, w.screen, w.dpi)), wh(w.first)) << w.screen.width;
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
