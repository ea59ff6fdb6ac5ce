// The packer against zlib level 6 on the same bytes, both as whole
// processes: `cratework p` against `gzip -6`, `cratework u` against
// `gzip -d`. Tables: 21 of about 2 MB together, and sets 100 times larger:
// 2,100 such tables, and 21 tables each 100 times longer. The time is the processes' own CPU time (user and
// system), so that other work on the machine does not blur the comparison.
// Run with
//   verbarium_bench --benchmark_filter=Archive

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "formats/dat_file.h"
#include "platform/utf.h"
#include "synthetic_tables.h"

namespace {

namespace fs = std::filesystem;
using verbarium::DatLayout;

// Tables on disk, their concatenation for gzip, and a place to unpack to.
struct TableSet {
  fs::path root;
  std::uint64_t bytes = 0;

  fs::path tables() const { return root / "tables"; }
  fs::path unpacked() const { return root / "unpacked"; }
  fs::path archive() const { return root / "set.cff"; }
  fs::path concatenated() const { return root / "all.bin"; }

  ~TableSet() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

std::string tableName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d-%04d_%d_%d.dat", 1000 + i % 9000, 2000 + i / 9000, i % 5, i % 3);
  return name;
}

// `count` tables of about 88 KB times `length`.
const TableSet& tableSet(int count, int length) {
  static std::map<std::pair<int, int>, std::unique_ptr<TableSet>> sets;
  auto& set = sets[{count, length}];
  if (set) return *set;
  set = std::make_unique<TableSet>();
  set->root = fs::temp_directory_path() /
              ("verbarium-archive-bench-" + std::to_string(count) + "x" + std::to_string(length));
  fs::remove_all(set->root);
  fs::create_directories(set->tables());
  fs::create_directories(set->unpacked());
  constexpr DatLayout kLayouts[] = {DatLayout::DwordRunKey, DatLayout::CountedKey, DatLayout::SixByteKey,
                                    DatLayout::SevenByteKey, DatLayout::MarkerDelimited};
  std::ofstream all(set->concatenated(), std::ios::binary);
  for (int i = 0; i < count; ++i) {
    fs::path file = set->tables() / tableName(i);
    auto table = verbarium::bench::makeSyntheticTable(kLayouts[i % 5], (880 + (i % 21) * 4) * length);
    if (verbarium::saveTextTableFile(verbarium::fromUtf8(file.string()), table) != verbarium::TableSaveResult::Saved) {
      std::abort();
    }
    std::ifstream in(file, std::ios::binary);
    all << in.rdbuf();
    set->bytes += fs::file_size(file);
  }
  return *set;
}

void runOrAbort(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void timeCommand(benchmark::State& state, const std::string& command) {
  const TableSet& set = tableSet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    double before = childrenCpuSeconds();
    runOrAbort(command);
    state.SetIterationTime(childrenCpuSeconds() - before);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.bytes));
  state.counters["MB"] = static_cast<double>(set.bytes) / 1e6;
}

void BM_ArchivePackProcess(benchmark::State& state) {
  const TableSet& set = tableSet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  timeCommand(state, "cd " + quoted(set.tables()) + " && " VERBARIUM_CRATEWORK " p " + quoted(set.archive()));
}

void BM_ArchiveGzip6Process(benchmark::State& state) {
  const TableSet& set = tableSet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  timeCommand(state, "gzip -6 -c " + quoted(set.concatenated()) + " > " + quoted(set.root / "all.gz"));
}

void BM_ArchiveUnpackProcess(benchmark::State& state) {
  const TableSet& set = tableSet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  runOrAbort("cd " + quoted(set.tables()) + " && " VERBARIUM_CRATEWORK " p " + quoted(set.archive()));
  timeCommand(state, "cd " + quoted(set.unpacked()) + " && " VERBARIUM_CRATEWORK " u " + quoted(set.archive()));
}

void BM_ArchiveGunzipProcess(benchmark::State& state) {
  const TableSet& set = tableSet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  runOrAbort("gzip -6 -c " + quoted(set.concatenated()) + " > " + quoted(set.root / "all.gz"));
  timeCommand(state, "gzip -d -c " + quoted(set.root / "all.gz") + " > " + quoted(set.root / "all.out"));
}

#define ARCHIVE_BENCHMARK(name)                                                                        \
  BENCHMARK(name)->Args({21, 1})->Iterations(20)->Unit(benchmark::kMillisecond)->UseManualTime();     \
  BENCHMARK(name)->Args({2100, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();    \
  BENCHMARK(name)->Args({21, 100})->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime()

ARCHIVE_BENCHMARK(BM_ArchivePackProcess);
ARCHIVE_BENCHMARK(BM_ArchiveGzip6Process);
ARCHIVE_BENCHMARK(BM_ArchiveUnpackProcess);
ARCHIVE_BENCHMARK(BM_ArchiveGunzipProcess);

}  // namespace
