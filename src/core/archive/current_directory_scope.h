#pragma once
// A stretch of work with another current directory: the scope remembers the
// process's current directory, enters the one it is given, and goes back on
// every way out.

#include <optional>

#include "platform/file.h"

namespace verbarium {

class CurrentDirectoryScope {
 public:
  // Only remembers the current directory, for work that may change it.
  CurrentDirectoryScope();
  // Remembers the current directory and enters `directory`.
  explicit CurrentDirectoryScope(const Path& directory);
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;
  ~CurrentDirectoryScope();

  // False when the directory could not be entered: the current directory is
  // then still the one before, and nothing may be done "in" the directory.
  bool entered() const { return entered_; }
  const Path& previous() const { return previous_; }

 private:
  Path previous_;
  bool entered_ = false;
};

}  // namespace verbarium
