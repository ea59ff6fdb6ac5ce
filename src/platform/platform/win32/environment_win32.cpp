#include <windows.h>

#include "platform/environment.h"
#include "platform/win32/long_path.h"
#include "platform/windows_path.h"

namespace verbarium {

char16_t searchPathSeparator() { return u';'; }

std::u16string searchPath() {
  DWORD needed = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
  while (needed != 0) {
    std::wstring buffer(needed, L'\0');
    DWORD written = ::GetEnvironmentVariableW(L"PATH", buffer.data(), needed);
    if (written == 0) break;
    if (written < needed) {
      buffer.resize(written);
      return fromWide(buffer);
    }
    needed = written;
  }
  return {};
}

bool setSearchPath(const std::u16string& value) {
  return ::SetEnvironmentVariableW(L"PATH", toWide(value).c_str()) != 0;
}

Path programDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD written = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (written == 0) return {};
    if (written < buffer.size()) {
      buffer.resize(written);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return directoryOfFile(fromWide(buffer));
}

}  // namespace verbarium
