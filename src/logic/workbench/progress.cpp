#include "workbench/progress.h"

#include "platform/utf.h"

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

}  // namespace verbarium
