#include "support/file_tree.h"

#include <algorithm>

namespace verbarium::test {

namespace fs = std::filesystem;

FileTree treeOf(const fs::path& root) {
  FileTree tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::u8string relative = fs::relative(item.path(), root).generic_u8string();
    const std::string name(relative.begin(), relative.end());
    if (fs::is_directory(item.symlink_status())) {
      tree[name + "/"] = {};
    } else {
      tree[name] = name.ends_with(".lock") ? Bytes{} : readFileBytes(item.path().u16string());
    }
  }
  return tree;
}

void layTree(const fs::path& root, const FileTree& tree) {
  for (const auto& [name, bytes] : tree) {
    const fs::path path = root / fs::path(std::u8string(name.begin(), name.end()));
    if (name.ends_with('/')) {
      fs::create_directories(path);
      continue;
    }
    fs::create_directories(path.parent_path());
    writeFileBytes(path.u16string(), bytes);
  }
}

std::vector<std::string> namesIn(const fs::path& directory) {
  std::vector<std::string> names;
  std::error_code missing;
  for (fs::directory_iterator it(directory, missing), end; !missing && it != end; it.increment(missing)) {
    const std::u8string name = it->path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace verbarium::test
