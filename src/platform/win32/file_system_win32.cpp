#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/long_path.h"

namespace verbarium {

bool fileExists(const Path& path) {
  return ::GetFileAttributesW(toWin32Path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const Path& path) { return ::DeleteFileW(toWin32Path(path).c_str()) != 0; }

bool copyFile(const Path& from, const Path& to, bool failIfExists) {
  return ::CopyFileW(toWin32Path(from).c_str(), toWin32Path(to).c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool replaceFile(const Path& from, const Path& to) {
  return ::MoveFileExW(toWin32Path(from).c_str(), toWin32Path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void copyPermissions(const Path&, const Path&) {}

unsigned long currentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace verbarium
