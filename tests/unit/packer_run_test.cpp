#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "archive/current_directory_scope.h"
#include "archive/packer.h"
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

namespace fs = std::filesystem;
using namespace test;

const FileTree kTables = {{"1000-2000_0_0.dat", Bytes(3000, 0x36)}, {"1007-2001_1_1.dat", hex("36 01 00 00")},
                          {"2000-0001_4_1.dat", Bytes(9000, 0x01)}};

class PackerRun : public ::testing::Test {
 protected:
  PackerRun() {
    layTree(path(u"tables"), kTables);
    layTree(path(u"tables"), {{"1000-2000_0_0.dat.org", hex("6f 72 67")}});
  }
  Path at(const std::u16string& relative) const { return root_.file(relative); }
  fs::path path(const std::u16string& relative) const { return root_.path() / fs::path(relative); }

  TempDir root_;
  SearchPathScope packerOnPath_{packerDirectory()};
};

// Through the command line (pack DIR ARCHIVE, unpack ARCHIVE DIR): blanks,
// characters beyond ASCII and more than 260 characters in the paths, and a
// work directory relative to the current one, as the baseline setup gives
// "..\temp". Outside the work directory an archive may have a table's
// extension. A temp.bin an interrupted run left is never unpacked; the table-named .zlib by-products and temp.bin go, a
// .zlib of another name stays.
TEST_F(PackerRun, PackThenUnpackElsewhereGivesBackEveryTable) {
  const std::u16string deep = std::u16string(120, u'e') + u"/" + std::u16string(120, u'p');
  layTree(root_.path(), {{"saves with blanks/" + toUtf8(deep) + "/", {}},
                         {"Übersetzung 翻訳/notes.zlib", hex("01")}, {"Übersetzung 翻訳/temp.bin", hex("12 dd 72 dd")}});
  const Path archive = at(u"saves with blanks/" + deep + u"/テキスト ä.dat");
  ASSERT_GT(archive.size(), 260u);
  const Path before = currentDirectory();
  cli::CliOutput output;
  ASSERT_EQ(cli::runCli(std::vector<std::u16string>{u"pack", at(u"tables"), archive}, output), 0) << output.err;
  {
    CurrentDirectoryScope saves(at(u"saves with blanks"));
    ASSERT_TRUE(saves.entered());
    const std::vector<std::u16string> unpack = {u"unpack", archive, u"..\\Übersetzung 翻訳"};
    ASSERT_EQ(cli::runCli(unpack, output), 0) << output.err;
  }
  EXPECT_EQ(currentDirectory(), before);
  FileTree unpacked = kTables;
  unpacked["notes.zlib"] = hex("01");
  EXPECT_EQ(treeOf(path(u"Übersetzung 翻訳")), unpacked);
  EXPECT_EQ(listDirectories(at(u"saves with blanks")), std::vector<Path>{std::u16string(120, u'e')});
  EXPECT_TRUE(listFiles(at(u"saves with blanks"), u"*").empty());
}

