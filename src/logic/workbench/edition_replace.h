#pragma once
// Files of an edition replaced all together or not at all. Each new file is
// written and sealed beside its target first; only when every one is
// complete are the files they replace kept in a restore point and the new
// ones moved into place. When a move fails, the files already moved are
// put back from the restore point (and those that were new removed), so
// the edition is as it was.

#include <memory>
#include <vector>

#include "archive/restore_point.h"
#include "platform/atomic_replace.h"

namespace verbarium {

// Copies the file's bytes into the replace's stream; false when a read or
// a write failed.
[[nodiscard]] bool fillFromFile(const Path& from, AtomicReplace& to);

enum class EditionReplaceFailure {
  None,
  RestorePointNotKept,  // nothing moved; `kept` says why
  NotMoved,             // `failedName` could not be moved into place; everything is as it was
  NotPutBack,           // and `notPutBack` could not be put back; the restore point holds them
};

struct EditionReplaceOutcome {
  EditionReplaceFailure failure = EditionReplaceFailure::None;
  RestorePointResult kept;
  Path failedName;  // a file of the edition directory
  std::vector<Path> notPutBack;
  std::size_t replaced = 0;  // files moved into place and left there

  explicit operator bool() const { return failure == EditionReplaceFailure::None; }
};

class EditionReplace {
 public:
  explicit EditionReplace(Path editionDirectory) : edition_(std::move(editionDirectory)) {}

  // A new file for `name` (a file of the edition directory), to be filled
  // and sealed by the caller. One file is open at a time.
  AtomicReplace& stage(const Path& name);

  // Keeps the files the staged ones replace, then moves every staged file
  // into place. Every file must have been sealed.
  [[nodiscard]] EditionReplaceOutcome commitAll(const LocalTime& now = localTimeNow());

 private:
  bool putBack(const Path& name, bool existed, const Path& point);

  Path edition_;
  std::vector<Path> names_;
  std::vector<std::unique_ptr<AtomicReplace>> staged_;
};

}  // namespace verbarium
