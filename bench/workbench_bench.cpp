// The workbench's status and check over an edition of 21 tables of 20,000
// entries, half of them translated, beside reading the 42 files alone: the
// two commands should stay within twice the read.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "archive/work_files.h"
#include "platform/utf.h"
#include "synthetic_tables.h"
#include "workbench/entry_checks.h"
#include "workbench/progress.h"
#include "workbench/table_pairs.h"

namespace verbarium::bench {
namespace {

constexpr int kTables = 21;
constexpr int kEntries = 20000;

const TableSet& edition() {
  static TableSet set;
  if (set.tables.empty()) {
    const auto dir = std::filesystem::temp_directory_path() / "verbarium-workbench-bench";
    std::filesystem::create_directories(dir);
    set.directory = fromUtf8(dir.string());
    // Every other original holds a specifier and a tag, which its
    // translation keeps, as a good translation does.
    TextTable original = makeSyntheticTable(DatLayout::SixByteKey, kEntries);
    for (int i = 0; i < kEntries; i += 2) original.setText(i, u"%d {name} " + std::u16string(original.text(i)));
    TextTable current = original;
    for (int i = 0; i < kEntries; i += 2) current.setText(i, u"訳された文 " + std::u16string(current.text(i)));
    for (int t = 0; t < kTables; ++t) {
      const Path name = asciiToUtf16(std::to_string(1000 + t) + "-2000_1_1.dat");
      saveOrAbort(JoinPath(set.directory, name), current);
      saveOrAbort(JoinPath(set.directory, name + u".org"), original);
      set.tables.push_back(name);
    }
  }
  return set;
}

void BM_ReadEditionTables(benchmark::State& state) {
  const TableSet& set = edition();
  for (auto _ : state) {
    for (const Path& name : set.tables) benchmark::DoNotOptimize(readTablePair(set.directory, name));
  }
}
BENCHMARK(BM_ReadEditionTables)->Unit(benchmark::kMillisecond);

void BM_Status(benchmark::State& state) {
  const TableSet& set = edition();
  for (auto _ : state) {
    TableProgress total;
    for (const Path& name : set.tables) {
      const TablePair pair = readTablePair(set.directory, name);
      total += measureProgress(pair.current, pair.original);
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_Status)->Unit(benchmark::kMillisecond);

void BM_Check(benchmark::State& state) {
  const TableSet& set = edition();
  for (auto _ : state) {
    std::size_t findings = 0;
    for (const Path& name : set.tables) {
      const TablePair pair = readTablePair(set.directory, name);
      findings += checkTablePair(pair.current, pair.original).size();
    }
    benchmark::DoNotOptimize(findings);
  }
}
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verbarium::bench
