#pragma once
// Putting the sealed new files of an unpack in place all together or not at
// all. Before the first move each old file gets a second name (its backup)
// and a record of the planned moves reaches the disk (move_journal.h); a
// move that fails puts every moved file back; a run killed among its moves
// is undone by the next run in that directory. The record's removal is the
// moment the new files count as in place.

#include <memory>
#include <string>
#include <vector>

#include "platform/atomic_replace.h"

namespace cratework {

// Every file in `staged` is sealed and stands beside its target in
// `directory`. False, with the reason and every target as it was, when any
// of them could not be moved into place.
bool moveAllIntoPlace(const verbarium::Path& directory, std::vector<std::unique_ptr<verbarium::AtomicReplace>>& staged,
                      std::string& error);

// Undoes the moves of every run in `directory` that was killed among them
// (its process is gone and its record is still there), then removes the new
// files and backups that killed runs left. False, with the reason, when a
// record cannot be read or a file cannot be put back; the record then stays
// for a later run.
bool recoverInterruptedRuns(const verbarium::Path& directory, std::string& error);

}  // namespace cratework
