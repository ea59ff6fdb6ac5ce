#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/environment.h"
#include "platform/utf.h"

namespace verbarium {

char16_t searchPathSeparator() { return u':'; }

std::u16string searchPath() {
  const char* value = ::getenv("PATH");
  return value ? fromUtf8(value) : std::u16string();
}

bool setSearchPath(const std::u16string& value) { return ::setenv("PATH", toUtf8(value).c_str(), 1) == 0; }

Path programDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  auto slash = buffer.rfind('/');
  if (slash == std::string::npos) return {};
  return fromUtf8(buffer.substr(0, slash == 0 ? 1 : slash));
}

}  // namespace verbarium
