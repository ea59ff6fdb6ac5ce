#include <gtest/gtest.h>

#include "editor/entry_list_view.h"

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

}  // namespace
}  // namespace verbarium
