// The entry list over 100,000 entries: opening both tables and searching.
// The window itself is measured under Wine by entry-list-bench.exe.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "editor/entry_list_model.h"
#include "formats/dat_file.h"
#include "platform/utf.h"
#include "synthetic_tables.h"

namespace verbarium::bench {
namespace {

constexpr int kEntries = 100000;

Path preparedTable() {
  static Path table;
  if (table.empty()) {
    auto dir = std::filesystem::temp_directory_path();
    table = fromUtf8((dir / "verbarium-bench-list.dat").string());
    TextTable current = makeSyntheticTable(DatLayout::SixByteKey, kEntries);
    saveOrAbort(table + u".org", current);
    for (int i = 0; i < current.count(); i += 3) current.setText(i, u"Der Drache schläft unter dem Berg");
    saveOrAbort(table, current);
  }
  return table;
}

void BM_OpenTables(benchmark::State& state) {
  Path table = preparedTable();
  for (auto _ : state) {
    EntryListModel model;
    if (model.openTables(table, nullptr) != EntryListModel::OpenResult::Opened) state.SkipWithError("not opened");
    benchmark::DoNotOptimize(model);
  }
}

void BM_Search(benchmark::State& state) {
  EntryListModel model;
  if (model.openTables(preparedTable(), nullptr) != EntryListModel::OpenResult::Opened) state.SkipWithError("not opened");
  const char16_t* keywords[] = {u"DRACHE", u"hoard burns", u"nothing at all", u""};
  std::size_t hits = 0;
  for (auto _ : state) {
    model.filterRows(keywords[state.range(0)]);
    hits = model.shownRows().size();
  }
  state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK(BM_OpenTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verbarium::bench
