#include <algorithm>
#include <cstring>

#include "codec/le_bytes.h"
#include "formats/dat_format.h"
#include "model/unit_search.h"

namespace verbarium {

namespace {

constexpr char16_t kHighestMarkerTextUnit = 0x00FF;
// Layout 1 words below this are key words or length words; the first text
// word of a record must reach it, or the reader runs on into the next record.
constexpr std::uint32_t kFirstTextWord = 0x10000;
constexpr std::uint32_t kMostKeyWords = KeyCapacity / 4 - 2;

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
std::uint32_t firstWord(std::span<const std::uint8_t> key, std::u16string_view text) {
  return key.size() >= 4 ? loadLe32(key.data()) : static_cast<std::uint32_t>(text.size());
}

enum class DwordRunFit { Holds, Refused, DependsOnWhatFollows };

// Whether the layout 1 reader, starting at this record, finds exactly it;
// for a text of fewer than two units, the word the reader takes for its
// first text word reaches into what follows the record.
DwordRunFit dwordRunFit(std::span<const std::uint8_t> key, std::u16string_view text) {
  if (key.size() % 4 != 0 || key.size() / 4 > kMostKeyWords) return DwordRunFit::Refused;
  for (std::size_t offset = 0; offset < key.size(); offset += 4) {
    if (loadLe32(key.data() + offset) >= kFirstTextWord) return DwordRunFit::Refused;
  }
  if (text.size() >= kFirstTextWord) return DwordRunFit::Refused;
  if (text.size() >= 2) return text[1] != 0 ? DwordRunFit::Holds : DwordRunFit::Refused;
  return DwordRunFit::DependsOnWhatFollows;
}

}  // namespace

DatRecordCheck::DatRecordCheck(DatLayout layout, std::uint32_t header) : layout_(layout) {
  std::uint8_t bytes[4];
  storeLe32(bytes, header);
  toHead(bytes, 4);
}

void DatRecordCheck::toHead(const void* data, std::size_t size) {
  const std::size_t take = std::min(size, kHeadBytes - headSize_);
  if (take > 0) std::memcpy(head_ + headSize_, data, take);
  headSize_ += take;
}

void DatRecordCheck::refuse(int index) {
  if (firstRefused_ < 0 || index < firstRefused_) firstRefused_ = index;
  refused_.push_back(index);
}

void DatRecordCheck::settlePending(bool holds) {
  if (pending_ >= 0 && !holds) refuse(pending_);
  pending_ = -1;
}

void DatRecordCheck::add(std::span<const std::uint8_t> key, std::u16string_view text) {
  const int index = count_++;
  if (layout_ == DatLayout::MarkerDelimited && !markerLayoutHolds(key, text)) refuse(index);
  if (layout_ == DatLayout::DwordRunKey) {
    settlePending(pendingUnits_ == 1 && (firstWord(key, text) & 0xFFFF) != 0);
    switch (dwordRunFit(key, text)) {
      case DwordRunFit::Holds: break;
      case DwordRunFit::Refused: refuse(index); break;
      case DwordRunFit::DependsOnWhatFollows:
        pending_ = index;
        pendingUnits_ = text.size();
        break;
    }
  }
  if (headSize_ < kHeadBytes) {
    toHead(key.data(), key.size());
    if (layout_ != DatLayout::MarkerDelimited) {
      std::uint8_t length[4];
      storeLe32(length, static_cast<std::uint32_t>(text.size()));
      toHead(length, 4);
    }
    toHead(text.data(), text.size() * 2);
  }
}

void DatRecordCheck::finish(std::span<const std::uint8_t> trailing) {
  if (pending_ >= 0) {
    if (trailing.empty()) {
      // At the end of the file the reader keeps such a record.
      settlePending(true);
    } else if (pendingUnits_ == 1) {
      // Before kept bytes it needs them to make the word.
      settlePending(trailing.size() >= 2 && (trailing[0] | trailing[1]) != 0);
    } else {
      settlePending(trailing.size() >= 4 && loadLe32(trailing.data()) >= kFirstTextWord);
    }
  }
  toHead(trailing.data(), trailing.size());
}

bool DatRecordCheck::settled() const {
  if (headSize_ < kHeadBytes) return false;
  if (firstRefused_ >= 0) return pending_ < 0 || pending_ > firstRefused_;
  return layout_ != DatLayout::MarkerDelimited && layout_ != DatLayout::DwordRunKey;
}

bool DatRecordCheck::headTellsOtherLayout() const {
  // The first record's lengths and texts stand among the bytes that tell the
  // layouts apart: the file must still be taken for the layout it is in.
  MemoryStream head(head_, headSize_);
  return sniffDatLayout(head) != layout_;
}

int DatRecordCheck::firstEntryCannotHold() const {
  if (count_ == 0) return -1;
  if (firstRefused_ >= 0) return firstRefused_;
  return headTellsOtherLayout() ? 0 : -1;
}

std::vector<int> DatRecordCheck::entriesCannotHold() const {
  if (count_ == 0) return {};
  std::vector<int> entries = refused_;
  if (headTellsOtherLayout()) entries.push_back(0);
  std::sort(entries.begin(), entries.end());
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  return entries;
}

DatRecordWriter::DatRecordWriter(ByteStream& file, DatLayout layout, std::uint32_t header, RecordForm form)
    : file_(file), lengthFields_(form == RecordForm::LengthPrefixed || layout != DatLayout::MarkerDelimited) {
  std::uint8_t bytes[4];
  storeLe32(bytes, header);
  put(bytes, 4);
}

void DatRecordWriter::put(const void* data, std::size_t size) {
  if (!failed_ && size > 0) failed_ = !file_.write(data, size);
}

void DatRecordWriter::add(std::span<const std::uint8_t> key, std::u16string_view text) {
  put(key.data(), key.size());
  if (lengthFields_) {
    std::uint8_t length[4];
    storeLe32(length, static_cast<std::uint32_t>(text.size()));
    put(length, 4);
  }
  put(text.data(), text.size() * 2);
}

void DatRecordWriter::add(const TextTable& table, int index) {
  if (!lengthFields_) return add(table.key(index), table.text(index));
  const auto record = table.record(index);
  put(record.data(), record.size());
}

bool DatRecordWriter::finish(std::span<const std::uint8_t> trailingBytes) {
  put(trailingBytes.data(), trailingBytes.size());
  // flush() reports any earlier failure too.
  return file_.flush() && !failed_;
}

int firstEntryLayoutCannotHold(const TextTable& table) {
  DatRecordCheck check(table.layout, table.header);
  for (int i = 0; i < table.count() && !check.settled(); ++i) check.add(table.key(i), table.text(i));
  check.finish(table.trailingBytes);
  return check.firstEntryCannotHold();
}

std::vector<int> entriesLayoutCannotHold(const TextTable& table) {
  DatRecordCheck check(table.layout, table.header);
  for (int i = 0; i < table.count(); ++i) check.add(table.key(i), table.text(i));
  check.finish(table.trailingBytes);
  return check.entriesCannotHold();
}

namespace {

bool writeAll(DatRecordWriter& writer, const TextTable& table) {
  for (int i = 0; i < table.count(); ++i) writer.add(table, i);
  return writer.finish(table.trailingBytes);
}

}  // namespace

bool writeTextTable(ByteStream& file, const TextTable& table) {
  if (firstEntryLayoutCannotHold(table) >= 0) return false;
  DatRecordWriter writer(file, table.layout, table.header);
  return writeAll(writer, table);
}

bool writeLengthPrefixedRecords(ByteStream& file, const TextTable& table) {
  DatRecordWriter writer(file, table.layout, table.header, RecordForm::LengthPrefixed);
  return writeAll(writer, table);
}

}  // namespace verbarium
