#pragma once
// The files of a packer's work directory: archive signature, table-file
// names, path joining and the clean-up after an unpack.

#include <string_view>
#include <vector>

#include "platform/file.h"

namespace verbarium {

// The copy of the archive that the packer unpacks, in the work directory.
inline constexpr std::u16string_view kUnpackInputName = u"temp.bin";

// True when the file's first four bytes are the archive signature.
bool HasArchiveSignature(const Path& path);

// The table-name prefix "0000-0000_0_0" in the first 13 characters, digits
// as the platform's iswdigit tells them; whatever follows is not looked at.
bool IsTableFileName(std::u16string_view name);

// The directory and the file name with exactly one backslash between them
// (none added when the directory already ends in one). An empty directory
// gives the name alone.
Path JoinPath(std::u16string_view directory, std::u16string_view name);

// True when `file` is, or would be once written, one of the files of
// `workDirectory` that the packer runs use: its temp.bin, or any .dat or
// .zlib file (an unpack names what it writes after the archive's entries; a
// pack reads the tables). An archive that is such a file would be gone or
// changed by its own unpack, or packed into itself.
bool IsWorkFile(const Path& file, const Path& workDirectory);

// The packer's table-named .zlib by-products in the work directory.
std::vector<Path> UnpackByProducts(const Path& workDirectory);

// Deletes the packer's table-named .zlib by-products in the work directory,
// then the archive copy "temp.bin". Other .zlib files stay.
void RemoveUnpackLeftovers(const Path& workDirectory);

}  // namespace verbarium
