#include "archive_reader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "container/archive_headers.h"
#include "container/table_names.h"

namespace cratework {

using verbarium::ArchiveHeader;
using verbarium::ByteStream;
using verbarium::EntryHeader;
using verbarium::isPlainTableName;
using verbarium::kArchiveFormatVersion;
using verbarium::kArchiveSignature;
using verbarium::kMaxEntries;
using verbarium::kMaxEntrySize;
using verbarium::kMaxNameLength;
using verbarium::lowerAscii;
using verbarium::SeekOrigin;

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

bool readExactly(ByteStream& stream, void* buffer, std::size_t size) {
  return stream.read(buffer, size) == static_cast<std::int64_t>(size);
}

std::string entryLabel(std::size_t index, std::string_view name) {
  return "entry " + std::to_string(index + 1) + (name.empty() ? "" : " (" + printableName(name) + ")");
}

}  // namespace

std::string printableName(std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out.push_back(c);
    } else {
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    }
  }
  return out;
}

namespace {

bool readEntries(ByteStream& archive, std::vector<EntryInfo>& entries, std::string& error) {
  const std::int64_t archiveSize = archive.size();
  if (archiveSize < 0 || !archive.seek(0, SeekOrigin::Begin)) {
    error = "cannot read the archive";
    return false;
  }
  // Bytes a short file does not fill stay zero; the checks below refuse it.
  std::array<std::uint8_t, ArchiveHeader::kEncodedSize> headerBytes{};
  const std::int64_t got = archive.read(headerBytes.data(), headerBytes.size());
  const ArchiveHeader header = ArchiveHeader::decodeFrom(headerBytes);
  constexpr auto kSignatureEnd = static_cast<std::int64_t>(ArchiveHeader::kSignatureOffset + kArchiveSignature.size());
  if (got < kSignatureEnd || header.signature != kArchiveSignature) {
    error = "not an archive: wrong signature";
    return false;
  }
  if (got < static_cast<std::int64_t>(headerBytes.size())) {
    error = "truncated archive: the archive header is cut short";
    return false;
  }
  if (header.version != kArchiveFormatVersion) {
    error = "unsupported archive version " + std::to_string(header.version);
    return false;
  }
  if (header.flags != 0) {
    error = "unsupported archive: unknown flags";
    return false;
  }
  if (header.entryCount > kMaxEntries) {
    error = "too many entries: " + std::to_string(header.entryCount) + ", at most " + std::to_string(kMaxEntries);
    return false;
  }

  std::set<std::string> seen;
  auto position = static_cast<std::int64_t>(ArchiveHeader::kEncodedSize);
  for (std::uint32_t i = 0; i < header.entryCount; ++i) {
    std::array<std::uint8_t, EntryHeader::kEncodedSize> entryBytes;
    if (!readExactly(archive, entryBytes.data(), entryBytes.size())) {
      error = "truncated archive: " + entryLabel(i, {}) + " has no complete header";
      return false;
    }
    const EntryHeader entryHeader = EntryHeader::decodeFrom(entryBytes);
    EntryInfo entry{.size = entryHeader.size, .storedSize = entryHeader.storedSize, .crc = entryHeader.crc};
    const std::uint16_t nameLength = entryHeader.nameLength;
    if (entryHeader.flags != 0) {
      error = "unsupported archive: " + entryLabel(i, {}) + " has unknown flags";
      return false;
    }
    if (nameLength == 0 || nameLength > kMaxNameLength) {
      error = entryLabel(i, {}) + " has a name of " + std::to_string(nameLength) + " bytes";
      return false;
    }
    entry.name.resize(nameLength);
    if (!readExactly(archive, entry.name.data(), nameLength)) {
      error = "truncated archive: " + entryLabel(i, {}) + " has no complete name";
      return false;
    }
    if (!isPlainTableName(entry.name)) {
      error = entryLabel(i, entry.name) + ": the name is not a plain table name";
      return false;
    }
    if (!seen.insert(lowerAscii(entry.name)).second) {
      error = entryLabel(i, entry.name) + ": the name appears twice";
      return false;
    }
    if (entry.size > kMaxEntrySize) {
      error = entryLabel(i, entry.name) + " declares " + std::to_string(entry.size) + " bytes, more than the cap of " +
              std::to_string(kMaxEntrySize);
      return false;
    }
    // No honest zlib stream is longer than its worst case for the table.
    if (entry.storedSize > compressBound(entry.size)) {
      error = entryLabel(i, entry.name) + " has a stream longer than its table could need";
      return false;
    }
    position += static_cast<std::int64_t>(EntryHeader::kEncodedSize + nameLength);
    entry.dataOffset = position;
    position += entry.storedSize;
    if (position > archiveSize) {
      error = "truncated archive: " + entryLabel(i, entry.name) + " runs past the end of the file";
      return false;
    }
    if (!archive.seek(position, SeekOrigin::Begin)) {
      error = "cannot read the archive";
      return false;
    }
    entries.push_back(std::move(entry));
  }
  if (position != archiveSize) {
    error = "bytes after the last entry";
    return false;
  }
  return true;
}

}  // namespace

