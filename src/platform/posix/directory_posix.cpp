#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/directory.h"
#include "platform/posix/native_path.h"
#include "platform/wildcard.h"

namespace verbarium {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

}  // namespace

Path currentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return fromUtf8(buffer);
    }
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool setCurrentDirectory(const Path& directory) {
  return !directory.empty() && ::chdir(toNativePath(directory).c_str()) == 0;
}

Path absolutePath(const Path& path) {
  if (path.empty() || path.front() == u'/' || path.front() == u'\\') return path;
  Path base = currentDirectory();
  if (base.empty()) return path;
  if (base.back() != u'/') base += u'/';
  return base + path;
}

std::vector<Path> listFiles(const Path& directory, std::u16string_view pattern) {
  std::vector<Path> names;
  std::string native = directory.empty() ? std::string(".") : toNativePath(directory);
  DirHandle dir(::opendir(native.c_str()));
  if (!dir) return names;
  int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    Path name = fromUtf8(entry->d_name);
    if (!matchesWildcard(name, pattern, LetterCase::Exact)) continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || S_ISDIR(info.st_mode)) continue;
    names.push_back(std::move(name));
  }
  return names;
}

std::vector<Path> listDirectories(const Path& directory) {
  std::vector<Path> names;
  std::string native = directory.empty() ? std::string(".") : toNativePath(directory);
  DirHandle dir(::opendir(native.c_str()));
  if (!dir) return names;
  int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    // A link to a directory is not one of its own: removing "its" files would
    // reach into another directory.
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode)) continue;
    names.push_back(fromUtf8(name));
  }
  return names;
}

bool createDirectory(const Path& directory) {
  const std::string native = toNativePath(directory);
  if (::mkdir(native.c_str(), 0777) != 0) return false;
  syncParentDirectory(native);
  return true;
}

bool removeDirectory(const Path& directory) { return ::rmdir(toNativePath(directory).c_str()) == 0; }

}  // namespace verbarium
