#pragma once
// The packer's commands. u and p are silent when they succeed; every command
// says why it failed on standard error and leaves no half-written file
// behind.
//
//   u ARCHIVE   unpacks ARCHIVE into the current directory: <table>.dat and
//               the stored stream <table>.zlib for every entry
//   p ARCHIVE   packs the current directory's tables into ARCHIVE
//   l ARCHIVE   lists the entries with their sizes
//   t ARCHIVE   tests every entry
//   r [ARCHIVE] after a run that was ended before its time: undoes the
//               unpacks that were ended among their moves in the current
//               directory and removes the files ended runs left there and,
//               with ARCHIVE, the temporary files they left beside ARCHIVE

#include <span>
#include <string>

#include "platform/file.h"

namespace cratework {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Output {
  std::string out;  // for standard output
  std::string err;  // for standard error
};

// `args` without the program name. Works in the current directory.
int runCratework(std::span<const std::u16string> args, Output& output);

// The commands on an explicit directory (empty: the current one).
int unpackIntoDirectory(const verbarium::Path& archive, const verbarium::Path& directory, Output& output);
int packDirectory(const verbarium::Path& directory, const verbarium::Path& archive, Output& output);
int listArchive(const verbarium::Path& archive, Output& output);
int testArchive(const verbarium::Path& archive, Output& output);
// `archive` may be empty.
int recoverDirectory(const verbarium::Path& directory, const verbarium::Path& archive, Output& output);

}  // namespace cratework
