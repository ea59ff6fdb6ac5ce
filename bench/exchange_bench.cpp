// Export and import of a table of 200,000 entries in each layout, beside a
// plain copy of the two files involved: the table and its exchange file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "formats/dat_file.h"
#include "formats/exchange_table.h"
#include "platform/utf.h"
#include "synthetic_tables.h"

namespace verbarium::bench {
namespace {

constexpr int kEntries = 200000;

struct ExchangePair {
  Path table;
  Path exchange;
};

// Made once per layout: a table file and the exchange file exported from it.
const ExchangePair& exchangePair(DatLayout layout) {
  static std::vector<ExchangePair> pairs(6);
  ExchangePair& pair = pairs[static_cast<int>(layout)];
  if (pair.table.empty()) {
    auto dir = std::filesystem::temp_directory_path();
    auto name = "verbarium-exchange-bench-" + std::to_string(static_cast<int>(layout)) + ".dat";
    pair.table = fromUtf8((dir / name).string());
    pair.exchange = exchangeFilePath(pair.table);
    saveOrAbort(pair.table, makeSyntheticTable(layout, kEntries));
    if (exportTable(pair.table, pair.exchange) != ExportResult::Written) std::abort();
  }
  return pair;
}

std::int64_t sizeOf(const Path& path) { return static_cast<std::int64_t>(std::filesystem::file_size(toUtf8(path))); }

void copyFile(const Path& from, const Path& to, std::vector<char>& buffer) {
  File source = File::openForReading(from);
  File target = File::createAlways(to);
  for (std::int64_t got; (got = source.read(buffer.data(), buffer.size())) > 0;) {
    target.write(buffer.data(), static_cast<std::size_t>(got));
  }
}

void BM_PlainCopyOfTableAndExchangeFile(benchmark::State& state) {
  const ExchangePair& pair = exchangePair(static_cast<DatLayout>(state.range(0)));
  std::vector<char> buffer(64 * 1024);
  for (auto _ : state) {
    copyFile(pair.table, pair.table + u".copy", buffer);
    copyFile(pair.exchange, pair.exchange + u".copy", buffer);
  }
  state.SetBytesProcessed(state.iterations() * (sizeOf(pair.table) + sizeOf(pair.exchange)));
}

void BM_ExportTable(benchmark::State& state) {
  const ExchangePair& pair = exchangePair(static_cast<DatLayout>(state.range(0)));
  const Path exported = pair.exchange + u".exported";
  for (auto _ : state) {
    if (exportTable(pair.table, exported) != ExportResult::Written) state.SkipWithError("export failed");
  }
  state.SetBytesProcessed(state.iterations() * (sizeOf(pair.table) + sizeOf(pair.exchange)));
}

// The exchange file holds the table's own texts, so every run imports into
// the same table file.
void BM_ImportTable(benchmark::State& state) {
  const ExchangePair& pair = exchangePair(static_cast<DatLayout>(state.range(0)));
  for (auto _ : state) {
    if (!importTable(pair.table, pair.exchange).changedTable()) state.SkipWithError("import failed");
  }
  state.SetBytesProcessed(state.iterations() * (sizeOf(pair.table) + sizeOf(pair.exchange)));
}

BENCHMARK(BM_PlainCopyOfTableAndExchangeFile)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTable)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTable)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verbarium::bench
