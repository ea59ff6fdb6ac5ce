// An edition brought to an updated game: 21 tables of 20,000 entries each,
// every other entry translated; the new archive changes one original in a
// hundred, drops one entry in five hundred and adds a hundred per table.
// The report alone, and the write (which also unpacks, keeps the 42 old
// files in a restore point and puts every new file on the disk).
// The edition and the archive stay in the temporary directory afterwards,
// so that the command can be timed as a whole process on them:
//   verbarium_bench --benchmark_filter=UpdateEdition
//   time verbarium-cli update $TMPDIR/verbarium-update-bench/edition $TMPDIR/verbarium-update-bench/patch.cff

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/dat_file.h"
#include "platform/utf.h"
#include "synthetic_tables.h"
#include "workbench/edition_update.h"

#ifdef VERBARIUM_CRATEWORK

namespace {

namespace fs = std::filesystem;
using namespace verbarium;

constexpr int kTables = 21;
constexpr int kEntries = 20000;
constexpr int kAdded = 100;

fs::path root() { return fs::temp_directory_path() / "verbarium-update-bench"; }
fs::path pristine() { return root() / "pristine"; }
fs::path edition() { return root() / "edition"; }
fs::path archive() { return root() / "patch.cff"; }

std::string tableName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d-%04d_%d_%d.dat", 1000 + i, 2000, i % 5, i % 3);
  return name;
}

void save(const fs::path& path, const TextTable& table) { bench::saveOrAbort(fromUtf8(path.string()), table); }

// Texts the marker layout holds too: no unit beyond a byte.
std::u16string translated(std::u16string_view text) { return u"\u00dcbersetzt: " + std::u16string(text); }

void makeEdition() {
  fs::remove_all(root());
  fs::create_directories(pristine());
  fs::create_directories(root() / "new");
  constexpr DatLayout kLayouts[] = {DatLayout::DwordRunKey, DatLayout::CountedKey, DatLayout::SixByteKey,
                                    DatLayout::SevenByteKey, DatLayout::MarkerDelimited};
  for (int t = 0; t < kTables; ++t) {
    const TextTable longer = bench::makeSyntheticTable(kLayouts[t % 5], kEntries + kAdded);
    TextTable original, current, fresh;
    for (TextTable* table : {&original, &current, &fresh}) {
      table->layout = longer.layout;
      table->header = longer.header;
    }
    for (int i = 0; i < longer.count(); ++i) {
      const std::u16string text(longer.text(i));
      if (i < kEntries) {
        original.append(longer.key(i), text);
        current.append(longer.key(i), i % 2 ? translated(text) : text);
      }
      if (i % 500 == 1) continue;
      fresh.append(longer.key(i), i % 100 == 3 ? text + u"!" : text);
    }
    save(pristine() / tableName(t), current);
    save(pristine() / (tableName(t) + ".org"), original);
    save(root() / "new" / tableName(t), fresh);
  }
  const std::string pack =
      "cd '" + (root() / "new").string() + "' && '" VERBARIUM_CRATEWORK "' p '" + archive().string() + "' >/dev/null";
  if (std::system(pack.c_str()) != 0) std::abort();
  fs::remove_all(root() / "new");
}

// The edition as it was before any update.
void layEdition() {
  fs::remove_all(edition());
  fs::copy(pristine(), edition());
}

void prepare() {
  static bool done = false;
  if (done) return;
  done = true;
  makeEdition();
  layEdition();
  // The packer lies beside the benchmark's build, as beside the program.
  const std::string path = fs::path(VERBARIUM_CRATEWORK).parent_path().string() + ":" + std::getenv("PATH");
  setenv("PATH", path.c_str(), 1);
}

void run(benchmark::State& state, UpdateMode mode) {
  const EditionUpdate update = updateEdition(fromUtf8(edition().string()), fromUtf8(archive().string()), mode);
  if (!update) state.SkipWithError("the update failed");
  long long kept = 0;
  for (const TableUpdate& table : update.tables) kept += table.carried.kept;
  state.counters["kept"] = static_cast<double>(kept);
}

void BM_UpdateEditionReport(benchmark::State& state) {
  prepare();
  for (auto _ : state) run(state, UpdateMode::ReportOnly);
}

void BM_UpdateEditionWrite(benchmark::State& state) {
  prepare();
  for (auto _ : state) {
    state.PauseTiming();
    layEdition();
    state.ResumeTiming();
    run(state, UpdateMode::Write);
  }
  layEdition();
}

BENCHMARK(BM_UpdateEditionReport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UpdateEditionWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

#endif  // VERBARIUM_CRATEWORK
