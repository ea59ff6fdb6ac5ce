#include <windows.h>

#include <string>

#include "platform/process.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

namespace {

// The exit code a stopped program is given.
constexpr UINT kStoppedExitCode = ERROR_CANCELLED;
constexpr DWORD kStopPollMs = 50;

}  // namespace

ProgramRun runHiddenAndWait(std::u16string_view commandLine, const Path& directory, std::stop_token stop) {
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
    return {};
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  // The stop is looked for between short waits, here on this thread: the
  // program is ended by the thread that waits for it.
  bool stopped = false;
  for (;;) {
    const DWORD waited =
        ::WaitForSingleObject(process.get(), stopped || !stop.stop_possible() ? INFINITE : kStopPollMs);
    if (waited == WAIT_OBJECT_0) break;
    if (waited != WAIT_TIMEOUT) {
      // Never left running unwatched.
      ::TerminateProcess(process.get(), kStoppedExitCode);
      ::WaitForSingleObject(process.get(), INFINITE);
      return {};
    }
    // A program that has ended by itself meanwhile cannot be ended, and
    // keeps its own exit code.
    if (stop.stop_requested()) stopped = ::TerminateProcess(process.get(), kStoppedExitCode) != FALSE;
  }
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) return {};
  // Not every system refuses to end a program that has ended already: the
  // exit code tells too.
  const bool ended = stopped && exitCode == kStoppedExitCode;
  return {ended ? ProgramRun::End::Stopped : ProgramRun::End::Exited, static_cast<int>(exitCode)};
}

}  // namespace verbarium