// A run refused before the packer starts, or one the packer fails, changes no
// file and leaves the current directory where it was. The unpack would
// delete temp.bin and write .dat and .zlib files, the pack's archive would
// replace one of its tables or be taken for one by the next pack: such an
// archive is refused, under another name too. Neither run starts while
// another writer holds the archive or a table.
TEST_F(PackerRun, ARefusedOrFailedRunChangesNoFile) {
  constexpr bool Unpack = false, Pack = true;
  using enum PackerFailure;
  ASSERT_TRUE(PackArchive(at(u"good.cff"), at(u"tables")));
  // The broken archive has the signature, and nothing right after it.
  layTree(root_.path(), {{"zip.cff", hex("50 4b 03 04 00 00")}, {"empty/", {}},
                         {"broken.cff", hex("12 dd 72 dd 01 00 00 00 05 00 00 00 0d 00")},
                         {"fake/cratework", hex("23 21 2f 62 69 6e 2f 73 68 0a 65 78 69 74 20 30 0a")}});
  // A packer ("#!/bin/sh", "exit 0") that ends well without writing the
  // archive has not packed it.
  fs::permissions(path(u"fake/cratework"), fs::perms::owner_all);
  const struct {
    const char* label;
    bool pack;
    std::u16string archive;
    std::u16string directory;
    PackerFailure failure;
    const char* held = nullptr;        // another writer holds this file
    const char16_t* path = nullptr;    // PATH for the run
    const char* secondName = nullptr;  // the archive is a second name of this file, a copy of good.cff
  } cases[] = {
      {"pack into no archive", Pack, u"", u"tables", EmptyArchivePath},
      {"unpack of a zip file", Unpack, u"zip.cff", u"work", NotAnArchive},
      {"unpack into no directory", Unpack, u"good.cff", u"missing", WorkDirectoryMissing},
      // The pack command line holds the archive path between quotation marks.
      {"pack into a quoted name", Pack, u"say \"hi\".cff", u"tables", UnquotableArchivePath},
      {"pack into a final backslash", Pack, u"out.cff\\", u"tables", UnquotableArchivePath},
      {"unpack of a second name of temp.bin", Unpack, u"linked.cff", u"work", ArchiveIsWorkFile, nullptr, nullptr,
       "work/temp.bin"},
      {"pack into a .dat", Pack, u"tables/NEW.DAT", u"tables", ArchiveIsWorkFile},
      {"pack into a .zlib", Pack, u"tables/NEW.ZLIB", u"tables", ArchiveIsWorkFile},
      {"pack into temp.bin", Pack, u"tables/temp.bin", u"tables", ArchiveIsWorkFile},
      {"unpack over a held table", Unpack, u"good.cff", u"work", FileInUse, "work/1000-2000_0_0.dat"},
      {"pack into a held archive", Pack, u"good.cff", u"tables", FileInUse, "good.cff"},
      {"unpack the packer refuses", Unpack, u"broken.cff", u"work", PackerFailed},
      {"pack of no tables over an archive", Pack, u"good.cff", u"empty", PackerFailed},
      {"unpack with no packer", Unpack, u"good.cff", u"work", PackerNotStarted, nullptr, u"work"},
#ifndef _WIN32
      {"pack that writes nothing", Pack, u"out.cff", u"tables", ArchiveMissing, nullptr, u"fake"},
#endif
  };
  const Path before = currentDirectory();
  const std::u16string searchPathBefore = searchPath();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(path(u"work"));
    fs::remove(path(u"linked.cff"));
    layTree(root_.path(), {{"work/1000-2000_0_0.dat", hex("6f 6c 64")}});
    if (c.secondName) fs::copy_file(path(u"good.cff"), path(fromUtf8(c.secondName)));
    if (c.secondName) fs::create_hard_link(path(fromUtf8(c.secondName)), path(c.archive));
    const FileLock held = c.held ? FileLock::tryAcquire(at(fromUtf8(c.held))) : FileLock();
    const FileTree files = treeOf(root_.path());
    if (c.path) setSearchPath(at(c.path));
    const Path archive = c.archive.empty() ? Path() : at(c.archive);
    const PackerResult result =
        c.pack ? PackArchive(archive, at(c.directory)) : UnpackArchive(archive, at(c.directory));
    setSearchPath(searchPathBefore);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.exitCode, c.failure == PackerFailed ? 1 : 0);
    EXPECT_EQ(treeOf(root_.path()), files);
    EXPECT_EQ(currentDirectory(), before);
  }
}

// A stop while the packer works ends it; its recovery run (which removes
// what killed runs left) puts the files back, and the run is Cancelled. An
// unpack whose moves had all been made when it was ended has done its work.
TEST_F(PackerRun, AStopEndsThePackerAndLeavesTheFilesAsTheyWere) {
  // No process has this id: files named after it are a killed run's.
  const std::u16string killedRun = u".~99999996-1.tmp";
  const struct {
    const char* label;
    bool unpack;
    bool packerWaitsAfterItsWork;
    PackerFailure result;
  } cases[] = {
      {"unpack stopped before it unpacked", true, false, PackerFailure::Cancelled},
      {"unpack stopped after it unpacked", true, true, PackerFailure::None},
      {"pack stopped before it packed", false, false, PackerFailure::Cancelled},
  };
  ASSERT_TRUE(PackArchive(at(u"new.cff"), at(u"tables")));
  FileTree old;
  for (const auto& [name, bytes] : kTables) old[name] = hex("6f 6c 64");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(path(u"work"));
    layTree(path(u"work"), old);
    writeFileBytes(at(u"work/1000-2000_0_0.dat") + killedRun, hex("01"));
    writeFileBytes(at(u"out.cff"), hex("6f 6c 64"));
    writeFileBytes(at(u"out.cff") + killedRun, hex("02"));
    EnvironmentScope waits("SLOW_PACKER_WAITS", c.packerWaitsAfterItsWork ? "after" : "before");
    SearchPathScope slowPacker(slowPackerDirectory());
    // The stop comes a moment after the packer is about to start (the
    // unpack's temp.bin is there, the pack holds its lock), or after an
    // unpack's moves all count as made (its record is gone).
    std::stop_source stop;
    std::jthread stopper([&] {
      const auto ready = [&] {
        if (!c.unpack) return fileExists(at(u"out.cff.lock"));
        if (!c.packerWaitsAfterItsWork) return fileExists(at(u"work/temp.bin"));
        return fileExists(at(u"work/1000-2000_0_0.zlib")) && listFiles(at(u"work"), u"*.journal").empty();
      };
      for (int i = 0; i < 500 && !ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      stop.request_stop();
    });
    const PackerResult result = c.unpack ? UnpackArchive(at(u"new.cff"), at(u"work"), stop.get_token())
                                         : PackArchive(at(u"out.cff"), at(u"work"), stop.get_token());
    stopper.join();
    EXPECT_EQ(result.failure, c.result);
    EXPECT_EQ(treeOf(path(u"work")), c.result == PackerFailure::None ? kTables : old);
    EXPECT_EQ(readFileBytes(at(u"out.cff")), hex("6f 6c 64"));
    EXPECT_EQ(fileExists(at(u"out.cff") + killedRun), c.unpack);
  }
}

}  // namespace
}  // namespace verbarium
