#include <gtest/gtest.h>

#include "prompts/archive_prompts.h"
#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/windows_path.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

// "E:" alone would be the drive's current directory; joining puts exactly
// one backslash back between the directory and the name, and none before a
// name in the current directory.
TEST(DirectoryOfFile, KeepsTheBackslashOfARootAndJoinsBackToTheFile) {
  const struct {
    std::u16string_view file, directory;
  } cases[] = {
      {u"E:\\Verbarium.exe", u"E:\\"}, {u"C:\\a\\b.exe", u"C:\\a"}, {u"\\\\?\\C:\\x.exe", u"\\\\?\\C:\\"},
      {u"\\\\server\\share\\x.exe", u"\\\\server\\share\\"}, {u"\\\\server\\share\\a\\x.exe", u"\\\\server\\share\\a"},
      {u"\\\\?\\UNC\\server\\share\\x.exe", u"\\\\?\\UNC\\server\\share\\"},
      {u"Z:/home/x.exe", u"Z:/home"}, {u"\\x.exe", u"\\"}, {u"x.exe", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    EXPECT_EQ(directoryOfFile(c.file), c.directory);
    const std::size_t separator = c.file.find_last_of(u"\\/");
    const std::u16string_view name = c.file.substr(separator == c.file.npos ? 0 : separator + 1);
    if (c.file.find(u'/') != c.file.npos) continue;
    EXPECT_EQ(JoinPath(c.directory, name), c.file);
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
  for (const auto& prompt : person.prompts) EXPECT_EQ(prompt.defaultExtension, u"cff");
}

}  // namespace
}  // namespace verbarium