bool readCatalog(ByteStream& archive, std::vector<EntryInfo>& entries, std::string& error) {
  entries.clear();
  if (readEntries(archive, entries, error)) return true;
  // A refused archive has no entries, not the first few.
  entries.clear();
  return false;
}

EntryExtractor::EntryExtractor()
    : input_(std::make_unique<std::uint8_t[]>(kChunkSize)), output_(std::make_unique<std::uint8_t[]>(kChunkSize)) {}

bool EntryExtractor::extract(ByteStream& archive, const EntryInfo& entry, ByteStream* stored, ByteStream* table,
                             std::string& error) {
  const std::string label = "entry " + printableName(entry.name);
  if (!inflater_.reset() || !archive.seek(entry.dataOffset, SeekOrigin::Begin)) {
    error = "cannot read " + label;
    return false;
  }
  std::uint8_t* const input = input_.get();
  std::uint8_t* const output = output_.get();
  z_stream& z = inflater_.stream();
  std::uint32_t remaining = entry.storedSize;
  std::uint64_t produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool ended = false;
  while (remaining > 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(remaining, kChunkSize));
    if (!readExactly(archive, input, chunk)) {
      error = "truncated archive: " + label + " cannot be read whole";
      return false;
    }
    remaining -= chunk;
    if (stored && !stored->write(input, chunk)) {
      error = "cannot write the stored stream of " + label;
      return false;
    }
    if (ended) {
      error = label + ": bytes after the end of its zlib stream";
      return false;
    }
    z.next_in = input;
    z.avail_in = chunk;
    do {
      z.next_out = output;
      z.avail_out = kChunkSize;
      int result = inflate(&z, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
        error = label + ": corrupt zlib stream";
        return false;
      }
      const std::size_t have = kChunkSize - z.avail_out;
      produced += have;
      // Checked before anything is written: a stream that would inflate
      // without end stops here.
      if (produced > entry.size) {
        error = label + " inflates beyond its declared size of " + std::to_string(entry.size) + " bytes";
        return false;
      }
      crc = crc32(crc, output, static_cast<uInt>(have));
      if (table && have > 0 && !table->write(output, have)) {
        error = "cannot write the table of " + label;
        return false;
      }
      if (result == Z_STREAM_END) {
        ended = true;
        break;
      }
      if (result == Z_BUF_ERROR) {
        // No progress was possible: fine once the input is used up, never otherwise.
        if (z.avail_in != 0) {
          error = label + ": corrupt zlib stream";
          return false;
        }
        break;
      }
    } while (z.avail_out == 0 || z.avail_in > 0);
    if (ended && z.avail_in > 0) {
      error = label + ": bytes after the end of its zlib stream";
      return false;
    }
  }
  if (!ended) {
    error = label + ": its zlib stream ends early";
    return false;
  }
  if (produced != entry.size) {
    error = label + " inflates to " + std::to_string(produced) + " bytes, not the declared " +
            std::to_string(entry.size);
    return false;
  }
  if (crc != entry.crc) {
    error = label + ": CRC mismatch";
    return false;
  }
  return true;
}

}  // namespace cratework
