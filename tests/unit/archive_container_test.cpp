#include <gtest/gtest.h>

#include <tuple>

#include "archive/work_files.h"
#include "container/table_names.h"

namespace verbarium {
namespace {

TEST(ArchiveContainer, AnArchiveNameIsStricterThanATableFileName) {
  const std::string longest = "1000-2000_0_0" + std::string(51, 'x');
  // A name; whether it may be an entry of an archive; whether it counts as a
  // table file of the program.
  const std::tuple<std::string, bool, bool> cases[] = {
      {"1000-2000_0_0", true, true}, {"1000-2000_0_0 extra-._9", true, true}, {longest, true, true},
      {longest + "x", false, true}, {"1000-2000_0_0/x", false, true}, {"1000-2000_0_0..x", false, true},
      {"1000-2000_0_0.", false, true}, {"1000-2000_0_0 ", false, true}, {"1000-2000_0_", false, false},
      {"1000-2000_0-0", false, false}, {"1000-2000_x_0", false, false}, {"CON", false, false},
  };
  for (const auto& [name, plain, tableFile] : cases) {
    SCOPED_TRACE(name);
    const std::u16string wide(name.begin(), name.end());
    EXPECT_EQ(isPlainTableName(name), plain);
    EXPECT_EQ(IsTableFileName(wide), tableFile);
    EXPECT_EQ(tableNameOfDatFile(wide + u".dat"), plain ? name : std::string());
    EXPECT_EQ(isUnpackedFileName(name + ".zlib"), plain);
  }
}

}  // namespace
}  // namespace verbarium
