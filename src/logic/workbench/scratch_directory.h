#pragma once
// A directory of one run's own inside another, for files that are only
// needed while it runs (an archive unpacked to be compared): named
// "<stem>.~<process id>-<serial>.tmp", which no table, baseline or restore
// point is named, and removed with its files when the run ends, on every
// way out. A run that was killed leaves its directory behind; the next one
// made with the same stem removes those of processes that are gone.

#include <string_view>

#include "platform/file.h"

namespace verbarium {

class ScratchDirectory {
 public:
  ScratchDirectory(const Path& parent, std::u16string_view stem);
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  ~ScratchDirectory();

  // False when no directory could be made there.
  bool made() const { return !path_.empty(); }
  const Path& path() const { return path_; }

 private:
  Path path_;
};

}  // namespace verbarium
