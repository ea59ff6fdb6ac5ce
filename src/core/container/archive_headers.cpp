#include "container/archive_headers.h"

#include <algorithm>

#include "codec/le_bytes.h"

namespace verbarium {

void ArchiveHeader::encodeTo(std::span<std::uint8_t, kEncodedSize> bytes) const {
  std::ranges::copy(signature, bytes.subspan<kSignatureOffset, kArchiveSignature.size()>().begin());
  storeLeField<kVersionOffset>(bytes, version);
  storeLeField<kFlagsOffset>(bytes, flags);
  storeLeField<kEntryCountOffset>(bytes, entryCount);
}

ArchiveHeader ArchiveHeader::decodeFrom(std::span<const std::uint8_t, kEncodedSize> bytes) {
  ArchiveHeader header;
  std::ranges::copy(bytes.subspan<kSignatureOffset, kArchiveSignature.size()>(), header.signature.begin());
  loadLeField<kVersionOffset>(bytes, header.version);
  loadLeField<kFlagsOffset>(bytes, header.flags);
  loadLeField<kEntryCountOffset>(bytes, header.entryCount);
  return header;
}

void EntryHeader::encodeTo(std::span<std::uint8_t, kEncodedSize> bytes) const {
  storeLeField<kNameLengthOffset>(bytes, nameLength);
  storeLeField<kFlagsOffset>(bytes, flags);
  storeLeField<kSizeOffset>(bytes, size);
  storeLeField<kStoredSizeOffset>(bytes, storedSize);
  storeLeField<kCrcOffset>(bytes, crc);
}

EntryHeader EntryHeader::decodeFrom(std::span<const std::uint8_t, kEncodedSize> bytes) {
  EntryHeader header;
  loadLeField<kNameLengthOffset>(bytes, header.nameLength);
  loadLeField<kFlagsOffset>(bytes, header.flags);
  loadLeField<kSizeOffset>(bytes, header.size);
  loadLeField<kStoredSizeOffset>(bytes, header.storedSize);
  loadLeField<kCrcOffset>(bytes, header.crc);
  return header;
}

}  // namespace verbarium
