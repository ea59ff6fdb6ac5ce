#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/directory.h"
#include "platform/fault_injection.h"
#include "platform/posix/native_path.h"
#include "platform/wildcard.h"

namespace verbarium {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// The names in the directory (the current one for an empty path) for which
// `keep` holds, given the name and the entry's status as `follow` asks.
template <typename Keep>
std::vector<Path> namesIn(const Path& directory, int follow, Keep keep) {
  std::vector<Path> names;
  if (injectedFailure(FileOperation::List)) return names;
  std::string native = directory.empty() ? std::string(".") : toNativePath(directory);
  DirHandle dir(::opendir(native.c_str()));
  if (!dir) return names;
  int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, follow) != 0) continue;
    Path wide = fromUtf8(name);
    if (keep(wide, info)) names.push_back(std::move(wide));
  }
  return names;
}

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
  return namesIn(directory, 0, [&](const Path& name, const struct stat& info) {
    return !S_ISDIR(info.st_mode) && matchesWildcard(name, pattern, LetterCase::Exact);
  });
}

std::vector<Path> listDirectories(const Path& directory) {
  // A link to a directory is not one of its own: removing "its" files would
  // reach into another directory.
  return namesIn(directory, AT_SYMLINK_NOFOLLOW, [](const Path&, const struct stat& info) { return S_ISDIR(info.st_mode); });
}

bool createDirectory(const Path& directory) {
  if (injectedFailure(FileOperation::MakeDirectory)) return false;
  const std::string native = toNativePath(directory);
  if (::mkdir(native.c_str(), 0777) != 0) return false;
  syncParentDirectory(native);
  return true;
}

bool removeDirectory(const Path& directory) {
  return !injectedFailure(FileOperation::Delete) && ::rmdir(toNativePath(directory).c_str()) == 0;
}

}  // namespace verbarium
