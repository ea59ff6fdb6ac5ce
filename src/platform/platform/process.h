#pragma once
// Starting another program and waiting for it.

#include <optional>
#include <string_view>

#include "platform/file.h"

namespace verbarium {

// Starts `commandLine` in `directory`, with no window shown, and waits
// without a time-out for it to end. The program is the command line's first
// word, searched the way the platform searches for programs (on Windows the
// search of CreateProcessW; elsewhere the directory of this program, then
// PATH). Words are separated by blanks; a word in double quotation marks may
// hold blanks. Returns the program's exit code, or nothing when it could not
// be started.
std::optional<int> runHiddenAndWait(std::u16string_view commandLine, const Path& directory);

}  // namespace verbarium
