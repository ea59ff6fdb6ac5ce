#include <gtest/gtest.h>

#include "editor/entry_list_view.h"
#include "editor/keyword_history.h"

namespace verbarium {
namespace {

TEST(EntryListView, StatusLineAndTitleSayWhatIsShown) {
  const std::pair<StatusCounts, std::u16string> cases[] = {
      {{12, 0, 30, 100}, u" ItemCount: 12 / 100  View: 1 - 12"}, {{100, 80, 30, 100}, u" ItemCount: 100 / 100  View: 81 - 100"},
      {{0, 0, 30, 0}, u" ItemCount: 0 / 0  View: ---"}, {{5, 0, 0, 5}, u" ItemCount: 5 / 5  View: ---"},
  };
  for (const auto& [counts, text] : cases) { EXPECT_TRUE(statusLineText(counts) == text); }
  EXPECT_TRUE(entryListTitle(u"a.dat") == u"編集するテキストを選択(File:a.dat)");
  EXPECT_TRUE(modifiedTitle(u"t") == u"t*");
  EXPECT_EQ(modifiedTitle(std::u16string(300, u'x')).size(), 256u);
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

TEST(KeywordHistory, NewestFirstMergedIgnoringCaseTwentyKept) {
  KeywordHistory history({u"alpha", u"Beta"});
  EXPECT_EQ(std::vector<bool>({history.recordSearch(u""), history.recordSearch(u"Foo"), history.recordSearch(u"foo"),
                               history.recordSearch(u"BETA")}),
            std::vector<bool>({false, false, true, true}));
  EXPECT_EQ(history.items(), (std::vector<std::u16string>{u"", u"BETA", u"foo", u"alpha"}));
  for (int i = 0; i < 25; ++i) history.recordSearch(u"k" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  const auto stored = history.stored();
  EXPECT_EQ(std::tuple(stored.size(), stored.front(), stored.back()), std::tuple(20u, u"ky", u"kf"));
}

}  // namespace
}  // namespace verbarium
