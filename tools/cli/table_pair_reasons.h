#pragma once
// The workbench commands' words for a table they cannot work on.

#include <string>
#include <vector>

#include "workbench/table_pairs.h"

namespace verbarium::cli {

// Why the pair cannot be measured, in a few words; empty for a measurable pair.
std::string whyNotMeasured(const TablePair& pair);

// A table a command could not measure, named with its reason.
struct Unmeasured {
  std::string table;
  std::string reason;
};

// `"unmeasured": [{"table": ..., "reason": ...}, ...]` for the JSON outputs.
void appendUnmeasuredJson(std::string& out, const std::vector<Unmeasured>& unmeasured);
// The heading, then one indented line per table; nothing for no table.
void appendUnmeasuredLines(std::string& out, std::string_view heading, const std::vector<Unmeasured>& unmeasured);

}  // namespace verbarium::cli
