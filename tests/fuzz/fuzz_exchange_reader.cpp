// Any bytes as an exchange file, read through windows of 2 to 33 bytes (the
// last input byte picks one), so that lines cross the window's edges and
// outgrow it. The lines must hold no CR LF and no U+0000, be the same as
// through the largest window, and come back line for line through the
// writer.

#include <cstdlib>
#include <string>
#include <vector>

#include "formats/exchange_format.h"

namespace {

using verbarium::ExchangeLineReader;
using verbarium::ExchangeReadResult;
using verbarium::MemoryStream;

bool readLines(verbarium::ByteStream& file, std::vector<std::u16string>& lines, std::size_t window = 256 * 1024) {
  ExchangeLineReader reader(file, window);
  if (reader.readMark() != ExchangeReadResult::Read) return false;
  std::u16string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  if (reader.failed()) std::abort();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream input(data, size);
  std::vector<std::u16string> lines;
  if (!readLines(input, lines)) {
    if (!lines.empty()) std::abort();
    return 0;
  }
  MemoryStream again(data, size);
  std::vector<std::u16string> throughSmallWindow;
  if (!readLines(again, throughSmallWindow, size > 0 ? 2 + data[size - 1] % 32 : 2)) std::abort();
  if (throughSmallWindow != lines) std::abort();
  if (lines.size() * 4 > size) std::abort();
  MemoryStream output;
  verbarium::ExchangeLineWriter writer(output);
  for (const std::u16string& line : lines) {
    if (line.find(u'\0') != line.npos || line.find(u"\r\n") != line.npos) std::abort();
    writer.add(line);
  }
  if (!writer.finish()) std::abort();
  std::vector<std::u16string> back;
  if (!readLines(output, back) || back != lines) std::abort();
  return 0;
}
