#include <gtest/gtest.h>

#include <filesystem>

#include "platform/atomic_replace.h"
#include "platform/fault_injection.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "support/file_size_limit.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::hex;
constexpr std::size_t kBuffer = FileStream::kBufferSize;

// Read ahead over a refill and most of it given back, as the marker-delimited
// reader does; then field by field, backing up within the buffer as the
// layout 1 reader does. A full disk is told at once.
TEST(FileStream, WritesAndReadsFieldByFieldAndStepsBackAcrossARefillWithOneSystemReadPerBuffer) {
  test::TempDir dir;
  Bytes bytes(3 * kBuffer + 123);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  FileStream out(File::createAlways(dir.file(u"t.dat")));
  ASSERT_TRUE(out.write(bytes.data(), 10));
  EXPECT_EQ(out.size(), 10);
  ASSERT_TRUE(out.write(bytes.data() + 10, bytes.size() - 10));
  EXPECT_EQ(out.position(), std::int64_t(bytes.size()));
  ASSERT_TRUE(out.close());
#ifndef _WIN32
  {
    test::FileSizeLimit limit(kBuffer);
    EXPECT_FALSE(FileStream(File::createAlways(dir.file(u"full.dat"))).write(bytes.data(), bytes.size()));
  }
#endif
  FileStream stream(File::openForReading(dir.file(u"t.dat")));
  Bytes back(kBuffer + 900);
  ASSERT_EQ(stream.read(back.data(), kBuffer - 100), std::int64_t(kBuffer - 100));
  ASSERT_EQ(stream.read(back.data() + kBuffer - 100, 1000), 1000);
  EXPECT_EQ(stream.position(), std::int64_t(kBuffer + 900));
  ASSERT_TRUE(stream.seek(-950, SeekOrigin::Current));
  back.resize(kBuffer - 50);
  std::uint8_t field[6];
  for (std::int64_t got = 6; got == 6;) {
    got = stream.read(field, 6);
    back.insert(back.end(), field, field + std::max<std::int64_t>(got, 0));
    ASSERT_TRUE(stream.seek(-2, SeekOrigin::Current) && stream.seek(2, SeekOrigin::Current));
  }
  EXPECT_EQ(back, bytes);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(stream.read(field, 1), 0);
  EXPECT_EQ(stream.fileReads(), 5u);
}

// Writing where the reading stands, reading where the writing stopped, and a
// cut where the reading stands, not where the file was read up to.
TEST(FileStream, MixesReadsWritesSeeksAndTruncation) {
  test::TempDir dir;
  const auto path = dir.file(u"mixed.bin");
  test::writeFileBytes(path, hex("00 01 02 03 04 05 06 07 08 09"));
  FileStream stream(File::openForReadWrite(path));
  std::uint8_t two[2];
  ASSERT_EQ(stream.read(two, 2), 2);
  ASSERT_TRUE(stream.write("\xAA\xBB", 2));
  ASSERT_EQ(stream.read(two, 2), 2);
  EXPECT_EQ(two[0], 0x04);
  ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin) && stream.read(two, 2) == 2);
  // Back to the start of what was read, and of what is being written.
  ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin) && stream.write("\xDD\xDE", 2));
  ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin) && stream.write("\xEE", 1));
  ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin));
  ASSERT_EQ(stream.read(two, 2), 2);
  ASSERT_TRUE(stream.truncate() && stream.close());
  EXPECT_EQ(test::toHex(test::readFileBytes(path)), "ee de");
}

// Whichever operation of the seal fails (the write of what is buffered, the
// flush to the disk, the close), the seal says so and no commit follows it.
TEST(AtomicReplace, ASealThatFailsReplacesNothing) {
  for (std::int64_t n = 1;; ++n) {
    test::TempDir dir;
    test::writeFileBytes(dir.file(u"t.dat"), hex("01 02 03"));
    AtomicReplace replace(dir.file(u"t.dat"));
    ASSERT_TRUE(replace.stream().write("\x09\x08", 2));
    fault_injection::failNth(n);
    const bool sealed = replace.seal();
    const bool struck = fault_injection::struck();
    fault_injection::failNth(0);
    if (!struck) {
      EXPECT_TRUE(sealed && n >= 4) << "a write, a flush and a close";
      break;
    }
    EXPECT_FALSE(sealed || replace.commit()) << "operation " << n;
    EXPECT_EQ(test::treeOf(dir.path()), (test::FileTree{{"t.dat", hex("01 02 03")}})) << "operation " << n;
  }
}

#ifndef _WIN32
// The new file takes the old one's permissions, but never setuid, setgid or
// sticky bits, and never the mode of what a link in its place points to.
TEST(AtomicReplace, KeepsOnlyThePlainPermissionsOfARegularTarget) {
  test::TempDir dir;
  test::layTree(dir.path(), {{"t.dat", hex("01")}, {"outside.dat", hex("02")}});
  fs::permissions(dir.path() / "t.dat", fs::perms(04750));
  fs::permissions(dir.path() / "outside.dat", fs::perms(06777));
  fs::create_symlink(dir.path() / "outside.dat", dir.path() / "link.dat");
  for (const char16_t* name : {u"t.dat", u"link.dat"}) {
    AtomicReplace replace(dir.file(name));
    ASSERT_TRUE(replace.stream().write("\x09", 1) && replace.commit());
  }
  EXPECT_EQ(int(fs::status(dir.path() / "t.dat").permissions()), 0750);
  EXPECT_EQ(int(fs::symlink_status(dir.path() / "link.dat").permissions()) & 07000, 0);
  EXPECT_EQ(test::readFileBytes(dir.file(u"outside.dat")), hex("02"));
}
#endif

// Those of a run still going, of other targets and of other shapes stay. No
// process has the gone id: beyond every Linux pid_max and any Windows id.
TEST(AtomicReplace, RemovesTheTemporaryFilesOfKilledRunsOnItsTarget) {
  const std::string gone = "t.dat.~99999996-", self = "t.dat.~" + std::to_string(currentProcessId()) + "-";
  const test::FileTree stay = {
      {"t.dat", hex("09")},           {self + "1.tmp", {}},     {"t.dat.~x.~99999996-1.tmp", {}},
      {"xt.dat.~99999996-1.tmp", {}}, {gone + "1.tmp.keep", {}}, {gone + ".tmp", {}},
      {"t.dat.~x99999996-1.tmp", {}}, {"t.dat.~1234567890-1.tmp", {}}, {gone + "2.tmp/", {}},
  };
  for (const auto staleFiles : {AtomicReplace::StaleFiles::LeftToCaller, AtomicReplace::StaleFiles::Remove}) {
    test::TempDir dir;
    test::FileTree files = stay;
    files[gone + "1.tmp"] = files[gone + "123456789.tmp"] = {};
    test::layTree(dir.path(), files);
    AtomicReplace replace(dir.file(u"t.dat"), staleFiles);
    ASSERT_TRUE(replace.stream().write("\x09", 1) && replace.commit());
    EXPECT_EQ(test::treeOf(dir.path()), staleFiles == AtomicReplace::StaleFiles::Remove ? stay : files);
  }
}

}  // namespace
}  // namespace verbarium
