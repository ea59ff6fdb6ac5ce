#pragma once
// The tables the workbench measures, checks and changes: each table of an
// edition directory, or one table, read with its baseline <name>.org and
// paired with it by position, as the entry list pairs them.

#include <optional>
#include <string_view>
#include <vector>

#include "formats/dat_format.h"
#include "platform/file.h"

namespace verbarium {

inline constexpr std::u16string_view kBaselineSuffix = u".org";

// The directory and the table file names in it.
struct TableSet {
  Path directory;
  std::vector<Path> tables;
};

// An edition directory's table-named .dat files, or the one table `path`
// names; nothing when `path` is neither a directory nor a file.
std::optional<TableSet> tablesAt(const Path& path);

// Why a table cannot be measured against its baseline.
enum class PairFailure { None, TableUnreadable, NoBaseline, BaselineUnreadable, CountsDiffer };

struct TablePair {
  Path name;
  TextTable current;
  TextTable original;
  PairFailure failure = PairFailure::None;
  DatReadResult read = DatReadResult::Read;  // the failing read's reason

  bool measurable() const { return failure == PairFailure::None; }
};

// Reads `directory`\`name` and its baseline. A pair that is not measurable
// holds what could be read, for the reason alone.
TablePair readTablePair(const Path& directory, const Path& name);

}  // namespace verbarium
