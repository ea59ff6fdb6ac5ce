#include "formats/dat_format.h"
#include "formats/le_bytes.h"

namespace verbarium {

namespace {

constexpr char16_t kHighestMarkerTextUnit = 0x00FF;

bool markerLayoutHolds(const TextEntry& entry) {
  if (entry.keyLength != 10) return false;
  std::uint16_t marker = static_cast<std::uint16_t>(entry.key[0] | entry.key[1] << 8);
  if (marker <= kHighestMarkerTextUnit) return false;
  for (char16_t unit : entry.text) {
    if (unit > kHighestMarkerTextUnit || unit == 0) return false;
  }
  return true;
}

bool writeWord(ByteStream& file, std::uint32_t value) {
  std::uint8_t bytes[4];
  storeLe32(bytes, value);
  return file.write(bytes, 4);
}

bool writeUnits(ByteStream& file, const std::u16string& text) {
  return text.empty() || file.write(text.data(), text.size() * 2);
}

}  // namespace

int firstEntryLayoutCannotHold(const TextTable& table) {
  if (table.layout != DatLayout::MarkerDelimited) return -1;
  for (int i = 0; i < table.count(); ++i) {
    if (!markerLayoutHolds(table.at(i))) return i;
  }
  return -1;
}

bool writeTextTable(ByteStream& file, const TextTable& table) {
  if (firstEntryLayoutCannotHold(table) >= 0) return false;
  bool ok = writeWord(file, table.header);
  const bool markerDelimited = table.layout == DatLayout::MarkerDelimited;
  for (const TextEntry& entry : table.entries()) {
    if (!ok) break;
    ok = file.write(entry.key.data(), entry.keyLength);
    // Layout 5 has no length field: the next record's marker ends the text.
    if (ok && !markerDelimited) ok = writeWord(file, static_cast<std::uint32_t>(entry.text.size()));
    if (ok) ok = writeUnits(file, entry.text);
  }
  return file.flush() && ok;
}

}  // namespace verbarium
