#pragma once
// An exclusive lock on a file that is about to be replaced, held through a
// lock file beside it (<target>.lock) for as long as the writer runs. A
// lock on the target itself would not do: the target is replaced by a
// rename, and the new file would be free while the old one stays locked.
// The lock is only ever tried, never waited for: a second writer is told at
// once that the file is in use.

#include "platform/file.h"

namespace verbarium {

class FileLock {
 public:
  enum class State { None, Held, InUse, Failed };

  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  // Releases the lock and removes the lock file.
  ~FileLock();

  // InUse when another writer holds it (in this process too); Failed when
  // no lock file can be made there (no such directory, no permission).
  static FileLock tryAcquire(const Path& target);

  State state() const { return state_; }
  bool held() const { return state_ == State::Held; }
  void release();

 private:
  State state_ = State::None;
  std::intptr_t handle_ = -1;
  Path lockPath_;
};

}  // namespace verbarium
