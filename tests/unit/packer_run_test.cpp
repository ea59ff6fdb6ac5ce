#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "archive/current_directory_scope.h"
#include "archive/packer.h"
#include "archive/work_files.h"
#include "cli_app.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using namespace test;

const std::u16string kTables[] = {u"1000-2000_0_0.dat", u"1007-2001_1_1.dat", u"2000-0001_4_1.dat"};

Bytes tableBytes(int which) {
  // Any bytes do for the packer; these have runs, so deflate has work to do.
  Bytes bytes = hex("36 01 00 00");
  for (int i = 0; i < 3000 * (which + 1); ++i) bytes.push_back(static_cast<std::uint8_t>((i * (which + 3)) % 61));
  return bytes;
}

std::vector<std::u16string> sortedFiles(const std::u16string& directory) {
  auto names = listFiles(directory, u"*");
  std::sort(names.begin(), names.end());
  return names;
}

class PackerRun : public ::testing::Test {
 protected:
  PackerRun() {
    makeDirectory(u"tables");
    for (int i = 0; i < 3; ++i) test::writeFileBytes(at(u"tables/" + kTables[i]), tableBytes(i));
    test::writeFileBytes(at(u"tables/1000-2000_0_0.dat.org"), hex("6f 72 67"));
  }

  std::u16string at(const std::u16string& relative) const { return root_.file(relative); }
  void makeDirectory(const std::u16string& relative) const { std::filesystem::create_directories(path(relative)); }
  std::filesystem::path path(const std::u16string& relative) const {
    return root_.path() / std::filesystem::path(relative);
  }

  test::TempDir root_;
  test::SearchPathScope packerOnPath_{test::packerDirectory()};
};

TEST_F(PackerRun, PackThenUnpackElsewhereGivesBackEveryTable) {
  // Blanks and characters beyond ASCII in the archive's and the work directory's paths.
  makeDirectory(u"saves with blanks");
  makeDirectory(u"Übersetzung 翻訳");
  const auto archive = at(u"saves with blanks/テキスト ä.cff");
  const auto work = at(u"Übersetzung 翻訳");
  test::writeFileBytes(work + u"/notes.zlib", hex("01"));

  const Path before = currentDirectory();
  PackerResult packed = PackArchive(archive, at(u"tables"));
  ASSERT_TRUE(packed) << "packer failure " << static_cast<int>(packed.failure);
  EXPECT_EQ(currentDirectory(), before);
  ASSERT_TRUE(HasArchiveSignature(archive));

  PackerResult unpacked = UnpackArchive(archive, work);
  ASSERT_TRUE(unpacked) << "packer failure " << static_cast<int>(unpacked.failure);
  EXPECT_EQ(currentDirectory(), before);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(test::readFileBytes(work + u"/" + kTables[i]), tableBytes(i));
  // The table-named .zlib by-products and temp.bin are gone; a .zlib of another name stays.
  EXPECT_EQ(sortedFiles(work),
            (std::vector<std::u16string>{kTables[0], kTables[1], kTables[2], u"notes.zlib"}));
}

TEST_F(PackerRun, PathsLongerThan260CharactersReachThePackerWhole) {
  const std::u16string deep = u"d" + std::u16string(120, u'e') + u"/" + std::u16string(120, u'p');
  makeDirectory(deep);
  const auto archive = at(deep + u"/archive with a long path.cff");
  ASSERT_GT(archive.size(), 260u);
  ASSERT_TRUE(PackArchive(archive, at(u"tables")));
  makeDirectory(u"work");
  ASSERT_TRUE(UnpackArchive(archive, at(u"work")));
  EXPECT_EQ(test::readFileBytes(at(u"work/") + kTables[1]), tableBytes(1));
}

TEST_F(PackerRun, ARelativeWorkDirectoryIsTakenFromTheCurrentDirectory) {
  // The baseline setup unpacks into "..\temp" while an edition directory is current.
  makeDirectory(u"Shadow Wars");
  makeDirectory(u"temp");
  ASSERT_TRUE(PackArchive(at(u"edition.cff"), at(u"tables")));
  CurrentDirectoryScope edition(at(u"Shadow Wars"));
  ASSERT_TRUE(edition.entered());
  PackerResult unpacked = UnpackArchive(u"..\\edition.cff", u"..\\temp");
  ASSERT_TRUE(unpacked) << "packer failure " << static_cast<int>(unpacked.failure);
  EXPECT_EQ(sortedFiles(at(u"temp")), (std::vector<std::u16string>{kTables[0], kTables[1], kTables[2]}));
  EXPECT_TRUE(sortedFiles(at(u"Shadow Wars")).empty());
}

