#include "synthetic_tables.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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

void setKey(TextEntry& entry, std::initializer_list<std::uint8_t> bytes) {
  entry.keyLength = 0;
  for (std::uint8_t b : bytes) entry.key[entry.keyLength++] = b;
}

}  // namespace

TextTable makeSyntheticTable(DatLayout layout, int entries) {
  TextTable table;
  table.layout = layout;
  table.header = layout == DatLayout::MarkerDelimited ? 0x136u : 0x1234u;
  table.reserve(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    TextEntry entry;
    auto lo = static_cast<std::uint8_t>(i);
    auto hi = static_cast<std::uint8_t>(i >> 8);
    switch (layout) {
      case DatLayout::DwordRunKey: setKey(entry, {0x11, 0, 0, 0, lo, hi, 0, 0}); break;
      case DatLayout::CountedKey: setKey(entry, {1, 3, 0, 0, 0, lo, hi, 7}); break;
      case DatLayout::SixByteKey: setKey(entry, {lo, hi, 0, 0, 3, 0}); break;
      case DatLayout::SevenByteKey: setKey(entry, {lo, hi, 0, 0, 2, 0, 0}); break;
      default: {
        // Markers count up from 0x0142; each is above 0x00FF.
        std::uint16_t marker = static_cast<std::uint16_t>(0x0142 + i % 0xF000);
        setKey(entry, {static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(marker >> 8), lo, hi, 0, 0, 0, 0, 0, 0});
      }
    }
    entry.setText(sentence(i));
    table.append(std::move(entry));
  }
  return table;
}

void saveOrAbort(const Path& path, const TextTable& table) {
  if (saveTextTableFile(path, table) == TableSaveResult::Saved) return;
  std::fputs("cannot write a benchmark table\n", stderr);
  std::abort();
}

}  // namespace verbarium::bench
