#include "formats/dat_file.h"

#include "platform/atomic_replace.h"
#include "platform/file_stream.h"

namespace verbarium {

DatReadResult readTextTableFile(const Path& path, TextTable& table) {
  FileStream stream(File::openForReading(path));
  if (!stream.isOpen()) return DatReadResult::CannotOpen;
  return readTextTable(stream, table);
}

TableSaveResult saveTextTableFile(const Path& path, const TextTable& table, RecordForm form) {
  const bool ownLayout = form == RecordForm::TableLayout;
  AtomicReplace replace(path);
  if (!replace.isOpen()) return TableSaveResult::WriteFailed;
  const bool written = ownLayout ? writeTextTable(replace.stream(), table)
                                 : writeLengthPrefixedRecords(replace.stream(), table);
  // The writer checked the table once; why it refused is asked only then.
  if (!written) {
    return ownLayout && firstEntryLayoutCannotHold(table) >= 0 ? TableSaveResult::LayoutCannotHold
                                                               : TableSaveResult::WriteFailed;
  }
  return replace.commit() ? TableSaveResult::Saved : TableSaveResult::WriteFailed;
}

}  // namespace verbarium
