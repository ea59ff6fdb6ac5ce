#include <gtest/gtest.h>

#include <array>

#include "archive/work_files.h"
#include "container/archive_headers.h"
#include "container/table_names.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

// Encodes into a buffer full of 0xAA, so that a field left unwritten shows.
template <typename Header>
void expectEncodesAndDecodes(const Header& header, const Bytes& bytes) {
  std::array<std::uint8_t, Header::kEncodedSize> buffer;
  buffer.fill(0xAA);
  header.encodeTo(buffer);
  EXPECT_EQ(toHex(Bytes(buffer.begin(), buffer.end())), toHex(bytes));
  if (bytes.size() != buffer.size()) return;
  std::copy(bytes.begin(), bytes.end(), buffer.begin());
  EXPECT_TRUE(Header::decodeFrom(buffer) == header);
}

TEST(ArchiveContainer, HeadersEncodeAndDecodeEachFieldInItsPlace) {
  const std::pair<const char*, ArchiveHeader> archives[] = {
      {"12 dd 72 dd  01 00  00 00  01 00 00 00", ArchiveHeader{.entryCount = 1}},  // as the packer writes it
      {"12 dd 72 dd  02 01  04 03  08 07 06 05",
       ArchiveHeader{.version = 0x0102, .flags = 0x0304, .entryCount = 0x05060708}},
      // Another signature is kept, not judged.
      {"50 4b 03 04  00 00  00 00  00 00 00 00", ArchiveHeader{.signature = {0x50, 0x4B, 0x03, 0x04}, .version = 0}},
  };
  for (const auto& [bytes, header] : archives) expectEncodesAndDecodes(header, hex(bytes));
  const std::pair<const char*, EntryHeader> entries[] = {
      // "ABC" as 1000-2000_0_0
      {"0d 00  00 00  03 00 00 00  0b 00 00 00  48 03 83 a3",
       EntryHeader{.nameLength = 13, .size = 3, .storedSize = 11, .crc = 0xA3830348}},
      {"02 01  04 03  08 07 06 05  0c 0b 0a 09  10 0f 0e 0d",
       EntryHeader{.nameLength = 0x0102, .flags = 0x0304, .size = 0x05060708, .storedSize = 0x090A0B0C,
                   .crc = 0x0D0E0F10}},
  };
  for (const auto& [bytes, header] : entries) expectEncodesAndDecodes(header, hex(bytes));
}

TEST(ArchiveContainer, AnArchiveNameIsStricterThanATableFileName) {
  const std::string longest = "1000-2000_0_0" + std::string(51, 'x');
  const struct {
    std::string name;
    bool plain;      // may be an entry of an archive
    bool tableFile;  // counts as a table file of the program
  } cases[] = {
      {"1000-2000_0_0", true, true},
      {"1000-2000_0_0 extra-._9", true, true},
      {longest, true, true},
      {longest + "x", false, true},
      {"1000-2000_0_0/x", false, true},
      {"1000-2000_0_0..x", false, true},
      {"1000-2000_0_0.", false, true},
      {"1000-2000_0_0 ", false, true},
      {"1000-2000_0_", false, false},
      {"1000-2000_0-0", false, false},
      {"1000-2000_x_0", false, false},
      {"CON", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string name(c.name.begin(), c.name.end());
    EXPECT_EQ(isPlainTableName(c.name), c.plain);
    EXPECT_EQ(IsTableFileName(name), c.tableFile);
    EXPECT_EQ(tableNameOfDatFile(name + u".dat"), c.plain ? c.name : std::string());
    EXPECT_EQ(isUnpackedFileName(c.name + ".zlib"), c.plain);
    EXPECT_FALSE(isUnpackedFileName(c.name + ".bin"));
  }
}

}  // namespace
}  // namespace verbarium
