#pragma once
// Large tables of every layout for the benchmarks: about 100 bytes a record,
// keys that sniff as the layout and read back as written.

#include "model/text_table.h"

namespace verbarium::bench {

TextTable makeSyntheticTable(DatLayout layout, int entries);

}  // namespace verbarium::bench
