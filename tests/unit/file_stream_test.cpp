#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/atomic_replace.h"
#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/process_liveness.h"
#include "platform/single_instance.h"
#include "support/file_size_limit.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

test::Bytes pattern(std::size_t size) {
  test::Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

// Field by field, backing up within the buffer as the layout 1 reader does,
// and reading ahead over a refill then giving most of it back as the
// marker-delimited reader does: one system read per buffer, and one that
// meets the end.
TEST(FileStream, ReadsFieldByFieldAndStepsBackAcrossARefillWithOneSystemReadPerBuffer) {
  test::TempDir dir;
  const auto path = dir.file(u"table.dat");
  const test::Bytes bytes = pattern(3 * FileStream::kBufferSize + 123);
  test::writeFileBytes(path, bytes);
  FileStream stream(File::openForReading(path));
  ASSERT_TRUE(stream.isOpen());
  test::Bytes back(FileStream::kBufferSize + 900);
  ASSERT_EQ(stream.read(back.data(), FileStream::kBufferSize - 100), std::int64_t{FileStream::kBufferSize - 100});
  ASSERT_EQ(stream.read(back.data() + FileStream::kBufferSize - 100, 1000), 1000);
  EXPECT_EQ(stream.position(), std::int64_t{FileStream::kBufferSize + 900});
  ASSERT_TRUE(stream.seek(-950, SeekOrigin::Current));
  back.resize(FileStream::kBufferSize - 50);
  std::uint8_t field[6];
  for (;;) {
    std::int64_t got = stream.read(field, sizeof field);
    ASSERT_GE(got, 0);
    back.insert(back.end(), field, field + got);
    if (got < static_cast<std::int64_t>(sizeof field)) break;
    ASSERT_TRUE(stream.seek(-2, SeekOrigin::Current));
    ASSERT_TRUE(stream.seek(2, SeekOrigin::Current));
  }
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(stream.fileReads(), 5u) << "four buffers and one read that met the end";
  for (int i = 0; i < 5; ++i) EXPECT_EQ(stream.read(field, 1), 0) << "at the end a read gives nothing";
  EXPECT_EQ(stream.fileReads(), 5u);
}

TEST(FileStream, MixesReadsWritesSeeksAndTruncation) {
  test::TempDir dir;
  const auto path = dir.file(u"mixed.bin");
  test::writeFileBytes(path, test::hex("00 01 02 03 04 05 06 07 08 09"));
  {
    FileStream stream(File::openForReadWrite(path));
    std::uint8_t two[2];
    ASSERT_EQ(stream.read(two, 2), 2);
    ASSERT_TRUE(stream.write("\xAA\xBB", 2));  // lands at offsets 2 and 3
    ASSERT_EQ(stream.read(two, 2), 2);
    EXPECT_EQ(two[0], 0x04);
    ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin));
    ASSERT_EQ(stream.read(two, 2), 2);
    EXPECT_EQ(stream.position(), 2);
    // Back to the start of what was read, and of what is being written.
    ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin));
    ASSERT_TRUE(stream.write("\xDD\xDE", 2));
    ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin));
    ASSERT_TRUE(stream.write("\xEE", 1));
    ASSERT_TRUE(stream.seek(6, SeekOrigin::Begin));
    ASSERT_TRUE(stream.write("\xCC", 1));
    ASSERT_TRUE(stream.truncate());
    EXPECT_EQ(stream.size(), 7);
    // Cut where the reading stands, not where the file was read up to.
    ASSERT_TRUE(stream.seek(0, SeekOrigin::Begin));
    ASSERT_EQ(stream.read(two, 2), 2);
    ASSERT_TRUE(stream.truncate());
    EXPECT_EQ(stream.size(), 2);
    ASSERT_TRUE(stream.close());
  }
  EXPECT_EQ(test::toHex(test::readFileBytes(path)), "ee de");
}

TEST(FileStream, LargeWritesPassTheBufferWithoutLoss) {
  test::TempDir dir;
  const auto path = dir.file(u"large.bin");
  const test::Bytes big = pattern(5 * FileStream::kBufferSize / 2);
  {
    FileStream stream(File::createAlways(path));
    ASSERT_TRUE(stream.write(big.data(), 10));
    EXPECT_EQ(stream.size(), 10) << "what is buffered counts";
    ASSERT_TRUE(stream.write(big.data() + 10, big.size() - 10));
    EXPECT_EQ(stream.position(), static_cast<std::int64_t>(big.size()));
    ASSERT_TRUE(stream.close());
  }
  EXPECT_EQ(test::readFileBytes(path), big);
#ifndef _WIN32
  // A disk that fills up part way through a large write is told at once.
  test::FileSizeLimit limit(big.size() / 2);
  FileStream full(File::createAlways(dir.file(u"full.bin")));
  EXPECT_FALSE(full.write(big.data(), big.size()));
#endif
}

