// verbarium-cli update end to end: a real archive unpacked by the real
// packer, an edition on disk, the report and the files afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "cli_app.h"
#include "cratework_commands.h"
#include "platform/file_lock.h"
#include "platform/utf.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::cat;
using test::hex;
using test::utf16le;

// A six-byte-key table: "01 00 00 00 03 00"-style keys with the given first byte.
Bytes table(std::initializer_list<std::pair<std::uint8_t, std::u16string>> entries) {
  Bytes bytes = hex("0a 00 00 00");
  for (const auto& [key, text] : entries) {
    bytes = cat({bytes, Bytes{key, 0, 0, 0, 3, 0}, Bytes{static_cast<std::uint8_t>(text.size()), 0, 0, 0},
                 utf16le(text)});
  }
  return bytes;
}

const std::u16string kA = u"1000-2000_0_0.dat";
const std::u16string kB = u"1000-2001_0_0.dat";
const std::u16string kC = u"1000-2002_0_0.dat";
const Bytes kOldA = table({{1, u"Haus"}, {2, u"Baum"}, {3, u"Path"}});
const Bytes kOldBaselineA = table({{1, u"House"}, {2, u"Tree"}, {3, u"Path"}});
const Bytes kNewA = table({{1, u"House"}, {2, u"Big tree"}, {4, u"Stone"}});
const Bytes kCarriedA = table({{1, u"Haus"}, {2, u"Big tree"}, {4, u"Stone"}});
const Bytes kOldB = table({{1, u"Ja"}});
const Bytes kOldBaselineB = table({{1, u"Yes"}});
const Bytes kNewC = table({{1, u"Fresh"}});

// Every file and directory under the root; directories, and lock files
// (which Windows does not let others read while held), with no bytes.
using Tree = std::map<std::string, Bytes>;
Tree treeOf(const fs::path& root, bool withRestorePoints = true) {
  Tree tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(item.path(), root).generic_string();
    if (!withRestorePoints && name.starts_with("backup")) continue;
    const bool read = item.is_regular_file() && !name.ends_with(".lock");
    tree[name] = read ? test::readFileBytes(fromUtf8(item.path().string())) : Bytes{};
  }
  return tree;
}

class CliUpdate : public ::testing::Test {
 public:
  CliUpdate() {
    fs::create_directories(editionPath());
    write(kA, kOldA);
    write(kA + u".org", kOldBaselineA);
    write(kB, kOldB);
    write(kB + u".org", kOldBaselineB);
    packArchive({{kA, kNewA}, {kC, kNewC}});
  }

  std::u16string edition() const { return root_.file(u"Shadow Wars"); }
  std::u16string inEdition(const std::u16string& name) const { return edition() + u"/" + name; }
  std::u16string archive() const { return root_.file(u"patch 1.4.cff"); }
  void write(const std::u16string& name, const Bytes& bytes) const { test::writeFileBytes(inEdition(name), bytes); }
  Bytes read(const std::u16string& name) const { return test::readFileBytes(inEdition(name)); }
  fs::path editionPath() const { return root_.path() / "Shadow Wars"; }
  Tree editionTree(bool withRestorePoints = true) const { return treeOf(editionPath(), withRestorePoints); }

  void packArchive(std::initializer_list<std::pair<std::u16string, Bytes>> tables) const {
    test::TempDir source;
    for (const auto& [name, bytes] : tables) test::writeFileBytes(source.file(name), bytes);
    cratework::Output output;
    ASSERT_EQ(cratework::packDirectory(source.pathText(), archive(), output), cratework::kExitOk);
  }

  int run(std::vector<std::u16string> args, cli::CliOutput& output) const {
    args.insert(args.begin(), u"update");
    return cli::runCli(args, output);
  }

  test::TempDir root_;
  test::SearchPathScope packerOnPath_{test::packerDirectory()};
};

TEST_F(CliUpdate, ReportsEachTableAndWritesNothingWithoutWrite) {
  const Tree before = editionTree();
  cli::CliOutput output;
  EXPECT_EQ(run({edition(), archive()}, output), 1);
  EXPECT_EQ(output.out,
            "1000-2000_0_0.dat: 1 kept, 1 came back untranslated, 1 new, 1 removed\n"
            "  entry 2, key 020000000300: \"Baum\"\n"
            "1000-2001_0_0.dat: not in the new archive; its files are left as they are\n"
            "1000-2002_0_0.dat: new table of 1 entry; it becomes table and baseline\n"
            "total: 1 kept, 1 came back untranslated, 2 new, 1 removed\n"
            "nothing written: --write replaces the tables and baselines\n");
  EXPECT_EQ(output.err, "verbarium-cli: 1 translation came back untranslated (listed above)\n");
  EXPECT_EQ(editionTree(), before) << "no file changed and no scratch directory is left";
}

