#include <windows.h>

#include <utility>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/win32/long_path.h"

namespace verbarium {

namespace {

constexpr char16_t kLockSuffix[] = u".lock";

}  // namespace

FileLock FileLock::tryAcquire(const Path& target) {
  FileLock lock;
  lock.lockPath_ = target + kLockSuffix;
  if (injectedFailure(FileOperation::Lock)) {
    lock.state_ = State::Failed;
    return lock;
  }
  // No sharing at all is the lock; the system removes the file when the
  // handle closes, also when the process is killed.
  HANDLE handle = ::CreateFileW(toWin32Path(lock.lockPath_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A lock file whose holder has just closed it is still on its way out.
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(toWin32Path(lock.lockPath_).c_str()) !=
                                                           INVALID_FILE_ATTRIBUTES);
    lock.state_ = busy ? State::InUse : State::Failed;
    return lock;
  }
  lock.handle_ = reinterpret_cast<std::intptr_t>(handle);
  lock.state_ = State::Held;
  return lock;
}

void FileLock::release() {
  if (state_ == State::Held) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  state_ = State::None;
}

}  // namespace verbarium
