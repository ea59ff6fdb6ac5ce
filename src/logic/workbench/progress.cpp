#include "workbench/progress.h"

#include "platform/utf.h"
#include "workbench/table_pairs.h"

namespace verbarium {

TableProgress measureProgress(const TextTable& current, const TextTable& original) {
  TableProgress progress;
  progress.entries = current.count();
  for (int i = 0; i < current.count(); ++i) {
    if (isTranslated(current.text(i), original.text(i))) ++progress.translated;
  }
  return progress;
}

std::u16string progressText(const TableProgress& progress) {
  return asciiToUtf16(std::to_string(progress.translated) + " / " + std::to_string(progress.entries) + " (" +
                      std::to_string(progress.percent()) + "%)");
}

std::u16string progressDescription(const std::u16string& directory, const std::u16string& table) {
  const TablePair pair = readTablePair(directory, table);
  if (!pair.measurable()) return kNoProgress;
  return progressText(measureProgress(pair.current, pair.original));
}

}  // namespace verbarium
