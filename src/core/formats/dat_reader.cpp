#include <algorithm>
#include <array>
#include <cstring>

#include "codec/le_bytes.h"
#include "formats/dat_format.h"
#include "formats/read_ahead.h"
#include "model/unit_search.h"

namespace verbarium {

namespace {

// Layout 1 collects the key words, the length word and the first text word of
// a record into the 64-byte key.
constexpr int kMaxWordsPerRecord = static_cast<int>(KeyCapacity / 4);
constexpr std::uint32_t kMaxCountedKeyBody = KeyCapacity - 5;
constexpr std::uint32_t kFirstTextWord = 0x10000;
// Texts are read in pieces, so a length field that promises more than the
// file holds costs no more memory than the file.
constexpr std::size_t kTextChunkBytes = 64 * 1024;
constexpr std::size_t kMarkerScanUnits = 64;

enum class ReaderEnd { Done, Unsupported };

// The record being read: one per table, so that its text buffer is reused.
struct Record {
  std::array<std::uint8_t, KeyCapacity> key{};
  std::uint32_t keyLength = 0;
  std::u16string text;

  void clear() {
    key.fill(0);
    keyLength = 0;
    text.clear();
  }
  void handTo(DatRecordSink& sink) const { sink.record({key.data(), keyLength}, text); }
};

bool readField(ReadAhead& file, void* buffer, std::size_t size) {
  return file.read(buffer, size) == static_cast<std::int64_t>(size);
}

bool readWord(ReadAhead& file, std::uint32_t& value) {
  std::uint8_t bytes[4];
  if (!readField(file, bytes, 4)) return false;
  value = loadLe32(bytes);
  return true;
}

// The common tail of layouts 1 to 4: `units` code units, or as many as the
// file still holds. A half unit at the end of the file counts with a zero
// high byte, as in a zero-filled buffer.
void readCountedText(ReadAhead& file, std::uint32_t units, std::u16string& text) {
  text.clear();
  std::uint64_t wanted = static_cast<std::uint64_t>(units) * 2;
  std::size_t filled = 0;
  while (wanted > 0) {
    std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, kTextChunkBytes));
    text.resize((filled + chunk + 1) / 2);
    std::int64_t got = file.read(reinterpret_cast<std::uint8_t*>(text.data()) + filled, chunk);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
    wanted -= static_cast<std::uint64_t>(got);
    if (static_cast<std::size_t>(got) < chunk) break;
  }
  text.resize((filled + 1) / 2);
  if (filled % 2 != 0) text.back() &= 0x00FF;
}

void appendKeyWord(Record& entry, std::uint32_t word) {
  storeLe32(entry.key.data() + entry.keyLength, word);
  entry.keyLength += 4;
}

// Each reader leaves the stream at the end of the last record it appended
// when it ends with Done, so that the bytes from there on can be kept.
ReaderEnd readDwordRunKey(ReadAhead& file, DatRecordSink& sink) {
  Record entry;
  for (;;) {
    const std::int64_t recordStart = file.position();
    entry.clear();
    int words = 0;
    std::uint32_t word = 0;
    for (;;) {
      std::uint8_t bytes[4];
      std::int64_t got = file.read(bytes, 4);
      if (got != 4) {
        // The last record of the file, when its text is shorter than two
        // units: its length word is the last word collected and exactly its
        // text follows.
        if (words >= 1 && ((word == 0 && got == 0) || (word == 1 && got == 2))) {
          entry.keyLength -= 4;
          std::memset(entry.key.data() + entry.keyLength, 0, 4);
          if (got == 2) entry.text.assign(1, static_cast<char16_t>(bytes[0] | bytes[1] << 8));
          entry.handTo(sink);
        } else {
          file.seek(recordStart, SeekOrigin::Begin);
        }
        return ReaderEnd::Done;
      }
      if (words == kMaxWordsPerRecord) return ReaderEnd::Unsupported;
      word = loadLe32(bytes);
      appendKeyWord(entry, word);
      ++words;
      if (word >= kFirstTextWord) break;
    }
    // A record needs its length word before the first text word; without one
    // these are not layout 1 records.
    if (words < 2) return ReaderEnd::Unsupported;
    file.seek(-8, SeekOrigin::Current);
    entry.keyLength -= 8;
    std::memset(entry.key.data() + entry.keyLength, 0, 8);
    std::uint32_t units = 0;
    if (!readWord(file, units)) return ReaderEnd::Done;
    readCountedText(file, units, entry.text);
    entry.handTo(sink);
  }
}

ReaderEnd stopAt(ReadAhead& file, std::int64_t recordStart) {
  file.seek(recordStart, SeekOrigin::Begin);
  return ReaderEnd::Done;
}

ReaderEnd readCountedKey(ReadAhead& file, DatRecordSink& sink) {
  Record entry;
  for (;;) {
    const std::int64_t recordStart = file.position();
    entry.clear();
    if (!readField(file, entry.key.data(), 1)) return stopAt(file, recordStart);
    if (!readField(file, entry.key.data() + 1, 4)) return stopAt(file, recordStart);
    std::uint32_t bodyLength = loadLe32(entry.key.data() + 1);
    if (bodyLength > kMaxCountedKeyBody) return ReaderEnd::Unsupported;
    // A body cut short by the end of the file stays zero-filled; the length
    // field after it then cannot be read and the record ends there.
    file.read(entry.key.data() + 5, bodyLength);
    entry.keyLength = 5 + bodyLength;
    std::uint32_t units = 0;
    if (!readWord(file, units)) return stopAt(file, recordStart);
    readCountedText(file, units, entry.text);
    entry.handTo(sink);
  }
}

