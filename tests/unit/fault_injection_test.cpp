// Every operation that changes a translator's files, run once per file
// operation it makes, with that operation failing: afterwards every file is
// its old or its new version, whole; what reports success left the new ones;
// and nothing else is left behind but the file whose removal was the very
// operation that failed (the next run of another process removes it).

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

#include "archive/restore_point.h"
#include "baseline/baseline_files.h"
#include "cli_app.h"
#include "cratework_commands.h"
#include "editor/entry_list_model.h"
#include "formats/exchange_table.h"
#include "platform/fault_injection.h"
#include "settings/app_settings.h"
#include "workbench/edition_update.h"
#include "support/file_tree.h"
#include "support/packer_on_path.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using test::Bytes;
using test::FileTree;
using Dir = test::TempDir;

// The archive of three tables the unpack and the update cases read, outside
// the directory they check.
Path gArchive;
const Bytes kOld = test::sixByteTable({u"Haus", u"Baum"});
const Bytes kNew = test::sixByteTable({u"House", u"Tree"});
const LocalTime kNow{2026, 12, 6, 16, 30, 0};

struct FaultCase {
  const char* name;
  FileTree before;
  // Runs the operation in the directory; true when it reports success.
  std::function<bool(const Dir&)> run;
  // Every file changes, or none does.
  bool allOrNothing = false;
  // The next run in that place, for an operation that leaves a record of
  // what it was doing to be completed or undone.
  std::function<void(const Dir&)> nextRun = nullptr;
  // What may or may not be there afterwards (a backup made on the way).
  std::set<std::string> optional = {};
};

// A table that could not be opened lists nothing.
bool editTable(EntryListModel& model, const Dir& d) {
  if (model.openTables(d.file(u"t.dat"), nullptr) != EntryListModel::OpenResult::Opened) return false;
  if (model.entryCount() != 2) return false;
  model.setEntryText(0, u"House");
  model.setEntryText(1, u"Tree");
  (void)model.markModified();
  return true;
}

int pack(const Path& work, const Path& archive) {
  cratework::Output output;
  return cratework::packDirectory(work, archive, output);
}

std::vector<FaultCase> cases() {
  const Bytes texts = test::cat({test::hex("ff fe"), test::utf16le(u"House\r\nTree\r\n")});
  return {
      {"import", {{"t.dat", kOld}, {"t.dat.txt", texts}},
       [](const Dir& d) { return importTable(d.file(u"t.dat"), d.file(u"t.dat.txt")).changedTable(); }},
      {"export", {{"t.dat", kOld}, {"t.dat.txt", texts}},
       [](const Dir& d) { return exportTable(d.file(u"t.dat"), d.file(u"t.dat.txt")) == ExportResult::Written; }},
      {"rewrite", {{"in.dat", kNew}, {"t.dat", kOld}},
       [](const Dir& d) {
         cli::CliOutput out;
         return cli::runCli(std::vector<std::u16string>{u"rewrite", d.file(u"in.dat"), d.file(u"t.dat")}, out) == 0;
       }},
      {"save", {{"t.dat", kOld}},
       [](const Dir& d) {
         EntryListModel model;
         return editTable(model, d) && model.saveTable(nullptr) == EntryListModel::SaveResult::Saved;
       },
       false, nullptr, {"t.dat.bak"}},
      {"cancel", {{"t.dat", kOld}},
       [](const Dir& d) {
         EntryListModel model;
         return editTable(model, d) && model.dumpCanceled();
       }},
#ifndef _WIN32
      // On Windows the profile functions write key by key. Another program's
      // section stays: a file that cannot be read is never written over.
      {"settings", {{"Verbarium.ini", test::cat({test::hex("ff fe"), test::utf16le(u"[Other]\r\nkept=1\r\n")})}},
       [](const Dir& d) {
         AppSettings settings;
         settings.columnWidths = {40, 200, 200, 10};
         settings.keywordHistory = {u"\u691c\u7d22", u"Drache"};
         return writeSettings(settings, d.file(u"Verbarium.ini"));
       }},
#endif
      {"pack", {{"w/1000-2000_0_0.dat", kNew}, {"w/1000-2000_0_1.dat", kOld}, {"a.cff", kOld}},
       [](const Dir& d) { return pack(d.file(u"w"), d.file(u"a.cff")) == cratework::kExitOk; }},
      {"unpack", {{"w/1000-2000_0_0.dat", kOld}, {"w/1000-2000_0_1.dat", kOld}, {"w/1000-2000_0_2.dat", kOld}},
       [](const Dir& d) {
         cratework::Output output;
         return cratework::unpackIntoDirectory(gArchive, d.file(u"w"), output) == cratework::kExitOk;
       },
       // A pack run completes or undoes what the failed unpack recorded.
       true, [](const Dir& d) { (void)pack(d.file(u"w"), gArchive + u".check"); }},
      {"baseline move",
       {{"Shadow Wars/1000-2000_0_0.dat.org", kOld}, {"temp/1000-2000_0_0.dat", kNew},
        {"temp/1000-2000_0_1.dat", kNew}},
       [](const Dir& d) { return MoveUnpackedTables({d.file(u"Shadow Wars"), d.file(u"temp")}); }},
      {"restore point", {{"1000-2000_0_0.dat", kOld}, {"1000-2000_0_0.dat.org", kNew}},
       [](const Dir& d) {
         return bool(KeepRestorePoint(d.pathText(), {u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}, kNow));
       }},
      {"restore",
       {{"1000-2000_0_0.dat", kNew}, {"1000-2000_0_1.dat", kNew}, {"backup/20261201-090000/1000-2000_0_0.dat", kOld},
        {"backup/20261201-090000/1000-2000_0_1.dat", kOld}},
       [](const Dir& d) {
         return RestoreFromPoint(d.pathText(), u"20261201-090000", kNow).failure == RestoreFailure::None;
       }},
      // A table and its baseline replaced, two tables and their baselines added.
      {"update", {{"1000-2000_0_0.dat", kOld}, {"1000-2000_0_0.dat.org", kOld}},
       [](const Dir& d) {
         const test::SearchPathScope packerOnPath(test::packerDirectory());
         return bool(updateEdition(d.pathText(), gArchive, UpdateMode::Write, kNow));
       },
       true, nullptr,
       {"backup/", "backup/20261206-163000/", "backup/20261206-163000/1000-2000_0_0.dat",
        "backup/20261206-163000/1000-2000_0_0.dat.org"}},
  };
}

