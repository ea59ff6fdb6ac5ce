#include <algorithm>
#include <array>

#include "formats/dat_format.h"
#include "formats/le_bytes.h"
#include "model/unit_search.h"

namespace verbarium {

namespace {

constexpr char16_t kHighestMarkerTextUnit = 0x00FF;
// Layout 1 words below this are key words or length words; the first text
// word of a record must reach it, or the reader runs on into the next record.
constexpr std::uint32_t kFirstTextWord = 0x10000;
constexpr std::uint32_t kMostKeyWords = KeyCapacity / 4 - 2;
constexpr std::size_t kSniffedBytes = 12;

bool markerLayoutHolds(std::span<const std::uint8_t> key, std::u16string_view text) {
  if (key.size() != 10) return false;
  std::uint16_t marker = static_cast<std::uint16_t>(key[0] | key[1] << 8);
  if (marker <= kHighestMarkerTextUnit) return false;
  // Texts hold no zero unit; the reader takes any unit above 0x00FF for the
  // next record's marker.
  return findUnitAbove00FF(text) == std::u16string_view::npos;
}

// The first word of a layout 1 record as the reader meets it: its first key
// word, or its length word when it has no key.
std::uint32_t firstWord(const TextTable& table, int index) {
  const auto key = table.key(index);
  return key.size() >= 4 ? loadLe32(key.data()) : static_cast<std::uint32_t>(table.text(index).size());
}

// Whether the layout 1 reader, starting at this record, finds exactly it and
// stops where it ends: before the next record, or before the bytes kept
// after the last one.
bool dwordRunRecordReadsBack(const TextTable& table, int index) {
  const auto key = table.key(index);
  if (key.size() % 4 != 0 || key.size() / 4 > kMostKeyWords) return false;
  for (std::size_t offset = 0; offset < key.size(); offset += 4) {
    if (loadLe32(key.data() + offset) >= kFirstTextWord) return false;
  }
  const std::u16string_view text = table.text(index);
  const std::size_t units = text.size();
  if (units >= kFirstTextWord) return false;
  if (units >= 2) return text[1] != 0;
  // A text of fewer than two units: the word the reader takes for its first
  // text word reaches into what follows the record.
  if (index + 1 < table.count()) {
    return units == 1 && (firstWord(table, index + 1) & 0xFFFF) != 0;
  }
  const std::vector<std::uint8_t>& trailing = table.trailingBytes;
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

bool writeRecords(ByteStream& file, const TextTable& table, bool lengthFields) {
  bool ok = writeWord(file, table.header);
  for (int i = 0; ok && i < table.count(); ++i) {
    if (lengthFields) {
      const auto record = table.record(i);
      ok = file.write(record.data(), record.size());
      continue;
    }
    const auto key = table.key(i);
    const std::u16string_view text = table.text(i);
    ok = file.write(key.data(), key.size()) && (text.empty() || file.write(text.data(), text.size() * 2));
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
  if (table.count() == 0) return -1;
  if (table.layout == DatLayout::MarkerDelimited) {
    for (int i = 0; i < table.count(); ++i) {
      if (!markerLayoutHolds(table.key(i), table.text(i))) return i;
    }
  } else if (table.layout == DatLayout::DwordRunKey) {
    for (int i = 0; i < table.count(); ++i) {
      if (!dwordRunRecordReadsBack(table, i)) return i;
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