ReaderEnd readFixedKey(ReadAhead& file, DatRecordSink& sink, std::uint32_t keyLength) {
  Record entry;
  for (;;) {
    const std::int64_t recordStart = file.position();
    entry.clear();
    if (!readField(file, entry.key.data(), keyLength)) return stopAt(file, recordStart);
    entry.keyLength = keyLength;
    std::uint32_t units = 0;
    if (!readWord(file, units)) return stopAt(file, recordStart);
    readCountedText(file, units, entry.text);
    entry.handTo(sink);
  }
}

// Reads text units up to the next marker (a unit above 0x00FF) or the end of
// the file. Returns whether a marker ended the text.
bool readMarkerText(ReadAhead& file, std::u16string& text, std::uint16_t& nextMarker) {
  text.clear();
  char16_t units[kMarkerScanUnits];
  for (;;) {
    std::int64_t got = file.read(units, sizeof units);
    if (got <= 0) return false;
    std::size_t count = static_cast<std::size_t>(got) / 2;
    const std::size_t marker = findUnitAbove00FF({units, count});
    const std::size_t i = marker == std::u16string_view::npos ? count : marker;
    text.append(units, i);
    if (i < count) {
      nextMarker = units[i];
      // Give back what was read beyond the marker.
      file.seek(-(got - static_cast<std::int64_t>((i + 1) * 2)), SeekOrigin::Current);
      return true;
    }
    if (static_cast<std::size_t>(got) < sizeof units) return false;
  }
}

ReaderEnd readMarkerDelimited(ReadAhead& file, DatRecordSink& sink) {
  // A record begins with its marker, which the record before has read.
  std::int64_t recordStart = file.position();
  std::uint8_t markerBytes[2];
  if (!readField(file, markerBytes, 2)) return stopAt(file, recordStart);
  std::uint16_t marker = static_cast<std::uint16_t>(markerBytes[0] | markerBytes[1] << 8);
  Record entry;
  for (;;) {
    entry.clear();
    entry.key[0] = static_cast<std::uint8_t>(marker);
    entry.key[1] = static_cast<std::uint8_t>(marker >> 8);
    if (!readField(file, entry.key.data() + 2, 8)) return stopAt(file, recordStart);
    entry.keyLength = 10;
    const std::int64_t textStart = file.position();
    bool more = readMarkerText(file, entry.text, marker);
    // Ends where the next marker begins, or before an odd last byte.
    recordStart = textStart + static_cast<std::int64_t>(entry.text.size()) * 2;
    entry.handTo(sink);
    if (!more) return stopAt(file, recordStart);
  }
}

bool readTrailingBytes(ReadAhead& file, std::vector<std::uint8_t>& bytes) {
  const std::int64_t here = file.position();
  const std::int64_t end = file.size();
  if (here < 0 || end < here) return false;
  bytes.resize(static_cast<std::size_t>(end - here));
  return bytes.empty() || file.read(bytes.data(), bytes.size()) == static_cast<std::int64_t>(bytes.size());
}

// Appends each record to the table; the text is cut at its first zero unit
// on the way in.
class TableFiller final : public DatRecordSink {
 public:
  explicit TableFiller(TextTable& table) : table_(table) {}
  void sniffed(DatLayout layout) override { table_.layout = layout; }
  void begin(DatLayout layout, std::uint32_t header) override {
    table_.layout = layout;
    table_.header = header;
  }
  void record(std::span<const std::uint8_t> key, std::u16string_view text) override { table_.append(key, text); }

 private:
  TextTable& table_;
};

}  // namespace

DatReadResult readDatRecords(ByteStream& file, DatRecordSink& sink, std::vector<std::uint8_t>& trailingBytes) {
  const DatLayout layout = sniffDatLayout(file);
  sink.sniffed(layout);
  switch (layout) {
    case DatLayout::ReadFailed: return DatReadResult::CannotRead;
    case DatLayout::UnknownFormat: return DatReadResult::UnknownFormat;
    case DatLayout::Empty: return DatReadResult::Empty;
    default: break;
  }
  ReadAhead ahead(file);
  std::uint8_t header[4];
  // The sniffing read these bytes a moment ago: failing now, the file cannot
  // be read, and an empty table would replace it on the next save.
  if (!readField(ahead, header, 4)) return DatReadResult::CannotRead;
  sink.begin(layout, loadLe32(header));
  ReaderEnd end = ReaderEnd::Done;
  switch (layout) {
    case DatLayout::DwordRunKey: end = readDwordRunKey(ahead, sink); break;
    case DatLayout::CountedKey: end = readCountedKey(ahead, sink); break;
    case DatLayout::SixByteKey: end = readFixedKey(ahead, sink, 6); break;
    case DatLayout::SevenByteKey: end = readFixedKey(ahead, sink, 7); break;
    case DatLayout::MarkerDelimited: end = readMarkerDelimited(ahead, sink); break;
    default: break;
  }
  // Never open for editing what could not be read whole: a save would
  // write it back shorter than it was.
  if (end == ReaderEnd::Unsupported) return DatReadResult::UnknownFormat;
  // What could not be kept would be lost by the next save.
  if (!readTrailingBytes(ahead, trailingBytes) || ahead.failed() || !ahead.settle()) return DatReadResult::CannotRead;
  return DatReadResult::Read;
}

DatReadResult readTextTable(ByteStream& file, TextTable& table) {
  TableFiller filler(table);
  const DatReadResult result = readDatRecords(file, filler, table.trailingBytes);
  if (result != DatReadResult::Read) {
    // Nothing of a table read in part may be written back.
    const DatLayout sniffed = table.layout;
    table = TextTable{};
    table.layout = sniffed;
  }
  return result;
}

}  // namespace verbarium
