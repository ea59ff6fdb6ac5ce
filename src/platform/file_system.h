#pragma once
// Whole-file operations of the platform layer.

#include "platform/file.h"

namespace verbarium {

bool fileExists(const Path& path);
bool removeFile(const Path& path);
// Copies a whole file; with failIfExists an existing `to` is left alone and
// the copy fails.
bool copyFile(const Path& from, const Path& to, bool failIfExists);
// Moves `from` over `to`, replacing it, and makes the change durable before
// it returns.
bool replaceFile(const Path& from, const Path& to);
// Gives `to` the permission bits of `from`, where the platform has such bits.
void copyPermissions(const Path& from, const Path& to);
unsigned long currentProcessId();

}  // namespace verbarium
