#pragma once
// The .dat text table files: the sniffing of their five layouts, the one
// reader and the one writer.

#include "model/text_table.h"
#include "platform/byte_stream.h"
#include "platform/interaction.h"

namespace verbarium {

// Reads up to 12 bytes from the current position and leaves the stream at 0.
DatLayout sniffDatLayout(ByteStream& file);

// Fills an empty table. False when the file cannot be read, is empty, or is
// in no layout this reader can read without losing part of it; the reason is
// shown to `owner` when one is given.
bool readTextTable(Interaction* owner, ByteStream& file, TextTable& table);

// Writes the table at the stream's position in the layout it was read in,
// then the bytes kept after its last record. False when a write failed, or
// when the bytes would not read back as the same entries (then nothing is
// written at all).
[[nodiscard]] bool writeTextTable(ByteStream& file, const TextTable& table);

// The index of the first entry whose record would not read back as it is,
// or -1: in layout 5 a text with a unit above 0x00FF; in layout 1 a text of
// fewer than two units that the bytes after it do not end; in any layout a
// first record that makes the file look like another layout.
int firstEntryLayoutCannotHold(const TextTable& table);

// Writes every entry as its key, a 32-bit length and its text, whatever the
// table's layout: a form that holds any text, for files nobody reads back
// as a table.
[[nodiscard]] bool writeLengthPrefixedRecords(ByteStream& file, const TextTable& table);

namespace dat_messages {
inline constexpr char16_t kCannotRead[] = u"ファイルを読み込めません。";
inline constexpr char16_t kUnknownFormat[] = u"不明なフォーマットです。";
inline constexpr char16_t kEmpty[] = u"このファイルは空です。";
inline constexpr char16_t kErrorCaption[] = u"エラー";
}  // namespace dat_messages

}  // namespace verbarium
