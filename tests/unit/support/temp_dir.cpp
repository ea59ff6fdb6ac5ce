#include "support/temp_dir.h"

#include <atomic>
#include <random>

#include "platform/utf.h"

namespace verbarium::test {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto name = "verbarium-test-" + std::to_string(random()) + "-" + std::to_string(counter++);
    path_ = base / name;
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::u16string TempDir::pathText() const {
#ifdef _WIN32
  std::wstring base = path_.wstring();
  return std::u16string(base.begin(), base.end());
#else
  return fromUtf8(path_.string());
#endif
}

std::u16string TempDir::file(std::u16string_view name) const {
#ifdef _WIN32
  return pathText() + u"\\" + std::u16string(name);
#else
  return pathText() + u"/" + std::u16string(name);
#endif
}

}  // namespace verbarium::test
