#pragma once
// The files of a baseline run: the edition directory that keeps the baseline
// tables, and the scratch directory beside it that the archive is unpacked
// into. Both are named in full, so the run needs no current directory.

#include <string_view>
#include <vector>

#include "platform/file.h"

namespace verbarium {

inline constexpr std::u16string_view kScratchDirectoryName = u"temp";

struct BaselineDirectories {
  Path edition;
  Path scratch;
};

// Deletes the .dat files in the scratch directory, so that what is moved
// after an unpack is what that unpack wrote and nothing older.
void ClearUnpackedTables(const Path& scratch);

// The baseline tables that MoveUnpackedTables would replace: <name>.dat.org
// in the edition directory (named as there) for each .dat file in the
// scratch directory.
std::vector<Path> BaselinesToReplace(const BaselineDirectories& directories);

// True when `file` is one that the run writes, replaces or removes: a file an
// unpack into the scratch directory touches, or a baseline table (which of
// them the run replaces is known only after the unpack).
bool IsReplacedByBaselineRun(const Path& file, const BaselineDirectories& directories);

// Moves every .dat file of the scratch directory into the edition directory
// as <name>.dat.org. Each replaces its baseline table in one step: a move
// that fails leaves the old baseline table, never none. False when a move
// failed or no table was found there to move.
[[nodiscard]] bool MoveUnpackedTables(const BaselineDirectories& directories);

// The table-named *.dat.org files in the edition directory.
int CountBaselineTables(const Path& edition);

}  // namespace verbarium
