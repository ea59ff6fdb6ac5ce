// Any bytes as an archive. Whatever the reader accepts must hold to the
// rules it checks: plain names within the caps, streams within the file,
// and entries that extract to exactly their declared size and CRC-32.

#include <zlib.h>

#include <cstdlib>

#include "archive_reader.h"
#include "container/archive_headers.h"
#include "container/table_names.h"

namespace {

using verbarium::MemoryStream;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream archive(data, size);
  std::vector<cratework::EntryInfo> entries;
  std::string error;
  if (!cratework::readCatalog(archive, entries, error)) {
    if (!entries.empty() || error.empty()) std::abort();
    return 0;
  }
  cratework::EntryExtractor extractor;
  for (const auto& entry : entries) {
    if (!verbarium::isPlainTableName(entry.name) || entry.size > verbarium::kMaxEntrySize) std::abort();
    if (entry.dataOffset < 0 || static_cast<std::uint64_t>(entry.dataOffset) + entry.storedSize > size) std::abort();

    MemoryStream table;
    MemoryStream stored;
    if (!extractor.extract(archive, entry, &stored, &table, error)) continue;
    if (table.bytes().size() != entry.size || stored.bytes().size() != entry.storedSize) std::abort();
    uLong crc = crc32(0, table.bytes().data(), static_cast<uInt>(table.bytes().size()));
    if (crc != entry.crc) std::abort();
  }
  return 0;
}
