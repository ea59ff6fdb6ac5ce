#include "synthetic_tables.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/dat_file.h"

namespace verbarium::bench {

namespace {

const char16_t* const kWords[] = {u"the", u"dragon", u"sleeps", u"beneath", u"Ashen", u"Vale", u"and",
                                  u"its",  u"hoard",  u"burns", u"cold",    u"as",    u"dawn", u"over", u"stone"};

std::u16string sentence(int seed) {
  std::u16string text;
  for (int w = 0; text.size() < 40; ++w) {
    if (!text.empty()) text += u' ';
    text += kWords[(seed * 7 + w * 3) % 15];
  }
  return text;
}


}  // namespace

TextTable makeSyntheticTable(DatLayout layout, int entries) {
  TextTable table;
  table.layout = layout;
  table.header = layout == DatLayout::MarkerDelimited ? 0x136u : 0x1234u;
  for (int i = 0; i < entries; ++i) {
    std::vector<std::uint8_t> key;
    auto lo = static_cast<std::uint8_t>(i);
    auto hi = static_cast<std::uint8_t>(i >> 8);
    switch (layout) {
      case DatLayout::DwordRunKey: key = {0x11, 0, 0, 0, lo, hi, 0, 0}; break;
      case DatLayout::CountedKey: key = {1, 3, 0, 0, 0, lo, hi, 7}; break;
      case DatLayout::SixByteKey: key = {lo, hi, 0, 0, 3, 0}; break;
      case DatLayout::SevenByteKey: key = {lo, hi, 0, 0, 2, 0, 0}; break;
      default: {
        // Markers count up from 0x0142; each is above 0x00FF.
        std::uint16_t marker = static_cast<std::uint16_t>(0x0142 + i % 0xF000);
        key = {static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(marker >> 8), lo, hi, 0, 0, 0, 0, 0, 0};
      }
    }
    table.append(key, sentence(i));
  }
  return table;
}

void saveOrAbort(const Path& path, const TextTable& table) {
  if (saveTextTableFile(path, table) == TableSaveResult::Saved) return;
  std::fputs("cannot write a benchmark table\n", stderr);
  std::abort();
}

}  // namespace verbarium::bench
