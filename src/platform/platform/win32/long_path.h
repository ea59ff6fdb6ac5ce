#pragma once
// Paths handed to the Win32 file functions. A long path gets the \\?\ form,
// which lifts the 260-character limit on every Windows version.

#include <string>

#include "platform/file.h"

namespace verbarium {

std::wstring toWin32Path(const Path& path);
// The path resolved against the current directory (GetFullPathNameW); the
// path itself when that fails.
std::wstring fullPathOf(const std::wstring& path);

inline std::wstring toWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string fromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace verbarium
