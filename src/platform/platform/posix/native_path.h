#pragma once
// Paths on Linux. The program builds its paths the Windows way ("..\temp",
// "Shadow Wars\x.dat"); a backslash is never part of a name it uses, so the
// posix backend reads every backslash as a separator.

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/file.h"
#include "platform/utf.h"

namespace verbarium {

inline std::string toNativePath(const Path& path) {
  std::string native = toUtf8(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

// After a rename or a new directory, the directory entry itself must reach
// the disk too.
inline void syncParentDirectory(const std::string& path) {
  auto slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace verbarium
