#include "formats/exchange_table.h"

#include <optional>
#include <vector>

#include "formats/dat_format.h"
#include "model/unit_search.h"
#include "platform/atomic_replace.h"
#include "platform/file_lock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"

namespace verbarium {

Path exchangeFilePath(const Path& tablePath) { return tablePath + u".txt"; }

namespace {

// Hands each record of the table on, entry i with line i of the exchange
// file for its text, to the check and to the writer when there is one;
// counts the entries and the lines whatever their numbers.
class LinesIntoRecords final : public DatRecordSink {
 public:
  LinesIntoRecords(ByteStream* output, ExchangeLineReader& lines) : output_(output), lines_(lines) {}

  void begin(DatLayout layout, std::uint32_t header) override {
    check_.emplace(layout, header);
    if (output_ != nullptr) writer_.emplace(*output_, layout, header);
  }
  void record(std::span<const std::uint8_t> key, std::u16string_view) override {
    ++entries_;
    std::u16string_view text;
    if (!nextLine(text)) return;
    check_->add(key, text);
    if (writer_) writer_->add(key, text);
  }

  // Reads on to the last line, so that the lines no entry took are counted
  // and a read that fails among them is known.
  void readRemainingLines() {
    std::u16string_view text;
    while (nextLine(text)) {
    }
  }
  int entries() const { return entries_; }
  std::int64_t lines() const { return linesRead_; }
  // After a read that began. False when there was no writer or it failed.
  bool finish(std::span<const std::uint8_t> trailingBytes) {
    check_->finish(trailingBytes);
    return writer_ && writer_->finish(trailingBytes);
  }
  int firstEntryCannotHold() const { return check_->firstEntryCannotHold(); }

 private:
  bool nextLine(std::u16string_view& text) {
    if (linesEnded_ || !lines_.next(text)) {
      linesEnded_ = true;
      return false;
    }
    ++linesRead_;
    return true;
  }

  ByteStream* output_;
  ExchangeLineReader& lines_;
  std::optional<DatRecordCheck> check_;
  std::optional<DatRecordWriter> writer_;
  int entries_ = 0;
  std::int64_t linesRead_ = 0;
  bool linesEnded_ = false;
};

// Writes each record's text as a line, when there is a writer.
class TextsIntoLines final : public DatRecordSink {
 public:
  explicit TextsIntoLines(ExchangeLineWriter* writer) : writer_(writer) {}
  void begin(DatLayout, std::uint32_t) override {}
  void record(std::span<const std::uint8_t>, std::u16string_view text) override {
    // A table's text ends at its first U+0000, as when it is opened.
    if (writer_) writer_->add(beforeZero(text));
  }

 private:
  ExchangeLineWriter* writer_;
};

}  // namespace

ExportResult exportTable(const Path& tablePath, const Path& exchangePath) {
  if (isSameFile(tablePath, exchangePath)) return ExportResult::ExchangeFileIsTable;
  const FileLock lock = FileLock::tryAcquire(exchangePath);
  if (lock.state() == FileLock::State::InUse) return ExportResult::ExchangeFileInUse;
  if (!lock.held()) return ExportResult::WriteFailed;
  FileStream input(File::openForReading(tablePath));
  if (!input.isOpen()) return ExportResult::TableCannotOpen;
  // The texts stream from the table to the new exchange file, which replaces
  // the old one only when the table was read whole: an exchange file of
  // fewer texts would replace whatever the translator has there.
  AtomicReplace replace(exchangePath);
  std::optional<ExchangeLineWriter> writer;
  if (replace.isOpen()) writer.emplace(replace.stream());
  TextsIntoLines lines(writer ? &*writer : nullptr);
  std::vector<std::uint8_t> trailingBytes;
  const DatReadResult read = readDatRecords(input, lines, trailingBytes);
  input.close();
  if (read != DatReadResult::Read) return ExportResult::TableRejected;
  if (!writer || !writer->finish() || !replace.commit()) return ExportResult::WriteFailed;
  return ExportResult::Written;
}

ImportOutcome importTable(const Path& tablePath, const Path& exchangePath) {
  ImportOutcome outcome;
  if (isSameFile(tablePath, exchangePath)) {
    outcome.result = ImportResult::ExchangeFileIsTable;
    return outcome;
  }
  // Held from the first read to the rename: a second import meanwhile
  // would read the old table and replace this one's work.
  const FileLock lock = FileLock::tryAcquire(tablePath);
  if (!lock.held()) {
    outcome.result = lock.state() == FileLock::State::InUse ? ImportResult::TableInUse : ImportResult::WriteFailed;
    return outcome;
  }
  FileStream exchange(File::openForReading(exchangePath));
  if (!exchange.isOpen()) {
    // A file held open by an editor is not the same as no file at all.
    outcome.result = fileAttributes(exchangePath) ? ImportResult::ExchangeFileUnreadable : ImportResult::NoExchangeFile;
    return outcome;
  }
  ExchangeLineReader lines(exchange);
  switch (lines.readMark()) {
    case ExchangeReadResult::Read: break;
    case ExchangeReadResult::NoByteOrderMark: outcome.result = ImportResult::NoByteOrderMark; return outcome;
    case ExchangeReadResult::ReadFailed: outcome.result = ImportResult::ExchangeFileUnreadable; return outcome;
  }

  // The table streams from its file to the new one, each record with its
  // line: neither file is held in memory, and whatever goes wrong on the
  // way, the new file is dropped and the old one stays. A table that cannot
  // be replaced is still read through, so that a reason that comes first (an
  // exchange file or a table that cannot be read, counts that differ) is the
  // one told.
  FileStream input(File::openForReading(tablePath));
  std::optional<AtomicReplace> replace;
  if (input.isOpen()) replace.emplace(tablePath);
  LinesIntoRecords records(replace && replace->isOpen() ? &replace->stream() : nullptr, lines);
  std::vector<std::uint8_t> trailingBytes;
  const DatReadResult read = input.isOpen() ? readDatRecords(input, records, trailingBytes) : DatReadResult::CannotRead;
  input.close();
  records.readRemainingLines();
  outcome.exchangeLines = records.lines();
  outcome.tableEntries = records.entries();
  if (lines.failed()) {
    outcome.result = ImportResult::ExchangeFileUnreadable;
  } else if (read != DatReadResult::Read) {
    outcome.result = ImportResult::TableUnreadable;
  } else if (records.lines() != records.entries()) {
    // Lines go into entries by position: they would land in the wrong
    // entries (a text holding CR LF reads back as two lines).
    outcome.result = ImportResult::LineCountDiffers;
  } else if (const bool written = records.finish(trailingBytes); records.firstEntryCannotHold() >= 0) {
    outcome.result = ImportResult::LayoutCannotHold;
    outcome.entryLayoutCannotHold = records.firstEntryCannotHold();
  } else if (!written || !replace->commit()) {
    outcome.result = ImportResult::WriteFailed;
  }
  return outcome;
}

}  // namespace verbarium