TEST(AtomicReplace, TheTargetIsEitherTheOldOrTheNewFile) {
  test::TempDir dir;
  const auto target = dir.file(u"table.dat");
  test::writeFileBytes(target, test::hex("01 02 03"));
  {
    AtomicReplace replace(target);
    ASSERT_TRUE(replace.isOpen());
    ASSERT_TRUE(replace.stream().write("\x09\x08", 2));
    EXPECT_EQ(test::readFileBytes(target), test::hex("01 02 03")) << "untouched until the commit";
    ASSERT_TRUE(replace.commit());
  }
  EXPECT_EQ(test::readFileBytes(target), test::hex("09 08"));

  Path leftover;
  {
    AtomicReplace abandoned(target);
    ASSERT_TRUE(abandoned.isOpen());
    abandoned.stream().write("\x77", 1);
    leftover = abandoned.temporaryPath();
  }
  EXPECT_EQ(test::readFileBytes(target), test::hex("09 08"));
  EXPECT_FALSE(fileExists(leftover)) << "an abandoned write leaves no temporary file";
  EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"table.dat"});
  // A missing directory is reported, not created.
  AtomicReplace missing(dir.file(u"missing") + u"/table.dat");
  EXPECT_FALSE(missing.isOpen());
  EXPECT_FALSE(missing.commit());
}

#ifndef _WIN32
// The new file takes the old one's permissions, but never setuid, setgid or
// sticky bits, and never the mode of what a link in its place points to.
TEST(AtomicReplace, KeepsOnlyThePlainPermissionsOfARegularTarget) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  const auto target = dir.file(u"table.dat");
  test::writeFileBytes(target, test::hex("01"));
  fs::permissions(dir.path() / "table.dat", static_cast<fs::perms>(04750));
  const auto outside = dir.file(u"outside.dat");
  test::writeFileBytes(outside, test::hex("02"));
  fs::permissions(dir.path() / "outside.dat", static_cast<fs::perms>(06777));
  fs::create_symlink(dir.path() / "outside.dat", dir.path() / "link.dat");

  for (const char16_t* name : {u"table.dat", u"link.dat"}) {
    AtomicReplace replace(dir.file(name));
    ASSERT_TRUE(replace.stream().write("\x09", 1));
    ASSERT_TRUE(replace.commit());
  }
  EXPECT_EQ(static_cast<int>(fs::status(dir.path() / "table.dat").permissions()), 0750);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.path() / "link.dat")));
  EXPECT_EQ(static_cast<int>(fs::status(dir.path() / "link.dat").permissions()) & 07000, 0);
  EXPECT_EQ(test::readFileBytes(outside), test::hex("02"));
}
#endif

// One writer at a time, in this process as in another; the lock outlives
// the replace of its target, and a killed holder's lock file is no lock.
TEST(FileLock, OneHolderAtATimeAndNoLockFileLeft) {
  test::TempDir dir;
  const auto target = dir.file(u"table.dat");
  test::writeFileBytes(target + u".lock", {});  // left by a killed holder
  FileLock first = FileLock::tryAcquire(target);
  ASSERT_TRUE(first.held());
  {
    AtomicReplace replace(target);
    ASSERT_TRUE(replace.stream().write("\x01", 1));
    ASSERT_TRUE(replace.commit());
  }
  EXPECT_EQ(FileLock::tryAcquire(target).state(), FileLock::State::InUse);
  first.release();
  FileLock second = FileLock::tryAcquire(target);
  EXPECT_TRUE(second.held());
  second.release();
  EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"table.dat"}) << "only the table is left";
  EXPECT_EQ(FileLock::tryAcquire(dir.file(u"missing") + u"/table.dat").state(), FileLock::State::Failed);
}

// No process has this id: beyond every Linux pid_max, and far beyond the ids
// Windows hands out.
constexpr unsigned long kGoneProcess = 99999996;

TEST(ProcessIsRunning, TellsALiveProcessFromAGoneOne) {
  EXPECT_TRUE(processIsRunning(currentProcessId()));
#ifndef _WIN32
  EXPECT_TRUE(processIsRunning(static_cast<unsigned long>(::getppid())));
  // A child that ended and was not yet collected has gone all the same.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  for (int i = 0; i < 200 && processIsRunning(static_cast<unsigned long>(child)); ++i) ::usleep(5000);
  EXPECT_FALSE(processIsRunning(static_cast<unsigned long>(child)));
  ::waitpid(child, nullptr, 0);
#endif
  EXPECT_FALSE(processIsRunning(kGoneProcess));
}

// A second run is told while the first still holds the name, and the name
// is free again once every claim on it has gone. Only the desktop program
// claims one, and it runs on Windows alone.
TEST(SingleInstance, ALaterRunSeesTheEarlierOneUntilItsClaimHasGone) {
  constexpr char16_t kName[] = u"verbarium-unit-tests-single-instance";
  {
    const SingleInstance first(kName);
    EXPECT_FALSE(first.alreadyRunning());
#ifdef _WIN32
    EXPECT_TRUE(SingleInstance(kName).alreadyRunning());
#endif
    EXPECT_FALSE(SingleInstance(u"verbarium-unit-tests-other-name").alreadyRunning());
  }
  EXPECT_FALSE(SingleInstance(kName).alreadyRunning());
}

