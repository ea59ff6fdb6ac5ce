#include <windows.h>

#include <string>

#include "platform/process.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

std::optional<int> runHiddenAndWait(std::u16string_view commandLine, const Path& directory) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started{};
  // CreateProcessW may write into the command line: a private buffer, as
  // long as the text needs.
  std::wstring buffer = toWide(commandLine);
  std::wstring startIn = toWide(directory);
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        startIn.empty() ? nullptr : startIn.c_str(), &startup, &started)) {
    return std::nullopt;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) return std::nullopt;
  return static_cast<int>(exitCode);
}

}  // namespace verbarium
