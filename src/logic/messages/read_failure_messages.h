#pragma once
// What the person is told when a table or an exchange file cannot be read:
// the same texts from every window and from the command line.

#include "formats/dat_format.h"
#include "person/interaction.h"

namespace verbarium {

namespace dat_messages {
inline constexpr char16_t kCannotRead[] = u"ファイルを読み込めません。";
inline constexpr char16_t kUnknownFormat[] = u"不明なフォーマットです。";
inline constexpr char16_t kEmpty[] = u"このファイルは空です。";
inline constexpr char16_t kErrorCaption[] = u"エラー";
}  // namespace dat_messages

namespace exchange_messages {
inline constexpr char16_t kNoByteOrderMark[] = u"txtファイルが異常です(no BOM)";
}  // namespace exchange_messages

// Why a table's file was not read. Read and CannotOpen tell nothing: a file
// that is not there is the caller's to mention or not.
void tellTableNotRead(Interaction& person, DatReadResult result);

// An exchange file without its byte order mark, named on the next line.
void tellExchangeFileHasNoMark(Interaction& person, const Path& exchangeFile);

}  // namespace verbarium
