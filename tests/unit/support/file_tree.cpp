#include "support/file_tree.h"

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

FileTree restorePointsByName(const FileTree& tree, bool keep) {
  FileTree named;
  for (const auto& [name, bytes] : tree) {
    const std::size_t backup = name.starts_with("backup/") ? 0 : name.find("/backup/");
    if (backup == std::string::npos) {
      named[name] = bytes;
      continue;
    }
    const std::size_t time = name.find('/', backup + 8);
    if (keep && time != std::string::npos && time + 1 < name.size()) named["point/" + name.substr(time + 1)] = bytes;
  }
  return named;
}

}  // namespace verbarium::test
