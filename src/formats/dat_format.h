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

// Writes the table at the stream's position in the layout it was read in.
// False when a write failed, or when a text cannot be held by that layout
// (then nothing is written at all).
bool writeTextTable(ByteStream& file, const TextTable& table);

// The index of the first entry the table's layout cannot hold, or -1.
int firstEntryLayoutCannotHold(const TextTable& table);

namespace dat_messages {
inline constexpr char16_t kCannotRead[] = u"ファイルを読み込めません。";
inline constexpr char16_t kUnknownFormat[] = u"不明なフォーマットです。";
inline constexpr char16_t kEmpty[] = u"このファイルは空です。";
inline constexpr char16_t kErrorCaption[] = u"エラー";
}  // namespace dat_messages

}  // namespace verbarium
