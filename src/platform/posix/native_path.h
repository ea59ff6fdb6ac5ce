#pragma once
// Paths on Linux. The program builds its paths the Windows way ("..\temp",
// "Shadow Wars\x.dat"); a backslash is never part of a name it uses, so the
// posix backend reads every backslash as a separator.

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

}  // namespace verbarium
