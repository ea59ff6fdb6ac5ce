#include <array>
#include <cstring>

#include "codec/le_bytes.h"
#include "formats/dat_format.h"

namespace verbarium {

DatLayout sniffDatLayout(ByteStream& file) {
  // Bytes that a short file does not fill count as zero.
  std::array<std::uint8_t, 12> b{};
  std::int64_t got = file.read(b.data(), b.size());
  file.seek(0, SeekOrigin::Begin);
  if (got < 0) return DatLayout::ReadFailed;
  if (got == 0) return DatLayout::Empty;
  if (got < 4) return DatLayout::UnknownFormat;
  if (loadLe32(b.data()) == 0) return DatLayout::Empty;
  static constexpr std::uint8_t kMarkerStart[8] = {0x36, 0x01, 0x00, 0x00, 0x42, 0x01, 0x00, 0x00};
  if (std::memcmp(b.data(), kMarkerStart, sizeof kMarkerStart) == 0) return DatLayout::MarkerDelimited;
  if (b[8] == 2 && b[9] == 0 && b[10] == 0) return DatLayout::SevenByteKey;
  if (b[8] == 3 && b[9] == 0) return DatLayout::SixByteKey;
  if (b[4] == 1) return DatLayout::CountedKey;
  return DatLayout::DwordRunKey;
}

}  // namespace verbarium
