#include "support/packer_on_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include "platform/environment.h"
#include "platform/utf.h"

namespace verbarium::test {
std::u16string builtPath(const char* built) {
  std::u16string path = fromUtf8(built);
#ifdef _WIN32
  if (!path.empty() && path.front() == u'/') path = u"Z:" + path;
  for (char16_t& c : path) c = c == u'/' ? u'\\' : c;
#endif
  return path;
}

#ifdef VERBARIUM_CRATEWORK_DIR
std::u16string packerDirectory() { return builtPath(VERBARIUM_CRATEWORK_DIR); }
#else
std::u16string packerDirectory() { return {}; }
#endif
#ifdef VERBARIUM_SLOW_PACKER_DIR
std::u16string slowPackerDirectory() { return builtPath(VERBARIUM_SLOW_PACKER_DIR); }
#else
std::u16string slowPackerDirectory() { return {}; }
#endif

SearchPathScope::SearchPathScope(const std::u16string& directory) : saved_(searchPath()) {
  setSearchPath(saved_.empty() ? directory : directory + searchPathSeparator() + saved_);
}
SearchPathScope::~SearchPathScope() { setSearchPath(saved_); }

#ifdef _WIN32
EnvironmentScope::EnvironmentScope(const char* name, const char* value) : name_(name) {
  ::SetEnvironmentVariableA(name, value);
}
EnvironmentScope::~EnvironmentScope() { ::SetEnvironmentVariableA(name_.c_str(), nullptr); }
#else
EnvironmentScope::EnvironmentScope(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
EnvironmentScope::~EnvironmentScope() { ::unsetenv(name_.c_str()); }
#endif

}  // namespace verbarium::test
