#pragma once
// Writing a file that replaces user data: the bytes go to a temporary file
// beside the target, which is moved over the target only when every write
// has arrived on the disk. The target is afterwards either exactly the old
// file or exactly the new one.

#include <optional>

#include "platform/file_stream.h"

namespace verbarium {

// The suffix of temporary files: "<target>.~<process id>-<serial>.tmp"
// (platform/scratch_name.h).
inline constexpr std::u16string_view kTemporarySuffix = u".tmp";

// Removes the temporary files that killed runs (processes that are gone) left
// beside `target`; those of runs still going stay.
void removeStaleTemporaries(const Path& target);

class AtomicReplace {
 public:
  // Before it makes its own, it removes the temporary files that killed runs
  // left beside the target (those of processes that are gone). A caller that
  // writes many files of one directory may rather clean the directory once.
  enum class StaleFiles { Remove, LeftToCaller };
  explicit AtomicReplace(Path target, StaleFiles staleFiles = StaleFiles::Remove);
  AtomicReplace(const AtomicReplace&) = delete;
  AtomicReplace& operator=(const AtomicReplace&) = delete;
  // Removes the temporary file unless commit() succeeded.
  ~AtomicReplace();

  // False when no temporary file could be created beside the target.
  bool isOpen() const { return stream_.has_value() && stream_->isOpen(); }
  ByteStream& stream() { return *stream_; }
  const Path& temporaryPath() const { return temporary_; }
  const Path& targetPath() const { return target_; }

  // Flushes, syncs and closes the temporary file, and leaves the target alone
  // until commit(): a caller that must replace many files all together or
  // not at all writes and seals each, with one file open at a time, and
  // commits them only when every one is complete. False, with the temporary
  // file removed, when a write failed. Files that can be made again from
  // their source (what an unpack writes) may skip the wait for the disk.
  enum class Sync { ToDisk, Skip };
  [[nodiscard]] bool seal(Sync sync = Sync::ToDisk);

  // Flushes, syncs and moves the file over the target. False, with the target
  // untouched, when anything failed on the way.
  [[nodiscard]] bool commit();

 private:
  void discard();

  Path target_;
  Path temporary_;
  std::optional<FileStream> stream_;
  bool sealed_ = false;
  Sync sync_ = Sync::ToDisk;
  bool committed_ = false;
};

}  // namespace verbarium
