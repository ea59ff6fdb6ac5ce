#include <windows.h>

#include <atomic>
#include <string>

#include "platform/process.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

namespace {

// The exit code a stopped program is given.
constexpr UINT kStoppedExitCode = ERROR_CANCELLED;

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
  std::atomic<bool> stopped{false};
  DWORD waited = WAIT_FAILED;
  {
    // Runs on the thread that asks for the stop, or here at once when it was
    // asked for before. A program that has ended by itself keeps its own
    // exit code.
    std::stop_callback onStop(stop, [&] {
      if (::TerminateProcess(process.get(), kStoppedExitCode)) stopped = true;
    });
    waited = ::WaitForSingleObject(process.get(), INFINITE);
  }
  if (waited != WAIT_OBJECT_0) {
    // Never left running unwatched.
    ::TerminateProcess(process.get(), kStoppedExitCode);
    ::WaitForSingleObject(process.get(), INFINITE);
    return {};
  }
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.get(), &exitCode)) return {};
  // Not every system refuses to end a program that has ended already: the
  // exit code tells too.
  const bool ended = stopped && exitCode == kStoppedExitCode;
  return {ended ? ProgramRun::End::Stopped : ProgramRun::End::Exited, static_cast<int>(exitCode)};
}

}  // namespace verbarium
