// Any bytes as a .dat file. What the reader accepts must survive a write and
// a second read unchanged, wherever the layout can hold it.

#include <cstdlib>

#include "formats/dat_format.h"

namespace {

using verbarium::DatLayout;
using verbarium::MemoryStream;
using verbarium::TextTable;

// Layout 1 finds a record's end by the second unit of its text: a shorter
// text before the last record runs into the next record on a second read.
bool layoutCanHold(const TextTable& table) {
  if (table.layout != DatLayout::DwordRunKey) return true;
  for (int i = 0; i + 1 < table.count(); ++i) {
    if (table.at(i).text.size() < 2) return false;
  }
  return true;
}

bool sameTable(const TextTable& a, const TextTable& b) {
  if (a.header != b.header || a.count() != b.count()) return false;
  for (int i = 0; i < a.count(); ++i) {
    const auto& x = a.at(i);
    const auto& y = b.at(i);
    if (x.keyLength != y.keyLength || x.key != y.key || x.text != y.text) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream input(data, size);
  TextTable table;
  if (!verbarium::readTextTable(nullptr, input, table)) {
    if (table.count() != 0) std::abort();
    return 0;
  }
  for (const auto& entry : table.entries()) {
    if (entry.keyLength > verbarium::KeyCapacity) std::abort();
    if (entry.text.find(u'\0') != std::u16string::npos) std::abort();
  }
  MemoryStream output;
  if (!verbarium::writeTextTable(output, table)) {
    // Only a marker-delimited text can be refused, and only for a unit the
    // layout cannot hold; a table straight from the reader has none.
    std::abort();
  }
  if (!layoutCanHold(table)) return 0;
  output.seek(0, verbarium::SeekOrigin::Begin);
  TextTable again;
  if (!verbarium::readTextTable(nullptr, output, again)) std::abort();
  // The first bytes decide the layout; a text cut at a zero unit can change them.
  if (again.layout != table.layout) return 0;
  if (!sameTable(table, again)) std::abort();
  return 0;
}
