#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/win32/long_path.h"

namespace verbarium {

namespace {

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::intptr_t openPath(const Path& path, DWORD access, DWORD share, DWORD disposition) {
  if (injectedFailure(FileOperation::Open)) return reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
  std::wstring native = toWin32Path(path);
  HANDLE h = ::CreateFileW(native.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<std::intptr_t>(h);
}

}  // namespace

File File::openForReading(const Path& path) {
  return File(openPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
}
File File::openRegularForReading(const Path& path) {
  if (injectedFailure(FileOperation::Open)) return File();
  // The link itself is opened, not what it points to, and then refused.
  HANDLE h = ::CreateFileW(toWin32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  File file(reinterpret_cast<std::intptr_t>(h));
  if (!file.isOpen()) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return File();
  }
  return file;
}
File File::openForReadWrite(const Path& path) {
  return File(openPath(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
}
File File::createAlways(const Path& path) {
  return File(openPath(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
}
File File::createNew(const Path& path) {
  return File(openPath(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW));
}

std::int64_t File::read(void* buffer, std::size_t size) {
  if (!isOpen() || injectedFailure(FileOperation::Read)) return -1;
  char* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  // ReadFile takes a 32-bit count.
  while (done < size) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 0x40000000));
    DWORD got = 0;
    if (!::ReadFile(handleOf(handle_), bytes + done, chunk, &got, nullptr)) {
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    done += got;
    if (got < chunk) break;
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t File::write(const void* data, std::size_t size) {
  if (!isOpen() || injectedFailure(FileOperation::Write)) return -1;
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 0x40000000));
    DWORD put = 0;
    if (!::WriteFile(handleOf(handle_), bytes + done, chunk, &put, nullptr)) {
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    done += put;
    if (put < chunk) break;
  }
  return static_cast<std::int64_t>(done);
}

bool File::seek(std::int64_t offset, SeekOrigin origin) {
  if (!isOpen()) return false;
  DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return ::SetFilePointerEx(handleOf(handle_), distance, nullptr, method) != 0;
}

std::int64_t File::position() const {
  if (!isOpen()) return -1;
  LARGE_INTEGER zero{}, here{};
  if (!::SetFilePointerEx(handleOf(handle_), zero, &here, FILE_CURRENT)) return -1;
  return here.QuadPart;
}

std::int64_t File::size() const {
  if (!isOpen()) return -1;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handleOf(handle_), &size)) return -1;
  return size.QuadPart;
}

bool File::truncate() {
  return isOpen() && !injectedFailure(FileOperation::Write) && ::SetEndOfFile(handleOf(handle_)) != 0;
}

bool File::flushToDisk() {
  return isOpen() && !injectedFailure(FileOperation::Sync) && ::FlushFileBuffers(handleOf(handle_)) != 0;
}

bool File::close() {
  if (!isOpen()) return true;
  // The handle goes whatever is reported: a failed close still closes.
  const bool failed = injectedFailure(FileOperation::Close);
  return ::CloseHandle(handleOf(std::exchange(handle_, kInvalid))) != 0 && !failed;
}

}  // namespace verbarium
