#pragma once
// A fresh directory per test, removed with everything in it afterwards.

#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace verbarium::test {

class TempDir {
 public:
  TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() /
              ("verbarium-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(path_));
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }

  const std::filesystem::path& path() const { return path_; }
  // The directory, and a path inside it, as the platform layer takes them.
  std::u16string pathText() const { return path_.u16string(); }
  std::u16string file(std::u16string_view name) const {
    return pathText() + char16_t(std::filesystem::path::preferred_separator) + std::u16string(name);
  }

 private:
  std::filesystem::path path_;
  std::error_code ignored_;
};

}  // namespace verbarium::test
