#include "support/packer_on_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include "platform/environment.h"
#include "platform/utf.h"

namespace verbarium::test {

namespace {

std::u16string buildDirectory(const char* directory) {
  std::u16string path = fromUtf8(directory);
#ifdef _WIN32
  // Under Wine the build directory is a Linux path; drive Z: is the Linux root.
  if (!path.empty() && path.front() == u'/') path = u"Z:" + path;
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
#endif
  return path;
}

}  // namespace

std::u16string packerDirectory() {
#ifdef VERBARIUM_CRATEWORK_DIR
  return buildDirectory(VERBARIUM_CRATEWORK_DIR);
#else
  return {};
#endif
}

std::u16string slowPackerDirectory() {
#ifdef VERBARIUM_SLOW_PACKER_DIR
  return buildDirectory(VERBARIUM_SLOW_PACKER_DIR);
#else
  return {};
#endif
}

SearchPathScope::SearchPathScope(const std::u16string& directory) : saved_(searchPath()) {
  std::u16string value = directory;
  if (!saved_.empty()) value += searchPathSeparator() + saved_;
  setSearchPath(value);
}

SearchPathScope::~SearchPathScope() { setSearchPath(saved_); }

EnvironmentScope::EnvironmentScope(const char* name, const char* value) : name_(name) {
#ifdef _WIN32
  ::SetEnvironmentVariableA(name, value);
#else
  ::setenv(name, value, 1);
#endif
}

EnvironmentScope::~EnvironmentScope() {
#ifdef _WIN32
  ::SetEnvironmentVariableA(name_.c_str(), nullptr);
#else
  ::unsetenv(name_.c_str());
#endif
}

}  // namespace verbarium::test
