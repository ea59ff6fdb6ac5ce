#include "platform/atomic_replace.h"

#include <atomic>
#include <string>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/process_liveness.h"
#include "platform/scratch_name.h"

namespace verbarium {

namespace {

// Tries a few names, in case a crashed run of a process with this id left
// its temporary file behind.
constexpr int kNameAttempts = 100;

std::size_t fileNameStart(const Path& path) {
  std::size_t separator = path.find_last_of(u"\\/");
  return separator == Path::npos ? 0 : separator + 1;
}

}  // namespace

// Only names of exactly the temporary shape for this target, and only those
// of processes that are gone: a run still writing keeps its file.
void removeStaleTemporaries(const Path& target) {
  const std::size_t nameStart = fileNameStart(target);
  const Path directory = target.substr(0, nameStart);
  const std::u16string_view targetName = std::u16string_view(target).substr(nameStart);
  if (targetName.empty()) return;
  const unsigned long self = currentProcessId();
  for (const Path& name : listFiles(directory, Path(targetName) + u".~*" + Path(kTemporarySuffix))) {
    std::optional<ScratchName> parts = parseScratchName(name, kTemporarySuffix);
    if (!parts || parts->target != targetName || parts->processId == self) continue;
    if (!processIsRunning(parts->processId)) removeFile(directory + name);
  }
}

AtomicReplace::AtomicReplace(Path target, StaleFiles staleFiles) : target_(std::move(target)) {
  static std::atomic<unsigned long> counter{0};
  if (staleFiles == StaleFiles::Remove) removeStaleTemporaries(target_);
  const unsigned long self = currentProcessId();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    Path candidate = scratchName(target_, self, ++counter, kTemporarySuffix);
    File file = File::createNew(candidate);
    if (file.isOpen()) {
      temporary_ = std::move(candidate);
      stream_.emplace(std::move(file));
      return;
    }
  }
}

AtomicReplace::~AtomicReplace() {
  if (!committed_) discard();
}

void AtomicReplace::discard() {
  if (!stream_ && !sealed_) return;
  if (stream_) stream_->close();
  stream_.reset();
  sealed_ = false;
  removeFile(temporary_);
}

bool AtomicReplace::seal(Sync sync) {
  if (!isOpen() || committed_) return false;
  bool ok = sync == Sync::ToDisk ? stream_->flushToDisk() : stream_->flush();
  ok = stream_->close() && ok;
  stream_.reset();
  sealed_ = true;
  sync_ = sync;
  if (!ok) discard();
  return ok;
}

bool AtomicReplace::commit() {
  if (committed_ || (!sealed_ && !seal())) return false;
  copyPermissions(target_, temporary_);
  bool moved = sync_ == Sync::ToDisk ? replaceFile(temporary_, target_) : replaceFileUnsynced(temporary_, target_);
  if (!moved) {
    discard();
    return false;
  }
  sealed_ = false;
  committed_ = true;
  return true;
}

}  // namespace verbarium
