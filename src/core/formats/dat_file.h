#pragma once
// A .dat table read from, and saved to, a path: the file steps that the
// entry list, the import and the command-line tool share.

#include "formats/dat_format.h"

namespace verbarium {

// Opens the file shared for reading and reads it with readTextTable;
// CannotOpen when it cannot be opened.
[[nodiscard]] DatReadResult readTextTableFile(const Path& path, TextTable& table);

enum class [[nodiscard]] TableSaveResult { Saved, LayoutCannotHold, WriteFailed };

// Writes the table through the atomic replace: afterwards the file at `path`
// is either exactly as it was or exactly the table.
[[nodiscard]] TableSaveResult saveTextTableFile(const Path& path, const TextTable& table,
                                                RecordForm form = RecordForm::TableLayout);

}  // namespace verbarium
