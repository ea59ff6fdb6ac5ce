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
  if (!stream_) return;
  stream_->close();
  stream_.reset();
  removeFile(temporary_);
}

bool AtomicReplace::commit() {
  if (!isOpen() || committed_) return false;
  bool ok = stream_->flushToDisk();
  ok = stream_->close() && ok;
  if (ok) {
    copyPermissions(target_, temporary_);
    ok = replaceFile(temporary_, target_);
  }
  if (!ok) {
    discard();
    return false;
  }
  stream_.reset();
  committed_ = true;
  return true;
}

}  // namespace verbarium
