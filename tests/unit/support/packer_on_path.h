#pragma once
// Tests that run the real packer put its build directory in front of PATH,
// as the desktop program puts its own directory there.

#include <string>

namespace verbarium::test {

// A path the build gave; under Wine the build's paths are Linux paths, and
// drive Z: is the Linux root.
std::u16string builtPath(const char* path);
std::u16string packerDirectory();
// The folder of the packer that takes ten seconds more for an unpack or a
// pack (tests/slow_packer), under the packer's own name.
std::u16string slowPackerDirectory();

// PATH becomes `directory`, then what it was, and is put back afterwards.
class SearchPathScope {
 public:
  explicit SearchPathScope(const std::u16string& directory);
  SearchPathScope(const SearchPathScope&) = delete;
  SearchPathScope& operator=(const SearchPathScope&) = delete;
  ~SearchPathScope();

 private:
  std::u16string saved_;
};

// An environment variable for the programs a test starts, removed afterwards.
class EnvironmentScope {
 public:
  EnvironmentScope(const char* name, const char* value);
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;
  ~EnvironmentScope();

 private:
  std::string name_;
};

}  // namespace verbarium::test
