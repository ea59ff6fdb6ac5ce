#pragma once
// Tests that run the real packer put its build directory in front of PATH,
// as the desktop program puts its own directory there, and PATH back
// afterwards.

#include <string>

namespace verbarium::test {

// The packer's build directory, in the form this platform's calls take.
std::u16string packerDirectory();
// The folder of the packer that takes ten seconds more for an unpack or a
// pack (tests/slow_packer), under the packer's own name.
std::u16string slowPackerDirectory();

// PATH becomes `directory`, then what it was.
class SearchPathScope {
 public:
  explicit SearchPathScope(const std::u16string& directory);
  SearchPathScope(const SearchPathScope&) = delete;
  SearchPathScope& operator=(const SearchPathScope&) = delete;
  ~SearchPathScope();

 private:
  std::u16string saved_;
};

// An environment variable set for the programs a test starts, and removed
// again afterwards.
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
