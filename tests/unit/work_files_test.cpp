#include <gtest/gtest.h>

#include <algorithm>

#include "prompts/archive_prompts.h"
#include "archive/current_directory_scope.h"
#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/windows_path.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

using test::hex;

std::vector<std::u16string> sortedFiles(const std::u16string& directory) {
  auto names = listFiles(directory, u"*");
  std::sort(names.begin(), names.end());
  return names;
}

TEST(TableFileName, FollowsTheThirteenCharacterPattern) {
  const struct {
    std::u16string_view name;
    bool isTable;
  } cases[] = {
      {u"1000-2000_0_0", true},
      {u"1000-2000_0_0.dat", true},
      {u"0000-0000_0_0.zlib", true},
      {u"9999-9999_9_9 anything at all", true},
      {u"1000-2000_0_", false},          // 12 characters
      {u"", false},
      {u"100-20000_0_0", false},          // hyphen one place early
      {u"1000_2000_0_0", false},          // underscore for the hyphen
      {u"1000-2000-0_0", false},          // hyphen for the first underscore
      {u"1000-2000_0-0", false},          // hyphen for the second underscore
      {u"1000-2000_x_0.dat", false},      // letter for a digit
      {u"a000-2000_0_0.dat", false},
      {u"1000-2000_0_a.dat", false},      // the last position is a digit too
      {u" 1000-2000_0_0", false},
      {u"temp.bin", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTableFileName(c.name), c.isTable) << std::string(c.name.begin(), c.name.end());
  }
}

TEST(JoinPath, PutsExactlyOneBackslashBeforeTheName) {
  EXPECT_EQ(JoinPath(u"C:\\game\\temp", u"temp.bin"), u"C:\\game\\temp\\temp.bin");
  EXPECT_EQ(JoinPath(u"C:\\game\\temp\\", u"temp.bin"), u"C:\\game\\temp\\temp.bin");
  EXPECT_EQ(JoinPath(u"..\\temp", u"x.dat"), u"..\\temp\\x.dat");
  // The program directory at a drive's root.
  EXPECT_EQ(JoinPath(u"E:\\", u"Shadow Wars"), u"E:\\Shadow Wars");
  // An empty directory is the current one, not the root of the drive.
  EXPECT_EQ(JoinPath(u"", u"temp.bin"), u"temp.bin");
}

TEST(DirectoryOfFile, KeepsTheBackslashOfARoot) {
  const struct {
    std::u16string_view file;
    std::u16string_view directory;
  } cases[] = {
      {u"E:\\Verbarium.exe", u"E:\\"},  // "E:" would be the drive's current directory
      {u"C:\\a\\b.exe", u"C:\\a"},
      {u"C:\\a\\b\\c.exe", u"C:\\a\\b"},
      {u"\\\\?\\C:\\x.exe", u"\\\\?\\C:\\"},
      {u"\\\\?\\C:\\a\\x.exe", u"\\\\?\\C:\\a"},
      {u"\\\\server\\share\\x.exe", u"\\\\server\\share\\"},
      {u"\\\\server\\share\\a\\x.exe", u"\\\\server\\share\\a"},
      {u"\\\\?\\UNC\\server\\share\\x.exe", u"\\\\?\\UNC\\server\\share\\"},
      {u"Z:/home/x.exe", u"Z:/home"},
      {u"\\x.exe", u"\\"},
      {u"x.exe", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(directoryOfFile(c.file), c.directory) << std::string(c.file.begin(), c.file.end());
  }
}

TEST(ArchiveSignature, OnlyTheFourSignatureBytesCount) {
  test::TempDir dir;
  const struct {
    const char* label;
    const char* bytes;
    bool isArchive;
  } cases[] = {
      {"signature alone", "12 dd 72 dd", true},
      {"signature and more", "12 dd 72 dd 01 00 00 00 00 00 00 00", true},
      {"three bytes of it", "12 dd 72", false},
      {"empty", "", false},
      {"last byte differs", "12 dd 72 dc 01 00", false},
      {"big-endian order", "dd 72 dd 12 01 00", false},
  };
  for (const auto& c : cases) {
    const auto path = dir.file(u"archive.cff");
    test::writeFileBytes(path, hex(c.bytes));
    EXPECT_EQ(HasArchiveSignature(path), c.isArchive) << c.label;
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
  EXPECT_EQ(sortedFiles(dir.pathText()),
            (std::vector<std::u16string>{u"1000-2000_0_0.dat", u"1000-2000_0_0.zlib.keep", u"notes.zlib"}));
}

TEST(CurrentDirectoryScope, ComesBackAndTellsWhetherItEntered) {
  test::TempDir dir;
  const Path before = currentDirectory();
  {
    CurrentDirectoryScope scope(dir.pathText());
    EXPECT_TRUE(scope.entered());
    EXPECT_TRUE(isSameFile(currentDirectory(), dir.pathText()));
    EXPECT_EQ(scope.previous(), before);
  }
  EXPECT_EQ(currentDirectory(), before);
  {
    CurrentDirectoryScope scope(dir.file(u"missing"));
    EXPECT_FALSE(scope.entered());
    EXPECT_EQ(currentDirectory(), before);
  }
  EXPECT_EQ(currentDirectory(), before);
}

TEST(ArchivePrompts, OfferArchivesAndKeepTheCurrentDirectory) {
  test::TempDir dir;
  const Path before = currentDirectory();
  test::ScriptedInteraction person;
  // A real dialog may leave the process in the directory the person browsed to.
  person.duringPrompt = [&] { setCurrentDirectory(dir.pathText()); };
  person.chosenPaths = {u"C:\\saves\\text.cff", u""};

  EXPECT_EQ(PromptOpenPath(person, ArchiveFileFilter()), u"C:\\saves\\text.cff");
  EXPECT_EQ(currentDirectory(), before);
  EXPECT_EQ(PromptSavePath(person, ArchiveFileFilter()), u"");
  EXPECT_EQ(currentDirectory(), before);

  ASSERT_EQ(person.prompts.size(), 2u);
  EXPECT_EQ(person.prompts[0].kind, test::PromptKind::Open);
  EXPECT_EQ(person.prompts[1].kind, test::PromptKind::Save);
  const FileFilter expected = {{u"SpellForce 2 cff ファイル (*.cff)", u"*.cff"}, {u"すべてのファイル (*.*)", u"*.*"}};
  for (const auto& prompt : person.prompts) {
    EXPECT_EQ(prompt.filter, expected);
    EXPECT_EQ(prompt.defaultExtension, u"cff");
  }
}

}  // namespace
}  // namespace verbarium
