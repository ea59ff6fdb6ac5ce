#include "platform/atomic_replace.h"

#include <string>

#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

// Tries a few names, in case a crashed run left its temporary file behind.
constexpr int kNameAttempts = 100;

}  // namespace

AtomicReplace::AtomicReplace(Path target) : target_(std::move(target)) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string suffix = ".~" + std::to_string(currentProcessId()) + "-" + std::to_string(++counter) + ".tmp";
    Path candidate = target_ + asciiToUtf16(suffix);
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
