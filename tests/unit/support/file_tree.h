#pragma once
// Every file under a directory with its bytes, for tests that check what a
// run left on disk byte for byte, and the laying out of such a tree.
#include <filesystem>
#include <map>
#include <string>

#include "support/test_bytes.h"

namespace verbarium::test {

// Keyed by the path below the root with '/' between its parts; a directory
// is its path with a '/' at the end and no bytes, so that an empty directory
// left behind is seen and is never taken for an empty file.
using FileTree = std::map<std::string, Bytes>;

// Lock files are listed with no bytes: Windows lets no one else read a file
// while its lock is held.
FileTree treeOf(const std::filesystem::path& root);
void layTree(const std::filesystem::path& root, const FileTree& tree);

// The tree with each restore point's files, "backup/<time>/<name>" at any
// depth, as "point/<name>" (a point's folder is named by the clock), or
// without the restore points when `keep` is false.
FileTree restorePointsByName(const FileTree& tree, bool keep = true);

}  // namespace verbarium::test