TEST_F(CliUpdate, WriteReplacesTablesAndBaselinesAndKeepsTheOldOnesInARestorePoint) {
  cli::CliOutput output;
  EXPECT_EQ(run({edition(), archive(), u"--write"}, output), 1) << output.err;
  EXPECT_EQ(read(kA), kCarriedA);
  EXPECT_EQ(read(kA + u".org"), kNewA);
  EXPECT_EQ(read(kC), kNewC);
  EXPECT_EQ(read(kC + u".org"), kNewC);
  EXPECT_EQ(read(kB), kOldB) << "a table the archive lacks is left alone";
  EXPECT_EQ(read(kB + u".org"), kOldBaselineB);

  const std::string said = "replaced 4 files; the files they replaced are in restore point ";
  const std::size_t at = output.out.find(said);
  ASSERT_NE(at, std::string::npos) << output.out;
  const std::string point = output.out.substr(at + said.size(), 15);
  const Tree after = editionTree();
  EXPECT_EQ(after.at("backup/" + point + "/1000-2000_0_0.dat"), kOldA);
  EXPECT_EQ(after.at("backup/" + point + "/1000-2000_0_0.dat.org"), kOldBaselineA);
  EXPECT_EQ(after.size(), 10u) << "six files, backup, the point and its two files; no scratch directory";

  // Once the baselines are the new archive's, the same update carries everything.
  cli::CliOutput again;
  EXPECT_EQ(run({edition(), archive()}, again), 0) << again.err;
  EXPECT_NE(again.out.find("1000-2000_0_0.dat: 1 kept, 0 came back untranslated, 0 new, 0 removed\n"),
            std::string::npos)
      << again.out;
}

TEST_F(CliUpdate, RefusesAndLeavesTheEditionAsItWas) {
  struct Case {
    const char* name;
    std::function<void(CliUpdate&)> arrange;
    const char* out;  // a line of the report, or nothing
    const char* err;
  };
  std::optional<FileLock> lock;
  const std::vector<Case> cases = {
      {"a table without a baseline", [](CliUpdate& t) { fs::remove(t.editionPath() / "1000-2000_0_0.dat.org"); },
       "1000-2000_0_0.dat: cannot be measured: no baseline (1000-2000_0_0.dat.org)\n",
       "verbarium-cli: 1 table cannot be updated (named above); nothing written\n"},
      {"a table of the archive in no known layout",
       [](CliUpdate& t) { t.packArchive({{kA, kNewA}, {kC, hex("0a 00")}}); },
       "1000-2002_0_0.dat: in the new archive, the table is in no known table layout\n", "1 table cannot be updated"},
      {"a file that is no archive", [](CliUpdate& t) { test::writeFileBytes(t.archive(), kNewA); }, nullptr,
       "cannot unpack the new archive: not an archive (no archive signature)"},
      {"a table another program is writing",
       [&lock](CliUpdate& t) { lock.emplace(FileLock::tryAcquire(t.inEdition(kA))); }, nullptr,
       "is in use by another program; nothing written"},
      // The last file to be moved: every one before it is put back.
      {"a target that cannot be replaced",
       [](CliUpdate& t) { fs::create_directory(t.editionPath() / "1000-2002_0_0.dat.org"); }, nullptr,
       "every file is as it was"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(editionPath());
    fs::create_directories(editionPath());
    write(kA, kOldA);
    write(kA + u".org", kOldBaselineA);
    packArchive({{kA, kNewA}, {kC, kNewC}});
    c.arrange(*this);
    const Tree before = editionTree();
    cli::CliOutput output;
    EXPECT_EQ(run({edition(), archive(), u"--write"}, output), 1);
    if (c.out) {
      EXPECT_NE(output.out.find(c.out), std::string::npos) << output.out;
    }
    EXPECT_NE(output.err.find(c.err), std::string::npos) << output.err;
    EXPECT_EQ(editionTree(false), before) << "only a restore point may have been added";
    lock.reset();
  }

  cli::CliOutput missing;
  EXPECT_EQ(run({root_.file(u"Dragon Storm"), archive()}, missing), 1);
  EXPECT_NE(missing.err.find("no such directory"), std::string::npos);
  for (auto args : {std::vector<std::u16string>{}, {edition()}, {edition(), archive(), u"more"}}) {
    cli::CliOutput usage;
    EXPECT_EQ(run(args, usage), 2);
    EXPECT_NE(usage.err.find("exit 0: every translation carried"), std::string::npos);
  }
}

}  // namespace
}  // namespace verbarium