TEST_F(PackerRun, AStaleTempBinIsNeverUnpacked) {
  makeDirectory(u"other");
  test::writeFileBytes(at(u"other/9999-9999_9_9.dat"), hex("73 74 61 6c 65"));
  ASSERT_TRUE(PackArchive(at(u"stale.cff"), at(u"other")));
  ASSERT_TRUE(PackArchive(at(u"chosen.cff"), at(u"tables")));
  makeDirectory(u"work");
  // An interrupted run left its copy of another archive behind.
  ASSERT_TRUE(copyFile(at(u"stale.cff"), at(u"work/temp.bin"), false));

  ASSERT_TRUE(UnpackArchive(at(u"chosen.cff"), at(u"work")));
  EXPECT_EQ(sortedFiles(at(u"work")), (std::vector<std::u16string>{kTables[0], kTables[1], kTables[2]}));
}

TEST_F(PackerRun, AnArchiveTheUnpackWouldReplaceIsLeftAlone) {
  ASSERT_TRUE(PackArchive(at(u"packed.cff"), at(u"tables")));
  const Bytes archive = test::readFileBytes(at(u"packed.cff"));
  // The packer writes the archive's tables and their .zlib by-products there.
  for (const char16_t* name : {u"temp.bin", u"x.dat", u"1000-2000_0_0.dat", u"1000-2000_0_0.zlib"}) {
    makeDirectory(u"work");
    test::writeFileBytes(at(u"work/") + name, archive);
    PackerResult result = UnpackArchive(at(u"work/") + name, at(u"work"));
    EXPECT_EQ(result.failure, PackerFailure::ArchiveIsWorkFile) << toUtf8(name);
    EXPECT_EQ(sortedFiles(at(u"work")), std::vector<std::u16string>{name});
    EXPECT_EQ(test::readFileBytes(at(u"work/") + name), archive) << toUtf8(name);
    std::filesystem::remove_all(path(u"work"));
  }
  // Nor under another name: a link to the work directory's copy is that copy.
  makeDirectory(u"work");
  test::writeFileBytes(at(u"work/temp.bin"), archive);
  std::filesystem::create_hard_link(path(u"work/temp.bin"), path(u"linked.cff"));
  EXPECT_EQ(UnpackArchive(at(u"linked.cff"), at(u"work")).failure, PackerFailure::ArchiveIsWorkFile);
  EXPECT_EQ(sortedFiles(at(u"work")), std::vector<std::u16string>{u"temp.bin"});
  // Elsewhere, the same names are any archive's.
  test::writeFileBytes(at(u"x.dat"), archive);
  EXPECT_TRUE(UnpackArchive(at(u"x.dat"), at(u"tables")));
}

// A pack into one of its own tables, or into a name the next pack would
// take for a table, would leave an archive where a table was.
TEST_F(PackerRun, APackIntoTheWorkDirectorysOwnFilesIsRefused) {
  const Bytes table = test::readFileBytes(at(u"tables/") + kTables[0]);
  const auto before = sortedFiles(at(u"tables"));
  for (Path name : {kTables[0], Path(u"4000-4000_4_4.dat"), Path(u"NEW.DAT"), Path(u"NEW.ZLIB"), Path(u"temp.bin")}) {
    PackerResult result = PackArchive(at(u"tables/") + name, at(u"tables"));
    EXPECT_EQ(result.failure, PackerFailure::ArchiveIsWorkFile) << toUtf8(name);
  }
  EXPECT_EQ(test::readFileBytes(at(u"tables/") + kTables[0]), table);
  EXPECT_EQ(sortedFiles(at(u"tables")), before);
  EXPECT_TRUE(PackArchive(at(u"tables/archive.cff"), at(u"tables")));
}

// Neither run starts while another writer holds the archive or a table.
TEST_F(PackerRun, AFileAnotherWriterHoldsStopsTheRun) {
  ASSERT_TRUE(PackArchive(at(u"packed.cff"), at(u"tables")));
  const Bytes archive = test::readFileBytes(at(u"packed.cff"));
  makeDirectory(u"work");
  test::writeFileBytes(at(u"work/") + kTables[1], hex("6f 6c 64"));
  {
    const FileLock table = FileLock::tryAcquire(at(u"work/") + kTables[1]);
    const FileLock packed = FileLock::tryAcquire(at(u"packed.cff"));
    EXPECT_EQ(UnpackArchive(at(u"packed.cff"), at(u"work")).failure, PackerFailure::FileInUse);
    EXPECT_EQ(PackArchive(at(u"packed.cff"), at(u"tables")).failure, PackerFailure::FileInUse);
  }
  EXPECT_EQ(test::readFileBytes(at(u"work/") + kTables[1]), hex("6f 6c 64"));
  EXPECT_EQ(test::readFileBytes(at(u"packed.cff")), archive);
  EXPECT_TRUE(UnpackArchive(at(u"packed.cff"), at(u"work")));
  EXPECT_EQ(sortedFiles(at(u"work")), (std::vector<std::u16string>{kTables[0], kTables[1], kTables[2]}));
}

