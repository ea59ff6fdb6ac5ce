#pragma once
// The process environment: the program search path, and where this program
// lies.

#include <string>

#include "platform/file.h"

namespace verbarium {

// The separator of PATH's directories: ';' on Windows, ':' elsewhere.
char16_t searchPathSeparator();

// The value of PATH; empty when it is not set.
std::u16string searchPath();
// Sets PATH for this process and the programs it starts.
bool setSearchPath(const std::u16string& value);

// The directory of this program's executable file, with its backslash when
// it is a drive's root; empty when unknown.
Path programDirectory();

}  // namespace verbarium
