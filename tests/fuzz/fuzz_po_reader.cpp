// Any bytes as a PO file. What the reader takes must come back the same
// through the writer and the reader again, and a refusal must keep no
// message.

#include <cstdlib>
#include <string_view>

#include "formats/po_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const verbarium::PoReadResult read = verbarium::readPo(std::string_view(reinterpret_cast<const char*>(data), size));
  if (read.failure != verbarium::PoReadFailure::None) {
    if (!read.messages.empty() || read.line < 1) std::abort();
    return 0;
  }
  std::string written = verbarium::poHeader({{"Content-Type", "text/plain; charset=UTF-8"}});
  for (const verbarium::PoMessage& message : read.messages) {
    // The reader takes strict UTF-8 only, so every text can be written.
    if (!verbarium::appendPoMessage(written, message)) std::abort();
  }
  const verbarium::PoReadResult again = verbarium::readPo(written);
  if (again.failure != verbarium::PoReadFailure::None || again.messages.size() != read.messages.size()) std::abort();
  for (std::size_t i = 0; i < read.messages.size(); ++i) {
    const verbarium::PoMessage& a = read.messages[i];
    const verbarium::PoMessage& b = again.messages[i];
    if (a.hasContext != b.hasContext || a.context != b.context || a.id != b.id || a.str != b.str ||
        a.fuzzy != b.fuzzy || a.extractedComments != b.extractedComments) {
      std::abort();
    }
  }
  return 0;
}
