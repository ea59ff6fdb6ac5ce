// Any bytes as an exchange file. The lines must hold no CR LF and no U+0000,
// go into a table of as many entries unchanged, come back line for line
// through the writer, and never go into a table of another size.

#include <cstdlib>

#include "formats/exchange_format.h"

namespace {

using verbarium::ExchangeLines;
using verbarium::ExchangeReadResult;
using verbarium::MemoryStream;
using verbarium::TextTable;

TextTable tableOfSize(int entries, std::u16string_view text) {
  TextTable table;
  for (int i = 0; i < entries; ++i) table.append({}, text);
  return table;
}

bool sameLines(const ExchangeLines& a, const ExchangeLines& b) {
  if (a.count() != b.count()) return false;
  for (int i = 0; i < a.count(); ++i) {
    if (a.line(i) != b.line(i)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream input(data, size);
  ExchangeLines lines;
  ExchangeReadResult result = verbarium::readExchangeLines(nullptr, input, lines);
  if (result != ExchangeReadResult::Read) {
    if (lines.count() != 0) std::abort();
    return 0;
  }
  if (static_cast<std::size_t>(lines.count()) * 4 > size) std::abort();
  for (int i = 0; i < lines.count(); ++i) {
    std::u16string_view line = lines.line(i);
    if (line.find(u'\0') != line.npos || line.find(u"\r\n") != line.npos) std::abort();
  }

  TextTable other = tableOfSize(lines.count() + 1, u"kept");
  if (verbarium::applyExchangeLines(other, lines)) std::abort();
  for (int i = 0; i < other.count(); ++i) {
    if (other.text(i) != u"kept") std::abort();
  }

  TextTable table = tableOfSize(lines.count(), u"");
  if (!verbarium::applyExchangeLines(table, lines)) std::abort();
  for (int i = 0; i < table.count(); ++i) {
    if (table.text(i) != lines.line(i)) std::abort();
  }
  MemoryStream output;
  if (!verbarium::writeExchangeText(output, table)) std::abort();
  ExchangeLines again;
  if (verbarium::readExchangeLines(nullptr, output, again) != ExchangeReadResult::Read) std::abort();
  if (!sameLines(lines, again)) std::abort();
  return 0;
}
