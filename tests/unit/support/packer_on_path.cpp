#include "support/packer_on_path.h"

#include "platform/environment.h"
#include "platform/utf.h"

namespace verbarium::test {

std::u16string packerDirectory() {
#ifdef VERBARIUM_CRATEWORK_DIR
  std::u16string directory = fromUtf8(VERBARIUM_CRATEWORK_DIR);
#else
  std::u16string directory;
#endif
#ifdef _WIN32
  // Under Wine the build directory is a Linux path; drive Z: is the Linux root.
  if (!directory.empty() && directory.front() == u'/') directory = u"Z:" + directory;
  for (char16_t& c : directory) {
    if (c == u'/') c = u'\\';
  }
#endif
  return directory;
}

SearchPathScope::SearchPathScope(const std::u16string& directory) : saved_(searchPath()) {
  std::u16string value = directory;
  if (!saved_.empty()) value += searchPathSeparator() + saved_;
  setSearchPath(value);
}

SearchPathScope::~SearchPathScope() { setSearchPath(saved_); }

}  // namespace verbarium::test
