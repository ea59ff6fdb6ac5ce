#pragma once
// Windows path rules that need no Windows: which part of a path is its root.

#include <string_view>

#include "platform/file.h"

namespace verbarium {

// The directory that holds the file at a full Windows path: "C:\a" for
// "C:\a\b.exe". At a root the backslash stays ("E:\" for "E:\x.exe"), as
// "E:" alone names the drive's current directory, not its root. Empty when
// the path names no directory.
Path directoryOfFile(std::u16string_view path);

}  // namespace verbarium
