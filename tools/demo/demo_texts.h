#pragma once
// The demo workspace's tables: 21 synthetic tables of an invented fantasy
// game, in all five layouts, with short English originals.

#include <vector>

#include "model/text_table.h"

namespace verbarium::demo {

struct DemoTable {
  std::u16string fileName;  // a table-file name with the extension .dat
  TextTable table;
};

std::vector<DemoTable> makeDemoTables();

}  // namespace verbarium::demo
