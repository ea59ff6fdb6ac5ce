#pragma once
// The workbench commands' words for a table they cannot work on.

#include <string>

#include "workbench/table_pairs.h"

namespace verbarium::cli {

// Why the pair cannot be measured, in a few words; empty for a measurable pair.
std::string whyNotMeasured(const TablePair& pair);

}  // namespace verbarium::cli
