#include <windows.h>

#include "platform/process_liveness.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

bool processIsRunning(unsigned long processId) {
  KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  // A process that has ended lives on as an object while anyone holds a handle to it.
  DWORD exitCode = 0;
  return !::GetExitCodeProcess(process.get(), &exitCode) || exitCode == STILL_ACTIVE;
}

}  // namespace verbarium
