#pragma once
// A fresh directory per test, removed with everything in it afterwards.

#include <filesystem>
#include <string>

namespace verbarium::test {

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }

  const std::filesystem::path& path() const { return path_; }
  // The directory, and a path inside it, as the platform layer takes them.
  std::u16string pathText() const;
  std::u16string file(std::u16string_view name) const;

 private:
  std::filesystem::path path_;
  std::error_code ignored_;
};

}  // namespace verbarium::test
