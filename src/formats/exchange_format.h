#pragma once
// The exchange file: a table's texts as UTF-16LE with a byte order mark, one
// text per CR LF line, in table order. It holds texts only, so an import can
// only replace the texts of a table that already exists.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_table.h"
#include "platform/byte_stream.h"
#include "platform/large_memory.h"
#include "platform/interaction.h"

namespace verbarium {

// The lines of one exchange file. They share one buffer with the file's code
// units and are kept as offsets into it, so a copy or a move never leaves a
// line pointing into the old buffer; four bytes a line, however short the
// lines.
class ExchangeLines {
 public:
  ExchangeLines() = default;
  // Splits the units after the byte order mark into lines, in place.
  // Content beyond what 32-bit offsets reach is no line.
  ExchangeLines(LargeMemory units, std::size_t count);
  ExchangeLines(ExchangeLines&&) noexcept = default;
  ExchangeLines& operator=(ExchangeLines&&) noexcept = default;
  ExchangeLines(const ExchangeLines& other);
  ExchangeLines& operator=(const ExchangeLines& other);

  int count() const { return starts_.empty() ? 0 : static_cast<int>(starts_.size()) - 1; }
  // Throws std::out_of_range for an index outside the list.
  std::u16string_view line(int index) const;

 private:
  const char16_t* units() const { return reinterpret_cast<const char16_t*>(memory_.get()); }

  // A whole file's units, read without first clearing memory they fill.
  LargeMemory memory_;
  std::size_t size_ = 0;
  // Where each line begins, then where a next line would: each line ends
  // two units (its CR LF) before the next one begins.
  std::vector<std::uint32_t> starts_;
};

enum class ExchangeReadResult { Read, NoByteOrderMark, ReadFailed };

// Reads the whole file from its start, in one read. The lines end at each
// CR LF; units after the last CR LF, a trailing half unit, and everything from
// the first U+0000 on are no line. Without a byte order mark the missing-mark
// message goes to `owner` (when one is given) and no line is taken: the
// first text would otherwise lose its first unit.
ExchangeReadResult readExchangeLines(Interaction* owner, ByteStream& file, ExchangeLines& lines);

// Writes the byte order mark and every text followed by CR LF. False when a
// write failed or came back short.
bool writeExchangeText(ByteStream& file, const TextTable& table);

// Sets the text of entry i to line i. False, with the table untouched, when
// the counts differ: lines put into entries by position would then land in
// the wrong entries (a text holding CR LF reads back as two lines).
bool applyExchangeLines(TextTable& table, const ExchangeLines& lines);

namespace exchange_messages {
inline constexpr char16_t kNoByteOrderMark[] = u"txtファイルが異常です(no BOM)";
}  // namespace exchange_messages

}  // namespace verbarium