TEST_F(PackerRun, AFailedPackerRunIsAFailure) {
  makeDirectory(u"work");
  test::writeFileBytes(at(u"work/1000-2000_0_0.dat"), hex("6f 6c 64"));
  // The signature is right, the rest is not: the packer refuses it.
  test::writeFileBytes(at(u"broken.cff"), hex("12 dd 72 dd 01 00 00 00 05 00 00 00 0d 00"));
  PackerResult unpacked = UnpackArchive(at(u"broken.cff"), at(u"work"));
  EXPECT_EQ(unpacked.failure, PackerFailure::PackerFailed);
  EXPECT_EQ(unpacked.exitCode, 1);
  EXPECT_EQ(sortedFiles(at(u"work")), (std::vector<std::u16string>{u"1000-2000_0_0.dat"}));
  EXPECT_EQ(test::readFileBytes(at(u"work/1000-2000_0_0.dat")), hex("6f 6c 64"));

  // A directory without tables: the packer refuses, and the archive stays as it was.
  makeDirectory(u"empty");
  test::writeFileBytes(at(u"kept.cff"), hex("12 dd 72 dd"));
  PackerResult packed = PackArchive(at(u"kept.cff"), at(u"empty"));
  EXPECT_EQ(packed.failure, PackerFailure::PackerFailed);
  EXPECT_EQ(test::readFileBytes(at(u"kept.cff")), hex("12 dd 72 dd"));
  EXPECT_EQ(PackArchive(at(u"new.cff"), at(u"empty")).failure, PackerFailure::PackerFailed);
  EXPECT_FALSE(fileExists(at(u"new.cff")));
}

TEST_F(PackerRun, NothingHappensWithoutAnArchiveAWorkDirectoryOrThePacker) {
  makeDirectory(u"work");
  ASSERT_TRUE(PackArchive(at(u"good.cff"), at(u"tables")));
  test::writeFileBytes(at(u"not-an-archive.cff"), hex("50 4b 03 04 00 00"));
  const Path before = currentDirectory();

  EXPECT_EQ(UnpackArchive(u"", at(u"work")).failure, PackerFailure::EmptyArchivePath);
  EXPECT_EQ(PackArchive(u"", at(u"tables")).failure, PackerFailure::EmptyArchivePath);
  EXPECT_EQ(UnpackArchive(at(u"not-an-archive.cff"), at(u"work")).failure, PackerFailure::NotAnArchive);
  EXPECT_EQ(UnpackArchive(at(u"good.cff"), at(u"missing")).failure, PackerFailure::WorkDirectoryMissing);
  // The pack command line holds the archive path between quotation marks.
  for (const Path& unquotable : {at(u"say \"hi\".cff"), at(u"out.cff\\")}) {
    EXPECT_EQ(PackArchive(unquotable, at(u"tables")).failure, PackerFailure::UnquotableArchivePath) << toUtf8(unquotable);
  }
  EXPECT_EQ(PackArchive(at(u"out.cff"), at(u"missing")).failure, PackerFailure::WorkDirectoryMissing);
  // No packer anywhere on PATH (the fixture puts PATH back).
  setSearchPath(at(u"work"));
  EXPECT_EQ(UnpackArchive(at(u"good.cff"), at(u"work")).failure, PackerFailure::PackerNotStarted);
  EXPECT_EQ(PackArchive(at(u"out.cff"), at(u"tables")).failure, PackerFailure::PackerNotStarted);
#ifndef _WIN32
  // A packer that ends well without writing the archive has not packed it.
  makeDirectory(u"fake");
  const std::string script = "#!/bin/sh\nexit 0\n";
  test::writeFileBytes(at(u"fake/cratework"), Bytes(script.begin(), script.end()));
  std::filesystem::permissions(path(u"fake/cratework"), std::filesystem::perms::owner_all);
  setSearchPath(at(u"fake"));
  EXPECT_EQ(PackArchive(at(u"out.cff"), at(u"tables")).failure, PackerFailure::ArchiveMissing);
#endif
  EXPECT_EQ(currentDirectory(), before);
  EXPECT_TRUE(sortedFiles(at(u"work")).empty()) << "no temp.bin is left behind";
  EXPECT_FALSE(fileExists(at(u"out.cff")));
  EXPECT_FALSE(fileExists(at(u"missing")));
}

