#include <gtest/gtest.h>

#include "editor/entry_list_view.h"
#include "editor/keyword_history.h"
#include "layout/dpi_scale.h"

namespace verbarium {
namespace {

TEST(EntryListView, StatusLineCountsShownAndVisibleRows) {
  const std::pair<StatusCounts, std::u16string> cases[] = {
      {{100, 0, 30, 100}, u" ItemCount: 100 / 100  View: 1 - 30"},
      {{12, 0, 30, 100}, u" ItemCount: 12 / 100  View: 1 - 12"},
      {{100, 80, 30, 100}, u" ItemCount: 100 / 100  View: 81 - 100"},
      {{0, 0, 30, 0}, u" ItemCount: 0 / 0  View: ---"},
      {{5, 0, 0, 5}, u" ItemCount: 5 / 5  View: ---"},
  };
  for (const auto& [counts, text] : cases) EXPECT_TRUE(statusLineText(counts) == text);
}

TEST(EntryListView, TitleCarriesOneModifiedMark) {
  EXPECT_TRUE(entryListTitle(u"a.dat") == u"編集するテキストを選択(File:a.dat)");
  EXPECT_TRUE(modifiedTitle(u"t") == u"t*");
  EXPECT_EQ(modifiedTitle(std::u16string(300, u'x')).size(), 256u);
}

TEST(EntryListView, LayoutKeepsMarginsAndFixedSizes) {
  struct Case {
    const char* name;
    int dpi;
    EntryListControlSizes sizes;
    EntryListLayout expected;
  };
  const Case cases[] = {
      {"small controls: the list ends 30 above the bottom", 96,
       {{50, 16}, 20, {60, 20}, 200},
       {{546, 4, 596, 20}, {4, 4, 542, 24}, {4, 28, 596, 370}, {536, 376, 596, 396}, {472, 376, 532, 396},
        {4, 376, 204, 396}}},
      {"tall buttons: the list ends a margin above them", 96,
       {{50, 26}, 22, {60, 27}, 200},
       {{546, 4, 596, 30}, {4, 4, 542, 26}, {4, 34, 596, 365}, {536, 369, 596, 396}, {472, 369, 532, 396},
        {4, 369, 204, 396}}},
      {"a keyword box taller than the search button", 96,
       {{50, 20}, 30, {60, 24}, 200},
       {{546, 4, 596, 24}, {4, 4, 542, 34}, {4, 38, 596, 368}, {536, 372, 596, 396}, {472, 372, 532, 396},
        {4, 372, 204, 396}}},
      {"144 DPI: margins of 6, the list ends 45 above the bottom", 144,
       {{75, 24}, 30, {90, 30}, 300},
       {{519, 6, 594, 30}, {6, 6, 513, 36}, {6, 42, 594, 355}, {504, 364, 594, 394}, {408, 364, 498, 394},
        {6, 364, 306, 394}}},
      {"192 DPI: margins of 8, the list ends a margin above the buttons", 192,
       {{100, 32}, 40, {120, 54}, 400},
       {{492, 8, 592, 40}, {8, 8, 484, 48}, {8, 56, 592, 330}, {472, 338, 592, 392}, {344, 338, 464, 392},
        {8, 338, 408, 392}}},
  };
  for (const Case& c : cases) {
    EntryListLayout l = layOutEntryList(600, 400, c.sizes, c.dpi);
    EXPECT_EQ(l.search, c.expected.search) << c.name;
    EXPECT_EQ(l.keyword, c.expected.keyword) << c.name;
    EXPECT_EQ(l.list, c.expected.list) << c.name;
    EXPECT_EQ(l.cancel, c.expected.cancel) << c.name;
    EXPECT_EQ(l.save, c.expected.save) << c.name;
    EXPECT_EQ(l.status, c.expected.status) << c.name;
  }
}

// MulDiv's rounding, which the system's own scaling follows.
TEST(DpiScale, RoundsToTheNearestPixelAHalfAwayFromZero) {
  struct Case {
    int pixels, fromDpi, toDpi, scaled;
  } cases[] = {
      {40, 96, 96, 40},    {40, 96, 144, 60},  {40, 96, 192, 80},     {160, 96, 120, 200}, {5, 96, 120, 6},
      {1, 96, 144, 2},     {-1, 96, 144, -2},  {3, 96, 144, 5},       {0, 96, 192, 0},     {900, 96, 240, 2250},
      {60, 144, 192, 80},  {80, 192, 96, 40},  {3, 192, 96, 2},       {-3, 192, 96, -2},   {1, 144, 96, 1},
      {77, 0, 192, 77},  // no DPI to scale from
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rescaledForDpi(c.pixels, c.fromDpi, c.toDpi), c.scaled)
        << c.pixels << " from " << c.fromDpi << " to " << c.toDpi;
    if (c.fromDpi == kBaseDpi) {
      EXPECT_EQ(scaledToDpi(c.pixels, c.toDpi), c.scaled) << c.pixels << " at " << c.toDpi;
    }
  }
}

TEST(EntryListView, MinimumSizeCorrectsTheDraggedEdges) {
  Size minimum = entryListMinimumSize(200, {60, 24}, {4, 4, 20}, 96);
  EXPECT_EQ(minimum.width, 200 + 120 + 8 + 16);
  EXPECT_EQ(minimum.height, 48 + 16 + 8 + 20);
  const Size at192 = entryListMinimumSize(400, {120, 48}, {8, 8, 40}, 192);
  EXPECT_EQ(at192.width, 400 + 240 + 16 + 32);
  EXPECT_EQ(at192.height, 96 + 32 + 16 + 40);
  const std::pair<SizingEdge, Rect> cases[] = {
      {SizingEdge::Left, {1000 - minimum.width, 0, 1000, 10}},
      {SizingEdge::Right, {900, 0, 900 + minimum.width, 10}},
      {SizingEdge::TopLeft, {1000 - minimum.width, 10 - minimum.height, 1000, 10}},
      {SizingEdge::BottomRight, {900, 0, 900 + minimum.width, minimum.height}},
  };
  for (const auto& [edge, expected] : cases) {
    Rect dragged{900, 0, 1000, 10};
    enforceMinimumSize(edge, minimum, dragged);
    EXPECT_EQ(dragged, expected) << static_cast<int>(edge);
  }
  Rect large{0, 0, 2000, 2000};
  enforceMinimumSize(SizingEdge::BottomLeft, minimum, large);
  EXPECT_EQ(large, (Rect{0, 0, 2000, 2000}));
}

// The text columns fill the list in the ratio they had; the first window is
// as large as whole sentences want and the screen allows.
TEST(EntryListView, TextColumnsFillTheListAndTheFirstWindowIsRoomy) {
  struct Case {
    const char* name;
    int listWidth, numberWidth, dpi;
    TextColumnWidths before, after;
  } cases[] = {
      {"equal columns share the room", 840, 40, 96, {160, 160}, {400, 400}},
      {"the person's ratio is kept", 640, 40, 96, {100, 300}, {150, 450}},
      {"none given: halves", 440, 40, 96, {0, 0}, {200, 200}},
      {"a column never vanishes", 840, 40, 96, {1, 10000}, {40, 760}},
      {"a list narrower than both", 60, 40, 96, {160, 160}, {40, 40}},
      {"a closed column stays closed", 840, 40, 96, {0, 300}, {0, 800}},
      {"at 192 DPI the narrowest is 80", 1680, 80, 192, {1, 10000}, {80, 1520}},
      {"at 144 DPI a narrow list", 90, 60, 144, {320, 320}, {60, 60}},
  };
  for (const auto& c : cases) EXPECT_EQ(fillTextColumns(c.listWidth, c.numberWidth, c.before, c.dpi), c.after) << c.name;
  EXPECT_EQ(firstEntryListSize({400, 300}, {1280, 1000}, 96).width, 900);
  EXPECT_EQ(firstEntryListSize({400, 300}, {1280, 1000}, 96).height, 640);
  EXPECT_EQ(firstEntryListSize({400, 300}, {800, 600}, 96).width, 600) << "three quarters of a small screen";
  EXPECT_EQ(firstEntryListSize({700, 500}, {800, 600}, 96).height, 500) << "never below the dialog's own size";
  EXPECT_EQ(firstEntryListSize({800, 600}, {3840, 2160}, 192).width, 1800) << "as roomy on a 192 DPI screen";
  EXPECT_EQ(firstEntryListSize({800, 600}, {3840, 2160}, 192).height, 1280);
  EXPECT_EQ(firstEntryListSize({800, 600}, {2560, 1440}, 192).height, 1080) << "three quarters of that screen";
}

// The edit dialog leaves the row it edits in sight wherever the row is.
TEST(EntryListView, TheEditDialogGoesBesideItsRow) {
  const Rect work{0, 0, 1000, 800};
  const Size dialog{400, 300};
  struct Case {
    const char* name;
    Rect row;
    Point at;
  } cases[] = {
      {"room below", {100, 100, 700, 120}, {200, 120}},
      {"no room below: above", {100, 600, 700, 620}, {200, 300}},
      {"room neither way: as low as it fits", {100, 250, 700, 550}, {200, 500}},
      {"a row wider than the work area: centred on it", {-50, 100, 1100, 120}, {325, 120}},
      {"kept inside on the left", {-600, 100, -400, 120}, {0, 120}},
      {"kept inside on the right", {900, 100, 1200, 120}, {600, 120}},
  };
  for (const auto& c : cases) EXPECT_EQ(editDialogPosition(c.row, dialog, work), c.at) << c.name;
}

TEST(EntryListView, NeverOpensMinimisedOrHidden) {
  // {stored show command, placement flags, show command to open with}
  const std::uint32_t cases[][3] = {
      {1, 0, 1},      // SW_SHOWNORMAL
      {3, 0, 3},      // SW_SHOWMAXIMIZED
      {2, 0, 1},      // SW_SHOWMINIMIZED
      {2, 0x2, 3},    // ... restoring to maximised (WPF_RESTORETOMAXIMIZED)
      {6, 0, 1},      // SW_MINIMIZE
      {7, 0x2, 3},    // SW_SHOWMINNOACTIVE
      {11, 0, 1},     // SW_FORCEMINIMIZE
      {0, 0, 1},      // SW_HIDE: the window would never be seen
      {1, 0x2, 1},    // the flag alone does not maximise
      {0xFFFF, 0, 1}, // a value no window has
  };
  for (const auto& [stored, flags, opening] : cases) {
    EXPECT_EQ(openingShowCommand(stored, flags), opening) << stored << " flags " << flags;
  }
}

TEST(KeywordHistory, NewestFirstMergedIgnoringCaseTwentyKept) {
  KeywordHistory history({u"alpha", u"Beta"});
  EXPECT_FALSE(history.recordSearch(u""));
  EXPECT_FALSE(history.recordSearch(u"Foo"));
  EXPECT_TRUE(history.recordSearch(u"foo"));
  EXPECT_TRUE(history.recordSearch(u"BETA"));
  EXPECT_EQ(history.items(), (std::vector<std::u16string>{u"", u"BETA", u"foo", u"alpha"}));
  for (int i = 0; i < 25; ++i) history.recordSearch(u"k" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  auto stored = history.stored();
  ASSERT_EQ(stored.size(), 20u);
  EXPECT_EQ(stored.front(), u"ky");
  EXPECT_EQ(stored.back(), u"kf");
}

}  // namespace
}  // namespace verbarium
