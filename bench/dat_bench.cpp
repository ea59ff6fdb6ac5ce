// Reading and writing a table of 200,000 entries (about 20 MB) in each
// layout, beside a plain copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "formats/dat_file.h"
#include "platform/file_stream.h"
#include "platform/utf.h"
#include "synthetic_tables.h"

namespace verbarium::bench {
namespace {

constexpr int kEntries = 200000;

struct TableFile {
  Path path;
  std::int64_t bytes = 0;
};

TableFile tableFile(DatLayout layout) {
  static std::vector<TableFile> files(6);
  TableFile& file = files[static_cast<int>(layout)];
  if (file.path.empty()) {
    auto dir = std::filesystem::temp_directory_path();
    file.path = fromUtf8((dir / ("verbarium-bench-" + std::to_string(static_cast<int>(layout)) + ".dat")).string());
    saveOrAbort(file.path, makeSyntheticTable(layout, kEntries));
    file.bytes = static_cast<std::int64_t>(std::filesystem::file_size(toUtf8(file.path)));
  }
  return file;
}

void BM_ReadTable(benchmark::State& state) {
  auto layout = static_cast<DatLayout>(state.range(0));
  TableFile file = tableFile(layout);
  std::size_t reads = 0;
  for (auto _ : state) {
    FileStream stream(File::openForReading(file.path));
    TextTable table;
    if (readTextTable(stream, table) != DatReadResult::Read) state.SkipWithError("read failed");
    reads = stream.fileReads();
    if (table.count() != kEntries) state.SkipWithError("wrong entry count");
    benchmark::DoNotOptimize(table);
  }
  state.SetBytesProcessed(state.iterations() * file.bytes);
  state.counters["file_reads"] = static_cast<double>(reads);
  state.counters["read_limit"] = static_cast<double>(file.bytes / (64 * 1024) + 4);
}

// The table of the benchmark's layout, read once before the timing.
TextTable readTable(benchmark::State& state, const TableFile& file) {
  TextTable table;
  if (readTextTableFile(file.path, table) != DatReadResult::Read) state.SkipWithError("read failed");
  return table;
}

void BM_WriteTable(benchmark::State& state) {
  TableFile file = tableFile(static_cast<DatLayout>(state.range(0)));
  const TextTable table = readTable(state, file);
  Path out = file.path + u".out";
  for (auto _ : state) {
    FileStream stream(File::createAlways(out));
    if (!writeTextTable(stream, table)) state.SkipWithError("write failed");
    stream.close();
  }
  state.SetBytesProcessed(state.iterations() * file.bytes);
}

// The atomic replace adds an fsync and a rename to the write.
void BM_SaveTableAtomically(benchmark::State& state) {
  TableFile file = tableFile(static_cast<DatLayout>(state.range(0)));
  const TextTable table = readTable(state, file);
  Path out = file.path + u".saved";
  for (auto _ : state) {
    if (saveTextTableFile(out, table) != TableSaveResult::Saved) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * file.bytes);
}

void BM_PlainCopy(benchmark::State& state) {
  TableFile file = tableFile(DatLayout::SixByteKey);
  std::vector<char> buffer(64 * 1024);
  Path out = file.path + u".copy";
  for (auto _ : state) {
    File from = File::openForReading(file.path);
    File to = File::createAlways(out);
    for (;;) {
      std::int64_t got = from.read(buffer.data(), buffer.size());
      if (got <= 0) break;
      to.write(buffer.data(), static_cast<std::size_t>(got));
    }
  }
  state.SetBytesProcessed(state.iterations() * file.bytes);
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTable)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTable)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTableAtomically)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verbarium::bench
