#include <gtest/gtest.h>

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
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

using namespace test;

const std::u16string kTables[] = {u"1000-2000_0_0.dat", u"1007-2001_1_1.dat", u"2000-0001_4_1.dat"};
const std::vector<std::string> kTableNames = {"1000-2000_0_0.dat", "1007-2001_1_1.dat", "2000-0001_4_1.dat"};

Bytes tableBytes(int which) {
  // Any bytes do for the packer; these have runs, so deflate has work to do.
  Bytes bytes = hex("36 01 00 00");
  for (int i = 0; i < 3000 * (which + 1); ++i) bytes.push_back(static_cast<std::uint8_t>((i * (which + 3)) % 61));
  return bytes;
}

// An archive of one table, "9999-9999_9_9" holding "ABC".
const Bytes kOtherArchive = hex(
    "12 dd 72 dd 01 00 00 00 01 00 00 00  0d 00 00 00 03 00 00 00 0b 00 00 00 48 03 83 a3"
    "39 39 39 39 2d 39 39 39 39 5f 39 5f 39  78 9c 73 74 72 06 00 01 8d 00 c7");

class PackerRun : public ::testing::Test {
 protected:
  PackerRun() {
    makeDirectory(u"tables");
    for (int i = 0; i < 3; ++i) test::writeFileBytes(at(u"tables/" + kTables[i]), tableBytes(i));
    test::writeFileBytes(at(u"tables/1000-2000_0_0.dat.org"), hex("6f 72 67"));
  }

  std::u16string at(const std::u16string& relative) const { return root_.file(relative); }
  std::vector<std::string> namesAt(const std::u16string& relative) const { return namesIn(path(relative)); }
  void makeDirectory(const std::u16string& relative) const { std::filesystem::create_directories(path(relative)); }
  std::filesystem::path path(const std::u16string& relative) const {
    return root_.path() / std::filesystem::path(relative);
  }

  test::TempDir root_;
  test::SearchPathScope packerOnPath_{test::packerDirectory()};
};

// Blanks, characters beyond ASCII and more than 260 characters in the
// archive's and the work directory's paths; a temp.bin an interrupted run
// left, a copy of another archive, is never unpacked; the table-named .zlib
// by-products and temp.bin go, a .zlib of another name stays.
TEST_F(PackerRun, PackThenUnpackElsewhereGivesBackEveryTable) {
  const std::u16string deep = u"saves with blanks/" + std::u16string(120, u'e') + u"/" + std::u16string(120, u'p');
  makeDirectory(deep);
  makeDirectory(u"Übersetzung 翻訳");
  const auto archive = at(deep + u"/テキスト ä.cff");
  ASSERT_GT(archive.size(), 260u);
  const auto work = at(u"Übersetzung 翻訳");
  test::writeFileBytes(work + u"/notes.zlib", hex("01"));
  test::writeFileBytes(work + u"/temp.bin", kOtherArchive);

  const Path before = currentDirectory();
  PackerResult packed = PackArchive(archive, at(u"tables"));
  ASSERT_TRUE(packed) << "packer failure " << static_cast<int>(packed.failure);
  ASSERT_TRUE(HasArchiveSignature(archive));
  PackerResult unpacked = UnpackArchive(archive, work);
  ASSERT_TRUE(unpacked) << "packer failure " << static_cast<int>(unpacked.failure);
  EXPECT_EQ(currentDirectory(), before);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(test::readFileBytes(work + u"/" + kTables[i]), tableBytes(i));
  EXPECT_EQ(namesAt(u"Übersetzung 翻訳"),
            (std::vector<std::string>{"1000-2000_0_0.dat", "1007-2001_1_1.dat", "2000-0001_4_1.dat", "notes.zlib"}));
}

