#pragma once
// Large tables of every layout for the benchmarks: about 100 bytes a record,
// keys that sniff as the layout and read back as written.

#include "model/text_table.h"
#include "platform/file.h"

namespace verbarium::bench {

TextTable makeSyntheticTable(DatLayout layout, int entries);

// Saves a table the benchmarks need, or ends the run: timings of a missing
// file would mean nothing.
void saveOrAbort(const Path& path, const TextTable& table);

}  // namespace verbarium::bench
