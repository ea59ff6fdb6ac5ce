#include "staged_moves.h"

#include "container/table_names.h"
#include "move_journal.h"
#include "platform/directory.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/process_liveness.h"
#include "platform/scratch_name.h"
#include "platform/utf.h"
#include "work_directory_path.h"

namespace cratework {

using verbarium::AtomicReplace;
using verbarium::isUnpackedFileName;
using verbarium::Path;

namespace {

std::string fileNameOf(const Path& path) {
  std::size_t separator = path.find_last_of(u"\\/");
  return verbarium::toUtf8(separator == Path::npos ? path : path.substr(separator + 1));
}

bool exists(const Path& path) { return verbarium::fileAttributes(path).has_value(); }

// Whether a move was made: a run knows it of its own moves; for a killed
// run's the files tell.
enum class Moved { Yes, No, Unknown };

// Puts back what `move` replaced. A backup that cannot go yet (on Windows,
// while another program holds the file) goes with the killed runs' files
// later.
bool putBack(const Path& directory, const PlannedMove& move, Moved moved) {
  const Path target = inDirectory(directory, move.target);
  const Path backup = inDirectory(directory, move.backup);
  if (moved == Moved::No) {
    if (!move.backup.empty()) verbarium::removeFile(backup);
    return true;
  }
  if (!move.backup.empty()) {
    if (!exists(backup)) return true;  // put back already
    // Still a second name of the target: the move was not made. (A copy
    // cannot tell; it has the very bytes of the target then.)
    if (moved == Moved::Unknown && verbarium::isSameFile(backup, target)) {
      verbarium::removeFile(backup);
      return true;
    }
    return verbarium::replaceFile(backup, target);
  }
  // With no old file, a killed run's move was made exactly when its new
  // file's own name is gone.
  if (moved == Moved::Unknown && exists(inDirectory(directory, move.staged))) return true;
  // Only the file the move brought is removed, never a directory or link in its way.
  if (!verbarium::isRegularFile(target)) return true;
  return verbarium::removeFile(target);
}

// Puts back the first `moved` of `moves` and leaves the rest as they are.
bool putBackAll(const Path& directory, const std::vector<PlannedMove>& moves, std::size_t moved, std::string& failed) {
  bool ok = true;
  for (std::size_t i = moves.size(); i-- > 0;) {
    if (!putBack(directory, moves[i], i < moved ? Moved::Yes : Moved::No)) {
      failed = moves[i].target;
      ok = false;
    }
  }
  return ok;
}

void removeBackups(const Path& directory, const std::vector<PlannedMove>& moves) {
  for (const PlannedMove& move : moves) {
    if (!move.backup.empty()) verbarium::removeFile(inDirectory(directory, move.backup));
  }
}

// A second name for the old file, or a copy where the file system has no
// such names. An empty name when there is no old file to keep.
bool keepOldFile(const Path& directory, PlannedMove& move, std::string& error) {
  const Path target = inDirectory(directory, move.target);
  const Path backup = inDirectory(directory, move.backup);
  if (verbarium::linkFile(target, backup)) return true;
  // A directory in the way is no old file: its move will fail and undo the rest.
  std::optional<verbarium::FileAttributes> attributes = verbarium::fileAttributes(target);
  if (!exists(target) || (attributes && attributes->directory)) {
    move.backup.clear();
    return true;
  }
  if (verbarium::isRegularFile(target) && verbarium::copyFile(target, backup, /*failIfExists=*/true)) return true;
  error = "cannot keep the old " + move.target + " while it is replaced";
  return false;
}

bool writeRecord(const Path& path, const std::vector<PlannedMove>& moves) {
  AtomicReplace record(path);
  if (!record.isOpen()) return false;
  const std::string text = writeJournal(moves);
  // Synced: the record must be on the disk before the first move is.
  return record.stream().write(text.data(), text.size()) && record.commit();
}

bool readRecord(const Path& path, unsigned long owner, std::vector<PlannedMove>& moves, std::string& error) {
  verbarium::File file = verbarium::File::openRegularForReading(path);
  const std::int64_t size = file.size();
  if (!file.isOpen() || size < 0) {
    error = "it cannot be read";
    return false;
  }
  if (static_cast<std::uint64_t>(size) > kMaxJournalBytes) {
    error = "the record is larger than any unpack writes";
    return false;
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  if (file.read(text.data(), text.size()) != size) {
    error = "it cannot be read";
    return false;
  }
  return readJournal(text, owner, moves, error);
}

// The process whose scratch file `name` is, when it is a new file or backup
// of a table or stream, or a record being written.
std::optional<unsigned long> scratchOwner(std::u16string_view name) {
  for (std::u16string_view suffix : {verbarium::kTemporarySuffix, kBackupSuffix}) {
    std::optional<verbarium::ScratchName> parts = verbarium::parseScratchName(name, suffix);
    if (!parts) continue;
    const std::string target = verbarium::toUtf8(parts->target);
    if (isUnpackedFileName(target)) return parts->processId;
    if (suffix == verbarium::kTemporarySuffix && journalOwner(target) == parts->processId) return parts->processId;
  }
  return std::nullopt;
}

bool isGone(unsigned long owner) {
  return owner != verbarium::currentProcessId() && !verbarium::processIsRunning(owner);
}

}  // namespace

bool moveAllIntoPlace(const Path& directory, std::vector<std::unique_ptr<AtomicReplace>>& staged, std::string& error) {
  std::vector<PlannedMove> moves;
  moves.reserve(staged.size());
  for (const auto& file : staged) {
    PlannedMove move{fileNameOf(file->targetPath()), fileNameOf(file->temporaryPath()), {}};
    move.backup = backupNameFor(move.staged);
    if (!keepOldFile(directory, move, error)) {
      removeBackups(directory, moves);
      return false;
    }
    moves.push_back(std::move(move));
  }
  const Path record = inDirectory(directory, journalFileName(verbarium::currentProcessId()));
  if (!writeRecord(record, moves)) {
    removeBackups(directory, moves);
    error = "cannot write " + journalFileName(verbarium::currentProcessId()) + " in the work directory";
    return false;
  }

  std::size_t moved = 0;
  while (moved < staged.size() && staged[moved]->commit()) ++moved;
  // With the record gone every new file counts as in place; were it to stay,
  // the next run would undo this one.
  if (moved == staged.size() && verbarium::removeFile(record)) {
    removeBackups(directory, moves);
    return true;
  }
  error = moved < staged.size() ? "cannot move " + moves[moved].target + " into place" : "cannot remove the record";
  std::string failed;
  if (!putBackAll(directory, moves, moved, failed)) {
    error += "; cannot put back the old " + failed + ": the next run will try again";
    return false;
  }
  verbarium::removeFile(record);
  removeBackups(directory, moves);
  error += "; every file is as it was";
  return false;
}

bool recoverInterruptedRuns(const Path& directory, std::string& error) {
  const std::vector<Path> names = verbarium::listFiles(directory, u"*.~*");
  for (const Path& name : names) {
    const std::string recordName = verbarium::toUtf8(name);
    std::optional<unsigned long> owner = journalOwner(recordName);
    if (!owner || !isGone(*owner)) continue;
    const Path record = inDirectory(directory, recordName);
    std::vector<PlannedMove> moves;
    std::string reason;
    if (!readRecord(record, *owner, moves, reason)) {
      error = "cannot undo the interrupted unpack recorded in " + recordName + ": " + reason;
      return false;
    }
    for (std::size_t i = moves.size(); i-- > 0;) {
      if (!putBack(directory, moves[i], Moved::Unknown)) {
        error = "cannot undo the interrupted unpack recorded in " + recordName + ": cannot put back the old " +
                moves[i].target;
        return false;
      }
    }
    if (!verbarium::removeFile(record)) {
      error = "cannot remove " + recordName;
      return false;
    }
  }
  for (const Path& name : names) {
    std::optional<unsigned long> owner = scratchOwner(name);
    if (owner && isGone(*owner)) verbarium::removeFile(inDirectory(directory, verbarium::toUtf8(name)));
  }
  return true;
}

}  // namespace cratework
