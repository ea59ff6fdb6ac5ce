#include "workbench/edition_replace.h"

#include "archive/work_files.h"
#include "platform/file_system.h"

namespace verbarium {

namespace {

constexpr std::size_t kCopyBufferSize = 256 * 1024;

}  // namespace

bool fillFromFile(const Path& from, AtomicReplace& to) {
  File source = File::openRegularForReading(from);
  if (!source.isOpen() || !to.isOpen()) return false;
  std::vector<std::uint8_t> buffer(kCopyBufferSize);
  for (;;) {
    const std::int64_t got = source.read(buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0 || !to.stream().write(buffer.data(), static_cast<std::size_t>(got))) return false;
  }
}

AtomicReplace& EditionReplace::stage(const Path& name) {
  names_.push_back(name);
  staged_.push_back(std::make_unique<AtomicReplace>(JoinPath(edition_, name)));
  return *staged_.back();
}

bool EditionReplace::putBack(const Path& name, bool existed, const Path& point) {
  const Path target = JoinPath(edition_, name);
  if (!existed) return removeFile(target);
  AtomicReplace copy(target);
  return fillFromFile(JoinPath(JoinPath(JoinPath(edition_, kRestorePointFolderName), point), name), copy) &&
         copy.commit();
}

EditionReplaceOutcome EditionReplace::commitAll(const LocalTime& now) {
  EditionReplaceOutcome outcome;
  std::vector<bool> existed;
  std::vector<Path> replaced;
  for (const Path& name : names_) {
    existed.push_back(isRegularFile(JoinPath(edition_, name)));
    if (existed.back()) replaced.push_back(name);
  }
  outcome.kept = KeepRestorePoint(edition_, replaced, now);
  if (!outcome.kept) {
    outcome.failure = EditionReplaceFailure::RestorePointNotKept;
    return outcome;
  }
  for (std::size_t i = 0; i < staged_.size(); ++i) {
    if (staged_[i]->commit()) continue;
    outcome.failure = EditionReplaceFailure::NotMoved;
    outcome.failedName = names_[i];
    for (std::size_t moved = 0; moved < i; ++moved) {
      if (!putBack(names_[moved], existed[moved], outcome.kept.point)) {
        outcome.failure = EditionReplaceFailure::NotPutBack;
        outcome.notPutBack.push_back(names_[moved]);
      }
    }
    return outcome;
  }
  outcome.replaced = staged_.size();
  return outcome;
}

}  // namespace verbarium
