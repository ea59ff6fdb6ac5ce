#include "demo_texts.h"

#include <array>
#include <string>

namespace verbarium::demo {

namespace {

constexpr std::array<const char16_t*, 36> kLines = {
    u"Welcome to Ashen Vale, traveller.",
    u"The bridge to Emberfall has burned.",
    u"Bring me three wolf pelts.",
    u"Ironbark Longbow",
    u"A bow carved from the oldest tree of the Greenwood.",
    u"Your quest log has been updated.",
    u"Not enough mana.",
    u"The runestone hums with a faint blue light.",
    u"Captain Morwen",
    u"Hold the gate until dawn!",
    u"Healing Draught",
    u"Restores 50 health over ten seconds.",
    u"You cannot carry any more.",
    u"The dragon sleeps beneath the mountain.",
    u"Shadowglass Dagger",
    u"Gold",
    u"Save Game",
    u"Load Game",
    u"Are you sure you want to quit?",
    u"The tower of the Grey Magister",
    u"Speak the word, and the door will open.",
    u"Frost Nova",
    u"Freezes all enemies near the caster.",
    u"Level up!",
    u"Old Tom the Ferryman",
    u"Two silver for the crossing, no less.",
    u"The orcs have taken the northern mine.",
    u"Moonpetal",
    u"A pale flower that only blooms at night.",
    u"Return to the Elder with the amulet.",
    u"Stormcaller Staff",
    u"The dead do not rest in Cairnhollow.",
    u"Objective complete.",
    u"",
    u"Press any key to continue",
    u"Fortress of the Sundered Crown",
};

// Keys that the layout's sniffing and reading recognise.
std::vector<std::uint8_t> keyFor(DatLayout layout, int table, int index) {
  auto lo = static_cast<std::uint8_t>(index + 1);
  auto t = static_cast<std::uint8_t>(table);
  switch (layout) {
    case DatLayout::DwordRunKey: return {0x10, t, 0, 0, lo, 0, 0, 0};
    case DatLayout::CountedKey: return {1, 2, 0, 0, 0, t, lo};
    case DatLayout::SixByteKey: return {lo, t, 0, 0, 3, 0};
    case DatLayout::SevenByteKey: return {lo, t, 0, 0, 2, 0, 0};
    default: {
      auto marker = static_cast<std::uint16_t>(0x0142 + index);
      return {static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(marker >> 8), 0, 0, t, lo, 0, 0, 0, 0};
    }
  }
}

bool fitsLayout(DatLayout layout, std::u16string_view text, bool last) {
  // Layout 1 finds a record's end by its second text unit: only the last
  // record may be shorter than two units.
  if (layout == DatLayout::DwordRunKey && text.size() < 2 && !last) return false;
  return true;
}

}  // namespace

std::vector<DemoTable> makeDemoTables() {
  constexpr DatLayout kLayouts[] = {DatLayout::DwordRunKey, DatLayout::CountedKey, DatLayout::SixByteKey,
                                    DatLayout::SevenByteKey, DatLayout::MarkerDelimited};
  std::vector<DemoTable> tables;
  for (int t = 0; t < 21; ++t) {
    DatLayout layout = kLayouts[t % 5];
    DemoTable demo;
    std::string ascii = std::to_string(1000 + t * 7) + "-" + std::to_string(2000 + t) + "_" + std::to_string(t % 10) + "_" +
                        std::to_string(t % 3) + ".dat";
    demo.fileName.assign(ascii.begin(), ascii.end());
    demo.table.layout = layout;
    demo.table.header = layout == DatLayout::MarkerDelimited ? 0x136u : static_cast<std::uint32_t>(0x100 + t);
    const int entries = 8 + (t * 5) % 17;
    for (int i = 0; i < entries; ++i) {
      std::u16string_view text = kLines[(t * 11 + i * 5) % kLines.size()];
      if (!fitsLayout(layout, text, i == entries - 1)) text = kLines[0];
      demo.table.append(keyFor(layout, t, i), text);
    }
    tables.push_back(std::move(demo));
  }
  return tables;
}

}  // namespace verbarium::demo