// Whichever operation of the seal fails (the write of what is buffered, the
// flush to the disk, the close), the seal says so and no commit follows it.
TEST(AtomicReplace, ASealThatFailsReplacesNothing) {
  for (std::int64_t n = 1;; ++n) {
    test::TempDir dir;
    const auto target = dir.file(u"table.dat");
    test::writeFileBytes(target, test::hex("01 02 03"));
    AtomicReplace replace(target);
    ASSERT_TRUE(replace.stream().write("\x09\x08", 2));
    fault_injection::failNth(n);
    const bool sealed = replace.seal();
    const bool struck = fault_injection::struck();
    fault_injection::failNth(0);
    if (!struck) {
      EXPECT_TRUE(sealed);
      EXPECT_GE(n, 4) << "a write, a flush and a close";
      break;
    }
    EXPECT_FALSE(sealed) << "operation " << n;
    EXPECT_FALSE(replace.commit()) << "operation " << n;
    EXPECT_EQ(test::readFileBytes(target), test::hex("01 02 03")) << "operation " << n;
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"table.dat"}) << "operation " << n;
  }
}

// Killed runs' temporary files of the target go; those of a run still going,
// of other targets and of any other shape stay.
TEST(AtomicReplace, RemovesTheTemporaryFilesOfKilledRunsOnItsTarget) {
  const std::string gone = std::to_string(kGoneProcess);
  const std::string self = std::to_string(currentProcessId());
  const struct {
    std::string name;
    bool removed;
  } cases[] = {
      {"table.dat.~" + gone + "-1.tmp", true},
      {"table.dat.~" + gone + "-123456789.tmp", true},
      {"table.dat.~" + self + "-1.tmp", false},
      {"other.dat.~" + gone + "-1.tmp", false},
      {"table.dat.~x.~" + gone + "-1.tmp", false},
      {"table.dat.~" + gone + "-1.tmp.keep", false},
      {"table.dat.~" + gone + ".tmp", false},
      {"table.dat.~" + gone + "-.tmp", false},
      {"table.dat.~x" + gone + "-1.tmp", false},
      {"table.dat.~" + gone + "-1.old", false},
      {"table.dat." + gone + "-1.tmp", false},
      {"xtable.dat.~" + gone + "-1.tmp", false},
      {"table.dat.~1234567890-1.tmp", false},
  };
  test::TempDir dir;
  std::vector<std::string> expected = {"table.dat"};
  for (const auto& c : cases) {
    test::writeFileBytes(dir.file(std::u16string(c.name.begin(), c.name.end())), test::hex("01"));
    if (!c.removed) expected.push_back(c.name);
  }
  std::filesystem::create_directory(dir.path() / ("table.dat.~" + gone + "-2.tmp"));
  expected.push_back("table.dat.~" + gone + "-2.tmp");
  std::sort(expected.begin(), expected.end());

  AtomicReplace replace(dir.file(u"table.dat"));
  ASSERT_TRUE(replace.stream().write("\x09", 1));
  ASSERT_TRUE(replace.commit());
  EXPECT_EQ(test::namesIn(dir.path()), expected);

  // A writer of many files may clean the directory itself, once.
  test::writeFileBytes(dir.file(u"table.dat.~" + std::u16string(gone.begin(), gone.end()) + u"-1.tmp"), {});
  AtomicReplace deferred(dir.file(u"table.dat"), AtomicReplace::StaleFiles::LeftToCaller);
  EXPECT_TRUE(fileExists(dir.file(u"table.dat.~" + std::u16string(gone.begin(), gone.end()) + u"-1.tmp")));
}

#ifndef _WIN32
TEST(File, OpensOnlyARegularFileForReadingRegularFiles) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  test::writeFileBytes(dir.file(u"table.dat"), test::hex("01 02"));
  fs::create_symlink(dir.path() / "table.dat", dir.path() / "link.dat");
  fs::create_directory(dir.path() / "directory.dat");
  ASSERT_EQ(::mkfifo((dir.path() / "fifo.dat").c_str(), 0600), 0);

  File file = File::openRegularForReading(dir.file(u"table.dat"));
  ASSERT_TRUE(file.isOpen());
  std::uint8_t bytes[3];
  EXPECT_EQ(file.read(bytes, 3), 2);
  for (const char16_t* name : {u"link.dat", u"directory.dat", u"fifo.dat", u"missing.dat"}) {
    EXPECT_FALSE(File::openRegularForReading(dir.file(name)).isOpen());
    EXPECT_FALSE(isRegularFile(dir.file(name)));
  }
  EXPECT_TRUE(isRegularFile(dir.file(u"table.dat")));
}
#endif

}  // namespace
}  // namespace verbarium
