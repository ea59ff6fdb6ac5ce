#include <gtest/gtest.h>

#include "prompts/archive_prompts.h"
#include "archive/current_directory_scope.h"
#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/windows_path.h"
#include "support/file_tree.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::hex;

TEST(TableFileName, FollowsTheThirteenCharacterPattern) {
  const struct {
    std::u16string_view name;
    bool isTable;
  } cases[] = {
      {u"1000-2000_0_0", true}, {u"1000-2000_0_0.dat", true}, {u"0000-0000_0_0.zlib", true},
      {u"9999-9999_9_9 anything at all", true}, {u"1000-2000_0_", false}, {u"", false},
      {u"100-20000_0_0", false}, {u"1000_2000_0_0", false}, {u"1000-2000-0_0", false}, {u"1000-2000_0-0", false},
      {u"1000-2000_x_0.dat", false}, {u"a000-2000_0_0.dat", false}, {u"1000-2000_0_a.dat", false},
      {u" 1000-2000_0_0", false}, {u"temp.bin", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTableFileName(c.name), c.isTable) << std::string(c.name.begin(), c.name.end());
  }
}

// Exactly one backslash between a directory and a name; an empty directory
// is the current one, not the root of the drive.
TEST(JoinPath, PutsExactlyOneBackslashBeforeTheName) {
  const struct {
    std::u16string_view directory, name, joined;
  } cases[] = {
      {u"C:\\game\\temp", u"temp.bin", u"C:\\game\\temp\\temp.bin"},
      {u"C:\\game\\temp\\", u"temp.bin", u"C:\\game\\temp\\temp.bin"},
      {u"..\\temp", u"x.dat", u"..\\temp\\x.dat"},
      {u"E:\\", u"Shadow Wars", u"E:\\Shadow Wars"},
      {u"", u"temp.bin", u"temp.bin"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.directory, c.name), c.joined);
}

// "E:" alone would be the drive's current directory.
TEST(DirectoryOfFile, KeepsTheBackslashOfARoot) {
  const struct {
    std::u16string_view file, directory;
  } cases[] = {
      {u"E:\\Verbarium.exe", u"E:\\"}, {u"C:\\a\\b.exe", u"C:\\a"}, {u"C:\\a\\b\\c.exe", u"C:\\a\\b"},
      {u"\\\\?\\C:\\x.exe", u"\\\\?\\C:\\"}, {u"\\\\?\\C:\\a\\x.exe", u"\\\\?\\C:\\a"},
      {u"\\\\server\\share\\x.exe", u"\\\\server\\share\\"},
      {u"\\\\server\\share\\a\\x.exe", u"\\\\server\\share\\a"},
      {u"\\\\?\\UNC\\server\\share\\x.exe", u"\\\\?\\UNC\\server\\share\\"},
      {u"Z:/home/x.exe", u"Z:/home"}, {u"\\x.exe", u"\\"}, {u"x.exe", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(directoryOfFile(c.file), c.directory) << std::string(c.file.begin(), c.file.end());
  }
}

TEST(ArchiveSignature, OnlyTheFourSignatureBytesCount) {
  test::TempDir dir;
  const struct {
    const char* bytes;
    bool isArchive;
  } cases[] = {
      {"12 dd 72 dd", true}, {"12 dd 72 dd 01 00 00 00 00 00 00 00", true}, {"12 dd 72", false}, {"", false},
      {"12 dd 72 dc 01 00", false}, {"dd 72 dd 12 01 00", false},
  };
  for (const auto& c : cases) {
    test::writeFileBytes(dir.file(u"archive.cff"), hex(c.bytes));
    EXPECT_EQ(HasArchiveSignature(dir.file(u"archive.cff")), c.isArchive) << c.bytes;
  }
  EXPECT_FALSE(HasArchiveSignature(dir.file(u"missing.cff")));
  EXPECT_FALSE(HasArchiveSignature(dir.pathText()));
}

TEST(UnpackLeftovers, TableNamedZlibAndTempBinGoOthersStay) {
  test::TempDir dir;
  for (const auto* name : {u"1000-2000_0_0.zlib", u"1000-2000_0_0 old.zlib", u"1000-2000_0_0.dat", u"notes.zlib",
                           u"1000-2000_0_0.zlib.keep", u"temp.bin"}) {
    test::writeFileBytes(dir.file(name), hex("00"));
  }
  RemoveUnpackLeftovers(dir.pathText());
  EXPECT_EQ(test::namesIn(dir.path()),
            (std::vector<std::string>{"1000-2000_0_0.dat", "1000-2000_0_0.zlib.keep", "notes.zlib"}));
}

TEST(CurrentDirectoryScope, ComesBackAndTellsWhetherItEntered) {
  test::TempDir dir;
  const Path before = currentDirectory();
  for (const Path& target : {dir.pathText(), dir.file(u"missing")}) {
    {
      CurrentDirectoryScope scope(target);
      EXPECT_EQ(scope.entered(), target == dir.pathText());
      EXPECT_TRUE(isSameFile(currentDirectory(), scope.entered() ? dir.pathText() : before));
      EXPECT_EQ(scope.previous(), before);
    }
    EXPECT_EQ(currentDirectory(), before);
  }
}

// A real dialog may leave the process in the directory the person browsed to.
TEST(ArchivePrompts, OfferArchivesAndKeepTheCurrentDirectory) {
  test::TempDir dir;
  const Path before = currentDirectory();
  test::ScriptedInteraction person;
  person.duringPrompt = [&] { setCurrentDirectory(dir.pathText()); };
  person.chosenPaths = {u"C:\\saves\\text.cff", u""};
  EXPECT_EQ(PromptOpenPath(person, ArchiveFileFilter()), u"C:\\saves\\text.cff");
  EXPECT_EQ(currentDirectory(), before);
  EXPECT_EQ(PromptSavePath(person, ArchiveFileFilter()), u"");
  EXPECT_EQ(currentDirectory(), before);
  ASSERT_EQ(person.prompts.size(), 2u);
  EXPECT_EQ(person.prompts[0].kind, test::PromptKind::Open);
  EXPECT_EQ(person.prompts[1].kind, test::PromptKind::Save);
  for (const auto& prompt : person.prompts) EXPECT_EQ(prompt.defaultExtension, u"cff");
}

}  // namespace
}  // namespace verbarium
