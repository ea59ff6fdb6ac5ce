#pragma once
// A file of the work directory by its name: the packer's one way to make
// such a path.

#include <string_view>

#include "platform/file.h"
#include "platform/utf.h"

namespace cratework {

inline verbarium::Path inDirectory(const verbarium::Path& directory, std::string_view name) {
  verbarium::Path path = directory;
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
  path += verbarium::fromUtf8(name);
  return path;
}

}  // namespace cratework
