#include "support/temp_dir.h"

#include <atomic>
#include <random>

#include "platform/utf.h"

namespace verbarium::test {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  do {
    path_ = std::filesystem::temp_directory_path() /
            ("verbarium-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  } while (!std::filesystem::create_directory(path_));
}

#ifdef _WIN32
std::u16string TempDir::pathText() const {
  const std::wstring base = path_.wstring();
  return std::u16string(base.begin(), base.end());
}
std::u16string TempDir::file(std::u16string_view name) const { return pathText() + u"\\" + std::u16string(name); }
#else
std::u16string TempDir::pathText() const { return fromUtf8(path_.string()); }
std::u16string TempDir::file(std::u16string_view name) const { return pathText() + u"/" + std::u16string(name); }
#endif

}  // namespace verbarium::test
