#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli_app.h"
#include "cratework_commands.h"
#include "platform/file_lock.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::FileTree;
using test::hex;

// A six-byte-key table: "01 00 00 00 03 00"-style keys with the given first byte.
Bytes table(std::initializer_list<std::pair<std::uint8_t, std::u16string>> entries) {
  Bytes bytes = hex("0a 00 00 00");
  for (const auto& [key, text] : entries) {
    bytes = test::cat({bytes, {key, 0, 0, 0, 3, 0, static_cast<std::uint8_t>(text.size()), 0, 0, 0}, test::utf16le(text)});
  }
  return bytes;
}

const std::string kA = "1000-2000_0_0.dat", kB = "1000-2001_0_0.dat", kC = "1000-2002_0_0.dat";
const Bytes kOldA = table({{1, u"Haus"}, {2, u"Baum"}, {3, u"Path"}});
const Bytes kOldBaselineA = table({{1, u"House"}, {2, u"Tree"}, {3, u"Path"}});
const Bytes kNewA = table({{1, u"House"}, {2, u"Big tree"}, {4, u"Stone"}});
const Bytes kNewC = table({{1, u"Fresh"}});
const FileTree kEdition = {{kA, kOldA}, {kA + ".org", kOldBaselineA}, {kB, table({{1, u"Ja"}})}, {kB + ".org", table({{1, u"Yes"}})}};

class CliUpdate : public ::testing::Test {
 public:
  CliUpdate() { lay(kEdition, {{kA, kNewA}, {kC, kNewC}}); }

  void lay(const FileTree& edition, const FileTree& archive) const {
    fs::remove_all(editionPath());
    fs::create_directories(editionPath());
    test::layTree(editionPath(), edition);
    test::TempDir source;
    test::layTree(source.path(), archive);
    cratework::Output output;
    ASSERT_EQ(cratework::packDirectory(source.pathText(), this->archive(), output), cratework::kExitOk);
  }
  std::u16string edition() const { return root_.file(u"Shadow Wars"); }
  std::u16string archive() const { return root_.file(u"patch 1.4.cff"); }
  fs::path editionPath() const { return root_.path() / "Shadow Wars"; }
  // The edition's files; a restore point's only when asked for.
  FileTree files(bool withRestorePoints = true) const {
    FileTree tree = test::treeOf(editionPath());
    if (!withRestorePoints) std::erase_if(tree, [](const auto& item) { return item.first.starts_with("backup"); });
    return tree;
  }
  int run(std::vector<std::u16string> args, cli::CliOutput& output) const {
    args.insert(args.begin(), u"update");
    return cli::runCli(args, output);
  }

  test::TempDir root_;
  test::SearchPathScope packerOnPath_{test::packerDirectory()};
};

TEST_F(CliUpdate, ReportsEachTableAndWritesOnlyWithWriteKeepingTheOldFilesInARestorePoint) {
  const FileTree before = files();
  cli::CliOutput dry, output, again;
  EXPECT_EQ(run({edition(), archive()}, dry), 1);
  EXPECT_EQ(dry.out,
            "1000-2000_0_0.dat: 1 kept, 1 came back untranslated, 1 new, 1 removed\n"
            "  entry 2, key 020000000300: \"Baum\"\n"
            "1000-2001_0_0.dat: not in the new archive; its files are left as they are\n"
            "1000-2002_0_0.dat: new table of 1 entry; it becomes table and baseline\n"
            "total: 1 kept, 1 came back untranslated, 2 new, 1 removed\n"
            "nothing written: --write replaces the tables and baselines\n");
  EXPECT_EQ(dry.err, "verbarium-cli: 1 translation came back untranslated (listed above)\n");
  EXPECT_EQ(files(), before) << "no file changed and no scratch directory is left";
  EXPECT_EQ(run({edition(), archive(), u"--write"}, output), 1) << output.err;
  const std::string said = "replaced 4 files; the files they replaced are in restore point ";
  const std::size_t at = output.out.find(said);
  ASSERT_NE(at, std::string::npos) << output.out;
  const std::string point = "backup/" + output.out.substr(at + said.size(), 15) + "/";
  // A table the archive lacks is left alone.
  EXPECT_EQ(files(), (FileTree{{kA, table({{1, u"Haus"}, {2, u"Big tree"}, {4, u"Stone"}})}, {kA + ".org", kNewA},
                               {kB, kEdition.at(kB)}, {kB + ".org", kEdition.at(kB + ".org")}, {kC, kNewC},
                               {kC + ".org", kNewC}, {"backup/", {}}, {point, {}}, {point + kA, kOldA},
                               {point + kA + ".org", kOldBaselineA}}));
  // Once the baselines are the new archive's, the same update carries everything.
  EXPECT_EQ(run({edition(), archive()}, again), 0) << again.err;
  EXPECT_NE(again.out.find(kA + ": 1 kept, 0 came back untranslated, 0 new, 0 removed\n"), std::string::npos) << again.out;
}

TEST_F(CliUpdate, RefusesAndLeavesTheEditionAsItWas) {
  std::optional<FileLock> lock;
  const FileTree withoutBaseline = {{kA, kOldA}}, withBaseline = {{kA, kOldA}, {kA + ".org", kOldBaselineA}};
  const FileTree fresh = {{kA, kNewA}, {kC, kNewC}};
  const struct {
    const char* name;
    FileTree edition, archive;
    std::function<void(CliUpdate&)> arrange;
    const char* out;  // a line of the report, or nothing
    const char* err;
  } cases[] = {
      {"a table without a baseline", withoutBaseline, fresh, {},
       "1000-2000_0_0.dat: cannot be measured: no baseline (1000-2000_0_0.dat.org)\n",
       "verbarium-cli: 1 table cannot be updated (named above); nothing written\n"},
      {"a table of the archive in no known layout", withBaseline, {{kA, kNewA}, {kC, hex("0a 00")}}, {},
       "1000-2002_0_0.dat: in the new archive, the table is in no known table layout\n", "1 table cannot be updated"},
      {"a file that is no archive", withBaseline, fresh, [](CliUpdate& t) { test::writeFileBytes(t.archive(), kNewA); }, nullptr,
       "cannot unpack the new archive: not an archive (no archive signature)"},
      {"an archive of no tables", withBaseline, fresh,
       [](CliUpdate& t) { test::writeFileBytes(t.archive(), hex("12 dd 72 dd 01 00 00 00 00 00 00 00")); }, nullptr, "no tables in"},
      {"a table another program is writing", withBaseline, fresh,
       [&lock](CliUpdate& t) { lock.emplace(FileLock::tryAcquire(t.edition() + u"/1000-2000_0_0.dat")); }, nullptr,
       "is in use by another program; nothing written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lay(c.edition, c.archive);
    if (c.arrange) c.arrange(*this);
    const FileTree before = files();
    cli::CliOutput output;
    EXPECT_EQ(run({edition(), archive(), u"--write"}, output), 1);
    if (c.out) { EXPECT_NE(output.out.find(c.out), std::string::npos) << output.out; }
    EXPECT_NE(output.err.find(c.err), std::string::npos) << output.err;
    EXPECT_EQ(files(false), before) << "only a restore point may have been added";
    lock.reset();
  }
  cli::CliOutput missing, usage;
  EXPECT_EQ(run({root_.file(u"Dragon Storm"), archive()}, missing), 1);
  EXPECT_NE(missing.err.find("no such directory"), std::string::npos);
  EXPECT_EQ(run({edition()}, usage), 2);
  EXPECT_NE(usage.err.find("exit 0: every translation carried"), std::string::npos);
}

}  // namespace
}  // namespace verbarium
