#pragma once
// Directories of the platform layer: the process's current directory,
// listing a directory's files by wildcard, and making and removing one.

#include <vector>

#include "platform/file.h"

namespace verbarium {

// Empty when the current directory cannot be told.
Path currentDirectory();
bool setCurrentDirectory(const Path& directory);

// The path resolved against the current directory; the path itself when it
// cannot be resolved.
Path absolutePath(const Path& path);

// The names (without the directory) of the files in `directory` whose names
// match `pattern` ('*' any run of characters, '?' one character), compared
// without regard to ASCII case on Windows and exactly elsewhere, as each
// platform's file system names files. Directories are not listed. Only the
// long name counts: on Windows "*.dat" does not also find "x.data" through
// its short name.
std::vector<Path> listFiles(const Path& directory, std::u16string_view pattern);

// The names of the directories in `directory`, without "." and "..".
std::vector<Path> listDirectories(const Path& directory);

// Creates one directory whose parent exists; fails when the name is taken, so
// two callers never get the same new directory. The new entry is on the disk
// when it returns, like a replaced file's.
bool createDirectory(const Path& directory);
// Removes an empty directory.
bool removeDirectory(const Path& directory);

}  // namespace verbarium
