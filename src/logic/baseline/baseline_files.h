#pragma once
// The files of a baseline run. All of them are named relative to the edition
// directory, which is the current directory while they run; the scratch
// directory that the archive is unpacked into lies beside it.

#include <string_view>
#include <vector>

#include "platform/file.h"

namespace verbarium {

inline constexpr std::u16string_view kScratchDirectoryName = u"temp";
inline constexpr std::u16string_view kScratchFromEdition = u"..\\temp";

// Deletes the .dat files in the scratch directory, so that what is moved
// after an unpack is what that unpack wrote and nothing older.
void ClearUnpackedTables();

// The baseline tables that MoveUnpackedTables would replace: <name>.dat.org
// in the edition directory for each .dat file in the scratch directory.
std::vector<Path> BaselinesToReplace();

// True when `file` is one that the run writes, replaces or removes: a file an
// unpack into the scratch directory touches, or a baseline table (which of
// them the run replaces is known only after the unpack).
bool IsReplacedByBaselineRun(const Path& file);

// Moves every .dat file of the scratch directory into the edition directory
// as <name>.dat.org. Each replaces its baseline table in one step: a move
// that fails leaves the old baseline table, never none. False when a move
// failed or no table was found there to move.
[[nodiscard]] bool MoveUnpackedTables();

// The table-named *.dat.org files in the edition directory.
int CountBaselineTables();

}  // namespace verbarium
