#include <windows.h>

#include "platform/directory.h"
#include "platform/fault_injection.h"
#include "platform/wildcard.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

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

namespace {

// The entries of the directory that the query pattern finds and `keep`
// takes, given the name and the entry's attributes.
template <typename Keep>
std::vector<Path> namesIn(const Path& directory, std::u16string_view pattern, Keep keep) {
  std::vector<Path> names;
  if (injectedFailure(FileOperation::List)) return names;
  Path query = directory;
  if (!query.empty() && query.back() != u'\\' && query.back() != u'/') query += u'\\';
  query += pattern;
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileExW(toWin32Path(query).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0));
  if (!find) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    Path wide = fromWide(name);
    if (keep(wide, found.dwFileAttributes)) names.push_back(std::move(wide));
  } while (::FindNextFileW(find.get(), &found));
  return names;
}

}  // namespace

std::vector<Path> listFiles(const Path& directory, std::u16string_view pattern) {
  // The system also matches short names ("*.dat" finds "x.data").
  return namesIn(directory, pattern, [&](const Path& name, DWORD attributes) {
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY) && matchesWildcard(name, pattern, LetterCase::IgnoreAscii);
  });
}

std::vector<Path> listDirectories(const Path& directory) {
  // A junction is not a directory of its own: removing "its" files would
  // reach into another directory.
  return namesIn(directory, u"*", [](const Path&, DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  });
}

bool createDirectory(const Path& directory) {
  if (injectedFailure(FileOperation::MakeDirectory)) return false;
  // Windows flushes no directory entry by itself; the write-through moves of
  // the files put into the directory afterwards take it to the disk.
  return ::CreateDirectoryW(toWin32Path(directory).c_str(), nullptr) != 0;
}

bool removeDirectory(const Path& directory) {
  return !injectedFailure(FileOperation::Delete) && ::RemoveDirectoryW(toWin32Path(directory).c_str()) != 0;
}

}  // namespace verbarium
