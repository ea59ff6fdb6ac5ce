#include <gtest/gtest.h>

#include "archive/work_files.h"
#include "container/table_names.h"

namespace verbarium {
namespace {

TEST(ArchiveContainer, AnArchiveNameIsStricterThanATableFileName) {
  const std::string longest = "1000-2000_0_0" + std::string(51, 'x');
  const struct {
    std::string name;
    bool plain;      // may be an entry of an archive
    bool tableFile;  // counts as a table file of the program
  } cases[] = {
      {"1000-2000_0_0", true, true}, {"1000-2000_0_0 extra-._9", true, true}, {longest, true, true},
      {longest + "x", false, true}, {"1000-2000_0_0/x", false, true}, {"1000-2000_0_0..x", false, true},
      {"1000-2000_0_0.", false, true}, {"1000-2000_0_0 ", false, true}, {"1000-2000_0_", false, false},
      {"1000-2000_0-0", false, false}, {"1000-2000_x_0", false, false}, {"CON", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string name(c.name.begin(), c.name.end());
    EXPECT_EQ(isPlainTableName(c.name), c.plain);
    EXPECT_EQ(IsTableFileName(name), c.tableFile);
    EXPECT_EQ(tableNameOfDatFile(name + u".dat"), c.plain ? c.name : std::string());
    EXPECT_EQ(isUnpackedFileName(c.name + ".zlib"), c.plain);
  }
}

}  // namespace
}  // namespace verbarium
