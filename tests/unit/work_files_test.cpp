#include <gtest/gtest.h>

#include "prompts/archive_prompts.h"
#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/windows_path.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

// Exactly one backslash between a directory and a name; an empty directory
// is the current one, not the root of the drive.
TEST(JoinPath, PutsExactlyOneBackslashBeforeTheName) {
  const struct {
    std::u16string_view directory, name, joined;
  } cases[] = {
      {u"C:\\game\\temp", u"temp.bin", u"C:\\game\\temp\\temp.bin"},
      {u"C:\\game\\temp\\", u"temp.bin", u"C:\\game\\temp\\temp.bin"},
      {u"", u"temp.bin", u"temp.bin"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.directory, c.name), c.joined);
}

// "E:" alone would be the drive's current directory.
TEST(DirectoryOfFile, KeepsTheBackslashOfARoot) {
  const struct {
    std::u16string_view file, directory;
  } cases[] = {
      {u"E:\\Verbarium.exe", u"E:\\"}, {u"C:\\a\\b.exe", u"C:\\a"}, {u"\\\\?\\C:\\x.exe", u"\\\\?\\C:\\"},
      {u"\\\\server\\share\\x.exe", u"\\\\server\\share\\"}, {u"\\\\server\\share\\a\\x.exe", u"\\\\server\\share\\a"},
      {u"\\\\?\\UNC\\server\\share\\x.exe", u"\\\\?\\UNC\\server\\share\\"},
      {u"Z:/home/x.exe", u"Z:/home"}, {u"\\x.exe", u"\\"}, {u"x.exe", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(directoryOfFile(c.file), c.directory) << std::string(c.file.begin(), c.file.end());
  }
}

// A real dialog may leave the process in the directory the person browsed
// to; the packer runs take relative work directories from the current one.
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