struct Outcome {
  FileTree before, tree;
  bool success = false, struck = false, removalFailed = false;
};
Outcome runCase(const FaultCase& c, std::int64_t n) {
  Dir dir;
  test::layTree(dir.path(), c.before);
  Outcome run{test::treeOf(dir.path())};
  fault_injection::failNth(n);
  run.success = c.run(dir);
  run.struck = fault_injection::struck();
  run.removalFailed = run.struck && fault_injection::struckOperation() == FileOperation::Delete;
  fault_injection::failNth(0);
  if (!run.success && c.nextRun) c.nextRun(dir);
  run.tree = test::treeOf(dir.path());
  return run;
}

TEST(FaultInjection, EveryFailedFileOperationLeavesEachFileOldOrNew) {
  test::TempDir outer;
  gArchive = outer.file(u"new.cff");
  test::layTree(outer.path() / "w",
                {{"1000-2000_0_0.dat", kNew}, {"1000-2000_0_1.dat", kNew}, {"1000-2000_0_2.dat", kNew}});
  ASSERT_EQ(pack(outer.file(u"w"), gArchive), cratework::kExitOk);
  for (const FaultCase& c : cases()) {
    const Outcome clean = runCase(c, 0);
    ASSERT_TRUE(clean.success) << c.name;
    FileTree after = clean.tree;
    std::erase_if(after, [&](const auto& file) { return c.optional.contains(file.first); });
    FileTree names = after;
    names.insert(clean.before.begin(), clean.before.end());
    for (std::int64_t n = 1;; ++n) {
      ASSERT_LT(n, 5000) << c.name << ": no end to its file operations";
      Outcome run = runCase(c, n);
      const std::string where = std::string(c.name) + ", operation " + std::to_string(n);
      if (!run.struck) {
        EXPECT_TRUE(run.success) << where;
        break;
      }
      int changed = 0, kept = 0;
      for (const auto& [name, ignored] : names) {
        const auto version = [&name](const FileTree& tree) {
          const auto it = tree.find(name);
          return it == tree.end() ? std::nullopt : std::optional(it->second);
        };
        const bool isOld = version(run.tree) == version(clean.before), isNew = version(run.tree) == version(after);
        EXPECT_TRUE(isOld || isNew) << where << ": " << name << " is neither its old nor its new version";
        EXPECT_TRUE(isNew || !run.success) << where << ": reported success, but " << name << " is not new";
        changed += isNew && !isOld;
        kept += isOld && !isNew;
        run.tree.erase(name);
      }
      EXPECT_TRUE(!c.allOrNothing || changed == 0 || kept == 0) << where << ": some files changed, others not";
      for (const auto& [name, bytes] : run.tree) {
        // A file whose removal failed stays, its shape telling it apart from a translator's files.
        const bool scratch = name.find(".~") != std::string::npos || name.ends_with(".lock");
        const bool allowed = c.optional.contains(name) || (run.removalFailed && scratch);
        EXPECT_TRUE(allowed) << where << ": left " << name;
      }
    }
  }
}

}  // namespace
}  // namespace verbarium