// No process has this id: beyond every Linux pid_max, and far beyond the ids
// Windows hands out. Files named after it are a killed run's.
const std::u16string kGoneRun = u".~99999996-1.tmp";

// Asks for the stop a moment after `ready` holds, which it must within a
// few seconds.
class StopWhen {
 public:
  explicit StopWhen(std::function<bool()> ready)
      : thread_([this, ready = std::move(ready)] {
          for (int i = 0; i < 500 && !ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          source_.request_stop();
        }) {}
  std::stop_token token() const { return source_.get_token(); }

 private:
  std::stop_source source_;
  std::jthread thread_;
};

// A stop while the packer works ends it; its recovery run (which removes
// what killed runs left) puts the files back, and the run is Cancelled. An
// unpack whose moves had all been made when it was ended has done its work.
TEST_F(PackerRun, AStopEndsThePackerAndLeavesTheFilesAsTheyWere) {
  enum class Run { Unpack, Pack };
  const struct {
    const char* label;
    Run run;
    bool packerWaitsAfterItsWork;
    PackerFailure result;
  } cases[] = {
      {"unpack stopped before it unpacked", Run::Unpack, false, PackerFailure::Cancelled},
      {"unpack stopped after it unpacked", Run::Unpack, true, PackerFailure::None},
      {"pack stopped before it packed", Run::Pack, false, PackerFailure::Cancelled},
  };
  const Bytes old = hex("6f 6c 64");
  ASSERT_TRUE(PackArchive(at(u"new.cff"), at(u"tables")));
  const Bytes archive = test::readFileBytes(at(u"new.cff"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove_all(path(u"work"));
    makeDirectory(u"work");
    for (const auto& table : kTables) test::writeFileBytes(at(u"work/") + table, old);
    test::writeFileBytes(at(u"work/") + kTables[0] + kGoneRun, hex("01"));
    test::writeFileBytes(at(u"out.cff"), old);
    test::writeFileBytes(at(u"out.cff") + kGoneRun, hex("02"));
    EnvironmentScope waits("SLOW_PACKER_WAITS", c.packerWaitsAfterItsWork ? "after" : "before");
    SearchPathScope slowPacker(slowPackerDirectory());

    PackerResult result;
    if (c.run == Run::Unpack) {
      const Path work = at(u"work");
      // temp.bin is there once the packer is about to start; its moves all
      // count as made once its record is gone.
      StopWhen stop([&] {
        if (!c.packerWaitsAfterItsWork) return fileExists(at(u"work/temp.bin"));
        return fileExists(at(u"work/1000-2000_0_0.zlib")) && listFiles(work, u"*.journal").empty();
      });
      result = UnpackArchive(at(u"new.cff"), work, stop.token());
    } else {
      StopWhen stop([&] { return fileExists(at(u"out.cff.lock")); });
      result = PackArchive(at(u"out.cff"), at(u"work"), stop.token());
    }
    EXPECT_EQ(result.failure, c.result);
    for (int i = 0; i < 3; ++i) {
      const bool unpacked = c.result == PackerFailure::None;
      EXPECT_EQ(test::readFileBytes(at(u"work/") + kTables[i]), unpacked ? tableBytes(i) : old) << i;
    }
    EXPECT_EQ(sortedFiles(at(u"work")), (std::vector<std::u16string>{kTables[0], kTables[1], kTables[2]}));
    EXPECT_EQ(test::readFileBytes(at(u"out.cff")), old);
    EXPECT_EQ(fileExists(at(u"out.cff") + kGoneRun), c.run == Run::Unpack);
  }
}

TEST_F(PackerRun, CommandLineUnpackAndPack) {
  makeDirectory(u"work");
  cli::CliOutput packed;
  ASSERT_EQ(cli::runCli(std::vector<std::u16string>{u"pack", at(u"tables"), at(u"cli.cff")}, packed), 0) << packed.err;
  cli::CliOutput unpacked;
  ASSERT_EQ(cli::runCli(std::vector<std::u16string>{u"unpack", at(u"cli.cff"), at(u"work")}, unpacked), 0)
      << unpacked.err;
  EXPECT_EQ(test::readFileBytes(at(u"work/") + kTables[2]), tableBytes(2));

  cli::CliOutput refused;
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"unpack", at(u"cli.cff"), at(u"missing")}, refused), 1);
  EXPECT_EQ(refused.err, "verbarium-cli: the work directory cannot be entered\n");
  cli::CliOutput usage;
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"pack", at(u"tables")}, usage), 2);
}

}  // namespace
}  // namespace verbarium
