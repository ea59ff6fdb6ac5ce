#pragma once
// Reading an archive. Every number in it is checked against the caps and
// against the bytes that are really there before anything is written.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_stream.h"
#include "zlib_stream.h"

namespace cratework {

// An entry of a checked catalog.
struct EntryInfo {
  std::string name;  // a plain table name, ASCII, without ".dat"
  std::uint32_t size = 0;        // of the table
  std::uint32_t storedSize = 0;  // of the zlib stream
  std::uint32_t crc = 0;         // CRC-32 of the table
  std::int64_t dataOffset = 0;   // where the zlib stream begins
};

// Reads the archive header and every entry header, and checks them all: the
// signature, the version, the entry count, each name, each declared size,
// that each stream lies within the archive and that nothing follows the last
// one. False, with the reason in `error`, at the first fault.
bool readCatalog(verbarium::ByteStream& archive, std::vector<EntryInfo>& entries, std::string& error);

// Inflates the entries of a checked catalog, one after another, with one
// zlib state and one pair of buffers for them all.
class EntryExtractor {
 public:
  EntryExtractor();

  // Inflates `entry` into `table`, copying its zlib stream as stored to
  // `stored`; either may be null. Refuses a stream that is corrupt, ends
  // early, has bytes after its end, inflates to more or fewer bytes than
  // declared, or whose CRC-32 differs.
  bool extract(verbarium::ByteStream& archive, const EntryInfo& entry, verbarium::ByteStream* stored,
               verbarium::ByteStream* table, std::string& error);

 private:
  Inflater inflater_;
  std::unique_ptr<std::uint8_t[]> input_;
  std::unique_ptr<std::uint8_t[]> output_;
};

// A name for messages, with anything unprintable written as \xNN.
std::string printableName(std::string_view name);

}  // namespace cratework
