#include "archive/current_directory_scope.h"

#include "platform/directory.h"

namespace verbarium {

CurrentDirectoryScope::CurrentDirectoryScope() : previous_(currentDirectory()), entered_(!previous_.empty()) {}

CurrentDirectoryScope::CurrentDirectoryScope(const Path& directory) : previous_(currentDirectory()) {
  // Without a way back, going in would strand the process elsewhere.
  entered_ = !previous_.empty() && setCurrentDirectory(directory);
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
  if (!previous_.empty()) setCurrentDirectory(previous_);
}

}  // namespace verbarium
