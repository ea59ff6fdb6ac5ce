// Any bytes as the record of an unpack's moves. Whatever the reader accepts
// names only files of the work directory in the shapes the unpack makes,
// and writes back to the very same bytes.

#include <cstdlib>
#include <string_view>

#include "container/table_names.h"
#include "move_journal.h"

namespace {

constexpr unsigned long kOwner = 4242;

bool isPlainFileName(std::string_view name) {
  return !name.empty() && name.find_first_of("/\\:\t\n\r") == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<cratework::PlannedMove> moves;
  std::string error;
  if (!cratework::readJournal(text, kOwner, moves, error)) {
    if (!moves.empty() || error.empty()) std::abort();
    return 0;
  }
  if (moves.size() > cratework::kMaxJournalMoves) std::abort();
  for (const auto& move : moves) {
    if (!verbarium::isUnpackedFileName(move.target)) std::abort();
    if (!isPlainFileName(move.staged) || !move.staged.starts_with(move.target + ".~4242-")) std::abort();
    if (!move.backup.empty() && move.backup != cratework::backupNameFor(move.staged)) std::abort();
    if (!move.backup.empty() && !isPlainFileName(move.backup)) std::abort();
  }
  if (cratework::writeJournal(moves) != text) std::abort();
  return 0;
}
