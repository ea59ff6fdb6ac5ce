#include <windows.h>

#include "platform/fault_injection.h"
#include "platform/file_system.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

bool fileExists(const Path& path) {
  return ::GetFileAttributesW(toWin32Path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const Path& path) {
  return !injectedFailure(FileOperation::Delete) && ::DeleteFileW(toWin32Path(path).c_str()) != 0;
}

bool copyFile(const Path& from, const Path& to, bool failIfExists) {
  if (injectedFailure(FileOperation::Copy)) return false;
  return ::CopyFileW(toWin32Path(from).c_str(), toWin32Path(to).c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool replaceFile(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Rename)) return false;
  return ::MoveFileExW(toWin32Path(from).c_str(), toWin32Path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool replaceFileUnsynced(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Rename)) return false;
  return ::MoveFileExW(toWin32Path(from).c_str(), toWin32Path(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void copyPermissions(const Path&, const Path&) {}

unsigned long currentProcessId() { return ::GetCurrentProcessId(); }

bool moveFile(const Path& from, const Path& to) {
  if (injectedFailure(FileOperation::Move)) return false;
  return ::MoveFileW(toWin32Path(from).c_str(), toWin32Path(to).c_str()) != 0;
}

bool linkFile(const Path& existing, const Path& link) {
  if (injectedFailure(FileOperation::Move)) return false;
  return ::CreateHardLinkW(toWin32Path(link).c_str(), toWin32Path(existing).c_str(), nullptr) != 0;
}

bool isRegularFile(const Path& path) {
  DWORD attributes = ::GetFileAttributesW(toWin32Path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<FileAttributes> fileAttributes(const Path& path) {
  DWORD attributes = ::GetFileAttributesW(toWin32Path(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return FileAttributes{(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, (attributes & FILE_ATTRIBUTE_READONLY) != 0};
}

namespace {

bool identify(const Path& path, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked, every sharing allowed: works on files others hold open.
  KernelHandle file(::CreateFileW(toWin32Path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && ::GetFileInformationByHandle(file.get(), &info) != 0;
}

}  // namespace

bool isSameFile(const Path& a, const Path& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return identify(a, first) && identify(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace verbarium
