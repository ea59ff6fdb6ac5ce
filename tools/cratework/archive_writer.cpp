#include "archive_writer.h"

#include <array>
#include <memory>
#include <vector>

#include "container/archive_headers.h"
#include "container/table_names.h"

namespace cratework {

using verbarium::ArchiveHeader;
using verbarium::ByteStream;
using verbarium::EntryHeader;
using verbarium::isPlainTableName;
using verbarium::kMaxEntrySize;

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

// Runs deflate over what is in `z` and appends its output to `out`.
bool deflateInto(z_stream& z, int flush, std::vector<std::uint8_t>& out) {
  int result;
  do {
    // Straight into the vector's spare room: no copy through a buffer.
    std::size_t used = out.size();
    out.resize(used + kChunkSize);
    z.next_out = out.data() + used;
    z.avail_out = kChunkSize;
    result = deflate(&z, flush);
    out.resize(used + (kChunkSize - z.avail_out));
    if (result == Z_STREAM_ERROR) return false;
  } while (z.avail_out == 0);
  return flush != Z_FINISH || result == Z_STREAM_END;
}

}  // namespace

ArchiveWriter::ArchiveWriter(ByteStream& archive, std::uint32_t entryCount)
    : archive_(archive), input_(std::make_unique<std::uint8_t[]>(kChunkSize)), expected_(entryCount) {
  std::array<std::uint8_t, ArchiveHeader::kEncodedSize> header;
  ArchiveHeader{.entryCount = entryCount}.encodeTo(header);
  failed_ = !archive_.write(header.data(), header.size());
}

bool ArchiveWriter::add(const std::string& name, ByteStream& table, std::string& error) {
  if (!isPlainTableName(name)) {
    error = "not a plain table name: " + name;
    return false;
  }
  if (added_ == expected_) {
    error = "more tables than announced";
    return false;
  }
  if (!deflater_.reset()) {
    error = "out of memory";
    return false;
  }
  z_stream& z = deflater_.stream();
  // The stream's length goes before it, so it is made in memory first; the
  // cap on a table's size bounds what that holds.
  std::vector<std::uint8_t>& stored = stored_;
  stored.clear();
  std::uint8_t* const input = input_.get();
  std::uint64_t size = 0;
  uLong crc = crc32(0, nullptr, 0);
  for (;;) {
    std::int64_t got = table.read(input, kChunkSize);
    if (got < 0) {
      error = "cannot read table " + name;
      return false;
    }
    size += static_cast<std::uint64_t>(got);
    if (size > kMaxEntrySize) {
      error = "table " + name + " is larger than the cap of " + std::to_string(kMaxEntrySize) + " bytes";
      return false;
    }
    crc = crc32(crc, input, static_cast<uInt>(got));
    z.next_in = input;
    z.avail_in = static_cast<uInt>(got);
    if (!deflateInto(z, got == 0 ? Z_FINISH : Z_NO_FLUSH, stored)) {
      error = "cannot compress table " + name;
      return false;
    }
    if (got == 0) break;
  }

  std::array<std::uint8_t, EntryHeader::kEncodedSize> fields;
  EntryHeader{.nameLength = static_cast<std::uint16_t>(name.size()),
              .size = static_cast<std::uint32_t>(size),
              .storedSize = static_cast<std::uint32_t>(stored.size()),
              .crc = static_cast<std::uint32_t>(crc)}
      .encodeTo(fields);
  if (failed_ || !archive_.write(fields.data(), fields.size()) || !archive_.write(name.data(), name.size()) ||
      !archive_.write(stored.data(), stored.size())) {
    failed_ = true;
    error = "cannot write the archive";
    return false;
  }
  ++added_;
  return true;
}

bool ArchiveWriter::finish(std::string& error) {
  if (added_ != expected_) {
    error = "fewer tables than announced";
    return false;
  }
  if (failed_ || !archive_.flush()) {
    error = "cannot write the archive";
    return false;
  }
  return true;
}

}  // namespace cratework
