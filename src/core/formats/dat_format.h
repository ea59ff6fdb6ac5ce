#pragma once
// The .dat text table files: the sniffing of their five layouts, the one
// reader and the one writer.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/text_table.h"
#include "platform/byte_stream.h"

namespace verbarium {

// Reads up to 12 bytes from the current position and leaves the stream at 0.
DatLayout sniffDatLayout(ByteStream& file);

// What the reader hands on as it reads: the layout and the header word
// first, then each record in file order. A key and a text live only during
// the call that hands them on; a text may hold U+0000 units.
class DatRecordSink {
 public:
  virtual ~DatRecordSink() = default;
  // The sniffing's verdict, whatever it is, before anything else.
  virtual void sniffed(DatLayout) {}
  virtual void begin(DatLayout layout, std::uint32_t header) = 0;
  virtual void record(std::span<const std::uint8_t> key, std::u16string_view text) = 0;
};

// Why a table was not read, or that it was. CannotOpen comes from the file
// steps (dat_file.h) alone.
enum class [[nodiscard]] DatReadResult { Read, CannotOpen, CannotRead, UnknownFormat, Empty };

// Reads the file's records into `sink` and the bytes after the last whole
// record into `trailingBytes`. Anything but Read means that what the sink
// heard is not the whole file and must not be written back.
[[nodiscard]] DatReadResult readDatRecords(ByteStream& file, DatRecordSink& sink,
                                           std::vector<std::uint8_t>& trailingBytes);

// Fills an empty table. Anything but Read when the file cannot be read, is
// empty, or is in no layout this reader can read without losing part of it;
// the table then holds no entry, and its layout is what the sniffing told
// (ReadFailed, UnknownFormat, Empty, or the layout that could not be read
// whole).
[[nodiscard]] DatReadResult readTextTable(ByteStream& file, TextTable& table);

// Checks, record by record, that the reader will meet each record in the
// table's own layout as it is: in layout 5 a text with a unit above 0x00FF
// is refused; in layout 1 a text of fewer than two units that the bytes after
// it do not end; in any layout a first record that makes the file look like
// another layout.
class DatRecordCheck {
 public:
  DatRecordCheck(DatLayout layout, std::uint32_t header);

  void add(std::span<const std::uint8_t> key, std::u16string_view text);
  // After the last record: the bytes kept after it.
  void finish(std::span<const std::uint8_t> trailingBytes);
  // Whether further records can change the verdict.
  bool settled() const;
  // After finish(): the index of the first entry whose record would not read
  // back as it is, or -1.
  int firstEntryCannotHold() const;
  // After finish(): every such entry, in order.
  std::vector<int> entriesCannotHold() const;

 private:
  void toHead(const void* data, std::size_t size);
  void refuse(int index);
  void settlePending(bool holds);
  bool headTellsOtherLayout() const;

  static constexpr std::size_t kHeadBytes = 12;
  DatLayout layout_;
  int count_ = 0;
  int firstRefused_ = -1;
  std::vector<int> refused_;
  // A layout 1 record of fewer than two units: whether it reads back
  // depends on the bytes after it.
  int pending_ = -1;
  std::size_t pendingUnits_ = 0;
  // The bytes the sniffing looks at, as the writer puts them down.
  std::uint8_t head_[kHeadBytes] = {};
  std::size_t headSize_ = 0;
};

// In a table's own layout, or in records that hold any text.
enum class RecordForm { TableLayout, LengthPrefixed };

// Puts records down one at a time: the one writer of tables, for a table in
// memory and for records that stream from a reader to the disk.
class DatRecordWriter {
 public:
  DatRecordWriter(ByteStream& file, DatLayout layout, std::uint32_t header, RecordForm form = RecordForm::TableLayout);

  void add(std::span<const std::uint8_t> key, std::u16string_view text);
  // Entry `index` of the table; in one write where the form has length
  // fields, as the table holds the record just so.
  void add(const TextTable& table, int index);
  // After the last record: the bytes kept after it. False when a write
  // failed or came back short.
  [[nodiscard]] bool finish(std::span<const std::uint8_t> trailingBytes);

 private:
  void put(const void* data, std::size_t size);

  ByteStream& file_;
  bool lengthFields_;
  bool failed_ = false;
};

// Writes the table at the stream's position in the layout it was read in,
// then the bytes kept after its last record. False when a write failed, or
// when the bytes would not read back as the same entries (then nothing is
// written at all).
[[nodiscard]] bool writeTextTable(ByteStream& file, const TextTable& table);

// The index of the first entry whose record would not read back as it is,
// or -1, as DatRecordCheck tells it.
int firstEntryLayoutCannotHold(const TextTable& table);
// Every entry whose record would not read back as it is, in order.
std::vector<int> entriesLayoutCannotHold(const TextTable& table);

// Writes every entry as its key, a 32-bit length and its text, whatever the
// table's layout: a form that holds any text, for files nobody reads back
// as a table.
[[nodiscard]] bool writeLengthPrefixedRecords(ByteStream& file, const TextTable& table);

}  // namespace verbarium
