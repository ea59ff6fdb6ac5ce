#include <gtest/gtest.h>

#include "formats/dat_format.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::hex;

struct SniffCase {
  const char* name;
  const char* bytes;
  DatLayout expected;
};

// Each test decides only when every test before it did not hold.
const SniffCase kSniffCases[] = {
    {"no bytes", "", DatLayout::Empty},
    {"two bytes", "36 01", DatLayout::UnknownFormat},
    {"three bytes", "01 02 03", DatLayout::UnknownFormat},
    {"zero header with records after it", "00 00 00 00 42 01 00 00 02 00 00 00", DatLayout::Empty},
    {"marker start, whatever follows", "36 01 00 00 42 01 00 00 02 00 00 00", DatLayout::MarkerDelimited},
    {"seven-byte test before the six-byte test", "05 00 00 00 01 00 00 00 02 00 00 00", DatLayout::SevenByteKey},
    {"six-byte test before the counted test", "05 00 00 00 01 00 00 00 03 00 09 00", DatLayout::SixByteKey},
    {"byte 8 is 2 but byte 10 is not 0", "05 00 00 00 01 00 00 00 02 00 07 00", DatLayout::CountedKey},
    {"counted key", "05 00 00 00 01 03 00 00 00 0a 0b 0c", DatLayout::CountedKey},
    {"anything else", "05 00 00 00 02 00 00 00 03 01 00 00", DatLayout::DwordRunKey},
    // Bytes a short file does not fill count as zero.
    {"four bytes", "05 00 00 00", DatLayout::DwordRunKey},
    {"eight bytes of marker start", "36 01 00 00 42 01 00 00", DatLayout::MarkerDelimited},
    {"nine bytes, byte 8 is 2", "05 00 00 00 07 00 00 00 02", DatLayout::SevenByteKey},
    {"five bytes, byte 4 is 1", "05 00 00 00 01", DatLayout::CountedKey},
};

TEST(DatSniff, PicksTheFirstLayoutWhoseTestHolds) {
  for (const SniffCase& c : kSniffCases) {
    MemoryStream stream(hex(c.bytes));
    EXPECT_EQ(sniffDatLayout(stream), c.expected) << c.name;
    EXPECT_EQ(stream.position(), 0) << c.name;
  }
}

class FailingReadStream final : public ByteStream {
 public:
  std::int64_t read(void*, std::size_t) override { return -1; }
  bool write(const void*, std::size_t) override { return false; }
  bool seek(std::int64_t, SeekOrigin) override { return true; }
  std::int64_t position() override { return 0; }
  std::int64_t size() override { return -1; }
  bool truncate() override { return false; }
  bool flush() override { return true; }
};

TEST(DatSniff, AFailedReadIsReadFailed) {
  FailingReadStream stream;
  EXPECT_EQ(sniffDatLayout(stream), DatLayout::ReadFailed);
}

}  // namespace
}  // namespace verbarium
