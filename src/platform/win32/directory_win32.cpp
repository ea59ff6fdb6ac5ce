#include <windows.h>

#include "platform/directory.h"
#include "platform/wildcard.h"
#include "platform/win32/long_path.h"

namespace verbarium {

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (isValid()) ::FindClose(handle_);
  }
  bool isValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

Path currentDirectory() {
  DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  while (needed != 0) {
    std::wstring buffer(needed, L'\0');
    DWORD written = ::GetCurrentDirectoryW(needed, buffer.data());
    if (written == 0) break;
    if (written < needed) {
      buffer.resize(written);
      return fromWide(buffer);
    }
    needed = written;  // it grew meanwhile
  }
  return {};
}

bool setCurrentDirectory(const Path& directory) {
  // No \\?\ form here: a current directory the system cannot take as it is
  // would not be entered at all, which the callers see as a failure.
  return !directory.empty() && ::SetCurrentDirectoryW(toWide(directory).c_str()) != 0;
}

Path absolutePath(const Path& path) {
  if (path.empty()) return path;
  return fromWide(fullPathOf(toWide(path)));
}

std::vector<Path> listFiles(const Path& directory, std::u16string_view pattern) {
  std::vector<Path> names;
  Path query = directory;
  if (!query.empty() && query.back() != u'\\' && query.back() != u'/') query += u'\\';
  query += pattern;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileExW(toWin32Path(query).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0));
  if (!find.isValid()) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    Path name = fromWide(found.cFileName);
    // The system also matches short names ("*.dat" finds "x.data").
    if (matchesWildcard(name, pattern, LetterCase::IgnoreAscii)) names.push_back(std::move(name));
  } while (::FindNextFileW(find.get(), &found));
  return names;
}

}  // namespace verbarium