// The baseline setup unpacks into "..\temp" while an edition directory is
// current. Outside the work directory, the names of its files are any
// archive's.
TEST_F(PackerRun, ARelativeWorkDirectoryIsTakenFromTheCurrentDirectory) {
  makeDirectory(u"Shadow Wars");
  makeDirectory(u"temp");
  ASSERT_TRUE(PackArchive(at(u"1000-2000_0_0.dat"), at(u"tables")));
  CurrentDirectoryScope edition(at(u"Shadow Wars"));
  ASSERT_TRUE(edition.entered());
  PackerResult unpacked = UnpackArchive(u"..\\1000-2000_0_0.dat", u"..\\temp");
  ASSERT_TRUE(unpacked) << "packer failure " << static_cast<int>(unpacked.failure);
  EXPECT_EQ(namesAt(u"temp"), kTableNames);
  EXPECT_TRUE(namesAt(u"Shadow Wars").empty());
}

// A run refused before the packer starts, or one the packer fails, changes no
// file and leaves the current directory where it was. The unpack would
// delete temp.bin and write the archive's tables and .zlib by-products, the
// pack's archive would replace one of its tables or be taken for one by the
// next pack: such an archive is refused, under another name too. Neither run
// starts while another writer holds the archive or a table.
TEST_F(PackerRun, ARefusedOrFailedRunChangesNoFile) {
  enum class Run { Unpack, Pack };
  using enum Run;
  using enum PackerFailure;
  ASSERT_TRUE(PackArchive(at(u"good.cff"), at(u"tables")));
  const Bytes good = test::readFileBytes(at(u"good.cff"));
  const std::string script = "#!/bin/sh\nexit 0\n";
  const struct {
    const char* label;
    Run run;
    test::FileTree extra;  // beside tables/, good.cff and work/1000-2000_0_0.dat
    std::u16string archive;
    std::u16string directory;
    PackerFailure failure;
    const char* held = nullptr;        // another writer holds this file
    const char16_t* path = nullptr;    // PATH for the run
    const char* secondName = nullptr;  // the archive is a second name of this file
  } cases[] = {
      {"unpack of no archive", Unpack, {}, u"", u"work", EmptyArchivePath},
      {"pack into no archive", Pack, {}, u"", u"tables", EmptyArchivePath},
      {"unpack of no archive at all", Unpack, {{"zip.cff", hex("50 4b 03 04 00 00")}}, u"zip.cff", u"work", NotAnArchive},
      {"unpack into no directory", Unpack, {}, u"good.cff", u"missing", WorkDirectoryMissing},
      {"pack of no directory", Pack, {}, u"out.cff", u"missing", WorkDirectoryMissing},
      // The pack command line holds the archive path between quotation marks.
      {"pack into a quoted name", Pack, {}, u"say \"hi\".cff", u"tables", UnquotableArchivePath},
      {"pack into a final backslash", Pack, {}, u"out.cff\\", u"tables", UnquotableArchivePath},
      {"unpack of temp.bin", Unpack, {{"work/temp.bin", good}}, u"work/temp.bin", u"work", ArchiveIsWorkFile},
      {"unpack of a .dat", Unpack, {{"work/x.dat", good}}, u"work/x.dat", u"work", ArchiveIsWorkFile},
      {"unpack of a table", Unpack, {{"work/1000-2000_0_1.dat", good}}, u"work/1000-2000_0_1.dat", u"work",
       ArchiveIsWorkFile},
      {"unpack of a .zlib", Unpack, {{"work/1000-2000_0_0.zlib", good}}, u"work/1000-2000_0_0.zlib", u"work",
       ArchiveIsWorkFile},
      {"unpack of a second name of temp.bin", Unpack, {{"work/temp.bin", good}}, u"linked.cff", u"work",
       ArchiveIsWorkFile, nullptr, nullptr, "work/temp.bin"},
      {"pack into a table", Pack, {}, u"tables/" + kTables[0], u"tables", ArchiveIsWorkFile},
      {"pack into a table's name", Pack, {}, u"tables/4000-4000_4_4.dat", u"tables", ArchiveIsWorkFile},
      {"pack into a .dat", Pack, {}, u"tables/NEW.DAT", u"tables", ArchiveIsWorkFile},
      {"pack into a .zlib", Pack, {}, u"tables/NEW.ZLIB", u"tables", ArchiveIsWorkFile},
      {"pack into temp.bin", Pack, {}, u"tables/temp.bin", u"tables", ArchiveIsWorkFile},
      {"unpack over a held table", Unpack, {}, u"good.cff", u"work", FileInUse, "work/1000-2000_0_0.dat"},
      {"pack into a held archive", Pack, {}, u"good.cff", u"tables", FileInUse, "good.cff"},
      // The signature is right, the rest is not.
      {"unpack the packer refuses", Unpack, {{"broken.cff", hex("12 dd 72 dd 01 00 00 00 05 00 00 00 0d 00")}},
       u"broken.cff", u"work", PackerFailed},
      {"pack of no tables over an archive", Pack, {{"kept.cff", hex("12 dd 72 dd")}, {"empty/", {}}}, u"kept.cff",
       u"empty", PackerFailed},
      {"pack of no tables", Pack, {{"empty/", {}}}, u"out.cff", u"empty", PackerFailed},
      {"unpack with no packer", Unpack, {}, u"good.cff", u"work", PackerNotStarted, nullptr, u"work"},
      {"pack with no packer", Pack, {}, u"out.cff", u"tables", PackerNotStarted, nullptr, u"work"},
#ifndef _WIN32
      // A packer that ends well without writing the archive has not packed it.
      {"pack that writes nothing", Pack, {{"fake/cratework", Bytes(script.begin(), script.end())}}, u"out.cff",
       u"tables", ArchiveMissing, nullptr, u"fake"},
#endif
  };
  const Path before = currentDirectory();
  const std::u16string searchPathBefore = searchPath();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove_all(path(u"work"));
    test::layTree(root_.path(), {{"work/1000-2000_0_0.dat", hex("6f 6c 64")}});
    test::layTree(root_.path(), c.extra);
    if (c.extra.contains("fake/cratework")) {
      std::filesystem::permissions(path(u"fake/cratework"), std::filesystem::perms::owner_all);
    }
    if (c.secondName) std::filesystem::create_hard_link(path(fromUtf8(c.secondName)), path(c.archive));
    const FileLock held = c.held ? FileLock::tryAcquire(at(fromUtf8(c.held))) : FileLock();
    const test::FileTree files = test::treeOf(root_.path());
    const Path archive = c.archive.empty() ? Path() : at(c.archive);
    if (c.path) setSearchPath(at(c.path));
    const PackerResult result =
        c.run == Unpack ? UnpackArchive(archive, at(c.directory)) : PackArchive(archive, at(c.directory));
    setSearchPath(searchPathBefore);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.exitCode, c.failure == PackerFailed ? 1 : 0);
    EXPECT_EQ(test::treeOf(root_.path()), files);
    EXPECT_EQ(currentDirectory(), before);
    for (const auto& [name, bytes] : c.extra) std::filesystem::remove_all(path(fromUtf8(name)));
    if (c.secondName) std::filesystem::remove(path(c.archive));
  }
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
    EXPECT_EQ(namesAt(u"work"), kTableNames);
    EXPECT_EQ(test::readFileBytes(at(u"out.cff")), old);
    EXPECT_EQ(fileExists(at(u"out.cff") + kGoneRun), c.run == Run::Unpack);
  }
}

TEST_F(PackerRun, CommandLineUnpackAndPack) {
  makeDirectory(u"work");
  const struct {
    std::vector<std::u16string> args;
    int code;
    std::string err;
  } runs[] = {
      {{u"pack", at(u"tables"), at(u"cli.cff")}, 0, ""},
      {{u"unpack", at(u"cli.cff"), at(u"work")}, 0, ""},
      {{u"unpack", at(u"cli.cff"), at(u"missing")}, 1, "verbarium-cli: the work directory cannot be entered\n"},
  };
  for (const auto& run : runs) {
    cli::CliOutput output;
    EXPECT_EQ(cli::runCli(run.args, output), run.code) << output.err;
    EXPECT_EQ(output.err, run.err);
  }
  EXPECT_EQ(test::readFileBytes(at(u"work/") + kTables[2]), tableBytes(2));
  cli::CliOutput usage;
  EXPECT_EQ(cli::runCli(std::vector<std::u16string>{u"pack", at(u"tables")}, usage), 2);
}

}  // namespace
}  // namespace verbarium
