#include <gtest/gtest.h>

#include "formats/dat_format.h"
#include "support/test_bytes.h"
#include "workbench/game_update.h"

namespace verbarium {
namespace {

using Returned = std::tuple<int, std::u16string, ReturnReason>;
struct Case {
  const char* name;
  DatLayout newLayout;
  std::vector<std::tuple<const char*, std::u16string, std::u16string>> old;  // key in hex, original, translation
  std::vector<std::pair<const char*, std::u16string>> fresh;
  std::vector<std::u16string> texts;  // the new table's, translations carried
  long long kept, added, removed;
  std::vector<Returned> returned;
};

constexpr auto kChanged = ReturnReason::OriginalChanged;
constexpr auto kCannotHold = ReturnReason::LayoutCannotHold;
// Six-byte keys of the layout most tables have; the marker layout's: a
// marker above 0x00FF, then eight bytes; layout 1's: key words below 0x10000.
constexpr const char *k1 = "01 00 00 00 03 00", *k2 = "02 00 00 00 03 00", *k3 = "03 00 00 00 03 00", *k4 = "04 00 00 00 03 00";
constexpr const char *m1 = "42 01 00 00 01 00 00 00 00 00", *m2 = "43 01 00 00 02 00 00 00 00 00",
                     *m3 = "44 01 00 00 03 00 00 00 00 00", *m4 = "45 01 00 00 04 00 00 00 00 00";
constexpr const char *w1 = "11 00 00 00 01 00 00 00", *w0 = "00 00 00 00 02 00 00 00";

const std::vector<Case> kCases = {
    {"an unchanged original keeps its translation, an untranslated entry its original", DatLayout::SixByteKey,
     {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Tree"}}, {{k1, u"House"}, {k2, u"Tree"}}, {u"Haus", u"Tree"}, 1, 0, 0, {}},
    {"a changed original brings a translated entry back untranslated and lists it; an untranslated one is not listed",
     DatLayout::SixByteKey, {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Baum"}, {k3, u"Path", u"Path"}},
     {{k1, u"House"}, {k2, u"Big tree"}, {k3, u"Way"}}, {u"Haus", u"Big tree", u"Way"}, 1, 0, 0, {{1, u"Baum", kChanged}}},
    {"entries are found by key wherever they moved; new and removed ones are counted", DatLayout::SixByteKey,
     {{k1, u"House", u"Haus"}, {k2, u"Tree", u"Baum"}, {k3, u"Path", u"Weg"}},
     {{k4, u"Stone"}, {k3, u"Path"}, {k1, u"House"}}, {u"Stone", u"Weg", u"Haus"}, 2, 1, 1, {}},
    {"a repeated key pairs its occurrences in order, not by text", DatLayout::SixByteKey,
     {{k1, u"Yes", u"Ja"}, {k1, u"No", u"Nein"}, {k1, u"Maybe", u"Vielleicht"}, {k2, u"Tree", u"Baum"}},
     {{k1, u"No"}, {k1, u"Yes"}, {k2, u"Tree"}, {k2, u"Tree"}}, {u"No", u"Yes", u"Baum", u"Tree"}, 1, 1, 1,
     {{0, u"Ja", kChanged}, {1, u"Nein", kChanged}}},
    {"a key that is another's beginning is not that key", DatLayout::CountedKey,
     {{"01 02", u"A", u"X"}, {"01 02 00", u"B", u"Y"}}, {{"01 02 00", u"B"}, {"01 02", u"A"}}, {u"Y", u"X"}, 2, 0, 0, {}},
    {"the marker layout holds no unit beyond a byte: those translations come back, the others stay",
     DatLayout::MarkerDelimited,
     {{m1, u"Sword", u"\u5263"}, {m2, u"Shield", u"Schild"}, {m3, u"Helm", u"\u5175"}, {m4, u"Bow", u"Bogen"}},
     {{m1, u"Sword"}, {m2, u"Shield"}, {m3, u"Helm"}, {m4, u"Bow"}}, {u"Sword", u"Schild", u"Helm", u"Bogen"}, 2, 0, 0,
     {{0, u"\u5263", kCannotHold}, {2, u"\u5175", kCannotHold}}},
    {"layout 1: a one-unit translation before a record whose first word is zero would swallow it",
     DatLayout::DwordRunKey, {{w1, u"Yes", u"J"}, {w0, u"No", u"Nein"}}, {{w1, u"Yes"}, {w0, u"No"}},
     {u"Yes", u"Nein"}, 1, 0, 0, {{0, u"J", kCannotHold}}},
    {"layout 1: an empty translation after a one-unit original takes it back, not the original before it",
     DatLayout::DwordRunKey, {{w1, u"Yes", u"Ja"}, {"", u"A", u"A"}, {"", u"Go on", u""}, {w1, u"Yes", u"Ja"}},
     {{w1, u"Yes"}, {"", u"A"}, {"", u"Go on"}, {w1, u"Yes"}}, {u"Ja", u"A", u"Go on", u"Ja"}, 2, 0, 0,
     {{2, u"", kCannotHold}}},
};

TEST(CarryTranslations, MatchesByKeyAndKeepsOnlyWhatTheNewTableCanHold) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TextTable fresh, translated, original;
    fresh.layout = c.newLayout;
    fresh.header = c.newLayout == DatLayout::MarkerDelimited ? 0x136u : 0x1234u;
    for (const auto& [key, text] : c.fresh) fresh.append(test::hex(key), text);
    ASSERT_EQ(firstEntryLayoutCannotHold(fresh), -1) << "the case's new table itself must read back";
    for (const auto& [key, originalText, current] : c.old) {
      translated.append(test::hex(key), current);
      original.append(test::hex(key), originalText);
    }
    const CarriedTable carried = carryTranslations(translated, original, fresh);
    std::vector<std::u16string> texts;
    for (int i = 0; i < carried.table.count(); ++i) texts.emplace_back(carried.table.text(i));
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(std::tie(carried.kept, carried.added, carried.removed, carried.cannotBeWritten),
              std::make_tuple(c.kept, c.added, c.removed, false));
    std::vector<Returned> returned;
    for (const ReturnedEntry& got : carried.returned) {
      returned.emplace_back(got.entry, got.translation, got.why);
      EXPECT_EQ(test::toHex(got.key), test::toHex(test::hex(c.fresh[static_cast<std::size_t>(got.entry)].first)));
    }
    EXPECT_EQ(returned, c.returned);
  }
}

}  // namespace
}  // namespace verbarium
