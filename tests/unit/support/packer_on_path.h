#pragma once
// Tests that run the real packer put its build directory in front of PATH,
// as the desktop program puts its own directory there, and PATH back
// afterwards.

#include <string>

namespace verbarium::test {

// The packer's build directory, in the form this platform's calls take.
std::u16string packerDirectory();

class SearchPathScope {
 public:
  // PATH becomes `directory`, then what it was.
  explicit SearchPathScope(const std::u16string& directory);
  SearchPathScope(const SearchPathScope&) = delete;
  SearchPathScope& operator=(const SearchPathScope&) = delete;
  ~SearchPathScope();

 private:
  std::u16string saved_;
};

}  // namespace verbarium::test
