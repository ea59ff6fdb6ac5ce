#include <algorithm>
#include <array>

#include "formats/dat_format.h"
#include "formats/le_bytes.h"

namespace verbarium {

namespace {

constexpr char16_t kHighestMarkerTextUnit = 0x00FF;
// Layout 1 words below this are key words or length words; the first text
// word of a record must reach it, or the reader runs on into the next record.
constexpr std::uint32_t kFirstTextWord = 0x10000;
constexpr std::uint32_t kMostKeyWords = KeyCapacity / 4 - 2;
constexpr std::size_t kSniffedBytes = 12;

bool markerLayoutHolds(const TextEntry& entry) {
  if (entry.keyLength != 10) return false;
  std::uint16_t marker = static_cast<std::uint16_t>(entry.key[0] | entry.key[1] << 8);
  if (marker <= kHighestMarkerTextUnit) return false;
  for (char16_t unit : entry.text) {
    if (unit > kHighestMarkerTextUnit || unit == 0) return false;
  }
  return true;
}

// The first word of a layout 1 record as the reader meets it: its first key
// word, or its length word when it has no key.
std::uint32_t firstWord(const TextEntry& entry) {
  return entry.keyLength >= 4 ? loadLe32(entry.key.data()) : static_cast<std::uint32_t>(entry.text.size());
}

// Whether the layout 1 reader, starting at this record, finds exactly it and
// stops where it ends. `next` is the record after it, or null at the end;
// `trailing` the bytes kept after the last record.
bool dwordRunRecordReadsBack(const TextEntry& entry, const TextEntry* next, const std::vector<std::uint8_t>& trailing) {
  if (entry.keyLength % 4 != 0 || entry.keyLength / 4 > kMostKeyWords) return false;
  for (std::uint32_t offset = 0; offset < entry.keyLength; offset += 4) {
    if (loadLe32(entry.key.data() + offset) >= kFirstTextWord) return false;
  }
  const std::size_t units = entry.text.size();
  if (units >= kFirstTextWord) return false;
  if (units >= 2) return entry.text[1] != 0;
  // A text of fewer than two units: the word the reader takes for its first
  // text word reaches into what follows the record.
  if (next) {
    return units == 1 && (firstWord(*next) & 0xFFFF) != 0;
  }
  // At the end of the file the reader keeps such a record; before kept bytes
  // it needs them to make the word.
  if (trailing.empty()) return true;
  if (units == 1) return trailing.size() >= 2 && (trailing[0] | trailing[1]) != 0;
  return trailing.size() >= 4 && loadLe32(trailing.data()) >= kFirstTextWord;
}

bool writeWord(ByteStream& file, std::uint32_t value) {
  std::uint8_t bytes[4];
  storeLe32(bytes, value);
  return file.write(bytes, 4);
}

bool writeUnits(ByteStream& file, const std::u16string& text) {
  return text.empty() || file.write(text.data(), text.size() * 2);
}

bool writeRecords(ByteStream& file, const TextTable& table, bool lengthFields) {
  bool ok = writeWord(file, table.header);
  for (const TextEntry& entry : table.entries()) {
    if (!ok) break;
    ok = file.write(entry.key.data(), entry.keyLength);
    if (ok && lengthFields) ok = writeWord(file, static_cast<std::uint32_t>(entry.text.size()));
    if (ok) ok = writeUnits(file, entry.text);
  }
  if (ok && !table.trailingBytes.empty()) ok = file.write(table.trailingBytes.data(), table.trailingBytes.size());
  return file.flush() && ok;
}

// Layout 5 has no length field: the next record's marker ends the text.
bool hasLengthFields(const TextTable& table) { return table.layout != DatLayout::MarkerDelimited; }

// The bytes the sniffing looks at, as the writer would put them down.
std::vector<std::uint8_t> firstBytes(const TextTable& table) {
  class Head final : public ByteStream {
   public:
    std::vector<std::uint8_t> bytes;
    std::int64_t read(void*, std::size_t) override { return -1; }
    bool write(const void* data, std::size_t size) override {
      const auto* from = static_cast<const std::uint8_t*>(data);
      const std::size_t take = std::min(size, kSniffedBytes - bytes.size());
      bytes.insert(bytes.end(), from, from + take);
      // A short write stops the writer once the head is full.
      return bytes.size() < kSniffedBytes;
    }
    bool seek(std::int64_t, SeekOrigin) override { return false; }
    std::int64_t position() override { return static_cast<std::int64_t>(bytes.size()); }
    std::int64_t size() override { return static_cast<std::int64_t>(bytes.size()); }
    bool truncate() override { return false; }
    bool flush() override { return true; }
  } head;
  writeRecords(head, table, hasLengthFields(table));
  return std::move(head.bytes);
}

}  // namespace

int firstEntryLayoutCannotHold(const TextTable& table) {
  const auto& entries = table.entries();
  if (entries.empty()) return -1;
  if (table.layout == DatLayout::MarkerDelimited) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (!markerLayoutHolds(entries[i])) return static_cast<int>(i);
    }
  } else if (table.layout == DatLayout::DwordRunKey) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TextEntry* next = i + 1 < entries.size() ? &entries[i + 1] : nullptr;
      if (!dwordRunRecordReadsBack(entries[i], next, table.trailingBytes)) return static_cast<int>(i);
    }
  }
  // The first record's lengths and texts stand among the bytes that tell the
  // layouts apart: the file must still be taken for the layout it is in.
  MemoryStream head(firstBytes(table));
  if (sniffDatLayout(head) != table.layout) return 0;
  return -1;
}

bool writeTextTable(ByteStream& file, const TextTable& table) {
  if (firstEntryLayoutCannotHold(table) >= 0) return false;
  return writeRecords(file, table, hasLengthFields(table));
}

bool writeLengthPrefixedRecords(ByteStream& file, const TextTable& table) { return writeRecords(file, table, true); }

}  // namespace verbarium
