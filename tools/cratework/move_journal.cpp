#include "move_journal.h"

#include <algorithm>
#include <set>

#include "container/table_names.h"
#include "platform/atomic_replace.h"
#include "platform/scratch_name.h"
#include "platform/utf.h"

namespace cratework {

using verbarium::isUnpackedFileName;
using verbarium::lowerAscii;

namespace {

constexpr std::string_view kFirstLine = "cratework moves 1";
constexpr std::string_view kJournalPrefix = "cratework.~";
constexpr std::string_view kJournalSuffix = ".journal";
constexpr std::string_view kNoBackup = "-";

// The serial of `staged` when it is exactly the name the owner gives a new
// file for `target`.
bool isStagedName(std::string_view staged, std::string_view target, unsigned long owner) {
  const std::u16string name = verbarium::fromUtf8(staged);
  std::optional<verbarium::ScratchName> parts = verbarium::parseScratchName(name, verbarium::kTemporarySuffix);
  if (!parts || parts->processId != owner) return false;
  const std::u16string target16 = verbarium::fromUtf8(target);
  return verbarium::scratchName(target16, owner, parts->serial, verbarium::kTemporarySuffix) == name &&
         parts->target == target16;
}


// The next line without its LF; false at the end or when no LF ends it.
bool takeLine(std::string_view& text, std::string_view& line) {
  std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return false;
  line = text.substr(0, end);
  text.remove_prefix(end + 1);
  return true;
}

bool readMoves(std::string_view text, unsigned long owner, std::vector<PlannedMove>& moves, std::string& error) {
  if (text.size() > kMaxJournalBytes) {
    error = "the record is larger than any unpack writes";
    return false;
  }
  std::string_view line;
  if (!takeLine(text, line) || line != kFirstLine) {
    error = "the record does not begin with \"" + std::string(kFirstLine) + "\"";
    return false;
  }
  std::set<std::string> targets;
  const std::string endLine = "end ";
  for (;;) {
    if (!takeLine(text, line)) {
      error = "the record is cut short";
      return false;
    }
    if (line.starts_with(endLine)) break;
    if (moves.size() == kMaxJournalMoves) {
      error = "the record holds more moves than any unpack makes";
      return false;
    }
    const std::size_t firstTab = line.find('\t');
    const std::size_t secondTab = firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
    if (secondTab == std::string_view::npos) {
      error = "line " + std::to_string(moves.size() + 2) + " is not three names";
      return false;
    }
    PlannedMove move{std::string(line.substr(0, firstTab)),
                     std::string(line.substr(firstTab + 1, secondTab - firstTab - 1)),
                     std::string(line.substr(secondTab + 1))};
    const std::string where = "line " + std::to_string(moves.size() + 2);
    if (!isUnpackedFileName(move.target)) {
      error = where + " names a target that is not a table or stream of this directory";
      return false;
    }
    if (!isStagedName(move.staged, move.target, owner)) {
      error = where + " names a new file the unpack would not have made";
      return false;
    }
    if (move.backup == kNoBackup) {
      move.backup.clear();
    } else if (move.backup != backupNameFor(move.staged)) {
      error = where + " names a backup the unpack would not have made";
      return false;
    }
    if (!targets.insert(lowerAscii(move.target)).second) {
      error = where + " names a target a second time";
      return false;
    }
    moves.push_back(std::move(move));
  }
  if (line != endLine + std::to_string(moves.size()) || !text.empty()) {
    error = "the record's end does not match its moves";
    return false;
  }
  return true;
}

}  // namespace

std::string journalFileName(unsigned long processId) {
  return std::string(kJournalPrefix) + std::to_string(processId) + std::string(kJournalSuffix);
}

std::optional<unsigned long> journalOwner(std::string_view fileName) {
  if (!fileName.starts_with(kJournalPrefix) || !fileName.ends_with(kJournalSuffix)) return std::nullopt;
  std::string_view digits =
      fileName.substr(kJournalPrefix.size(), fileName.size() - kJournalPrefix.size() - kJournalSuffix.size());
  if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
  unsigned long owner = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    owner = owner * 10 + static_cast<unsigned long>(c - '0');
  }
  return owner;
}

std::string backupNameFor(std::string_view staged) {
  const std::string suffix = verbarium::toUtf8(verbarium::kTemporarySuffix);
  std::string backup(staged.substr(0, staged.size() - std::min(staged.size(), suffix.size())));
  return backup + verbarium::toUtf8(kBackupSuffix);
}

std::string writeJournal(const std::vector<PlannedMove>& moves) {
  std::string text(kFirstLine);
  text += '\n';
  for (const PlannedMove& move : moves) {
    text += move.target + '\t' + move.staged + '\t' + (move.backup.empty() ? std::string(kNoBackup) : move.backup) +
            '\n';
  }
  text += "end " + std::to_string(moves.size()) + '\n';
  return text;
}

bool readJournal(std::string_view text, unsigned long owner, std::vector<PlannedMove>& moves, std::string& error) {
  moves.clear();
  if (readMoves(text, owner, moves, error)) return true;
  moves.clear();
  return false;
}

}  // namespace cratework
