// Any bytes as a .dat file. The writer either refuses a table, writing
// nothing, or writes bytes that read back as the very same table: as read,
// and again with one text cut to the short lengths layout 1 cannot always end.

#include <algorithm>
#include <cstdlib>
#include <string>

#include "formats/dat_format.h"

namespace {

using verbarium::MemoryStream;
using verbarium::TextTable;

bool sameTable(const TextTable& a, const TextTable& b) {
  if (a.layout != b.layout || a.header != b.header || a.count() != b.count() || a.trailingBytes != b.trailingBytes) {
    return false;
  }
  for (int i = 0; i < a.count(); ++i) {
    if (a.text(i) != b.text(i) || !std::ranges::equal(a.key(i), b.key(i))) return false;
  }
  return true;
}

void writtenReadsBack(const TextTable& table) {
  MemoryStream output;
  if (!verbarium::writeTextTable(output, table)) {
    if (!output.bytes().empty() || verbarium::firstEntryLayoutCannotHold(table) < 0) std::abort();
    return;
  }
  output.seek(0, verbarium::SeekOrigin::Begin);
  TextTable again;
  if (verbarium::readTextTable(output, again) != verbarium::DatReadResult::Read) std::abort();
  if (!sameTable(table, again)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream input(data, size);
  TextTable table;
  if (verbarium::readTextTable(input, table) != verbarium::DatReadResult::Read) {
    if (table.count() != 0 || !table.trailingBytes.empty()) std::abort();
    return 0;
  }
  for (int i = 0; i < table.count(); ++i) {
    if (table.key(i).size() > verbarium::KeyCapacity) std::abort();
    if (table.text(i).find(u'\0') != std::u16string_view::npos) std::abort();
  }
  writtenReadsBack(table);
  if (table.count() == 0 || size < 2) return 0;
  const int index = data[0] % table.count();
  const std::u16string_view text = table.text(index);
  table.setText(index, std::u16string(text.substr(0, std::min<std::size_t>(text.size(), data[1] % 3))));
  writtenReadsBack(table);
  return 0;
}
