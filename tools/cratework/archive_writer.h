#pragma once
// Writing an archive: the same tables in the same order always give the
// same bytes (no times, no owners, no platform in them).

#include <memory>
#include <string>
#include <vector>

#include "platform/byte_stream.h"
#include "zlib_stream.h"

namespace cratework {

class ArchiveWriter {
 public:
  // Writes the archive header for `entryCount` entries.
  ArchiveWriter(verbarium::ByteStream& archive, std::uint32_t entryCount);

  // Compresses the whole of `table` as the next entry.
  bool add(const std::string& name, verbarium::ByteStream& table, std::string& error);
  // True when all the announced entries were added and every write arrived.
  bool finish(std::string& error);

 private:
  verbarium::ByteStream& archive_;
  Deflater deflater_;
  std::unique_ptr<std::uint8_t[]> input_;
  std::vector<std::uint8_t> stored_;
  std::uint32_t expected_;
  std::uint32_t added_ = 0;
  bool failed_ = false;
};

}  // namespace cratework
