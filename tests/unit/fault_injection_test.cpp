// Every operation that changes a translator's files, run once per file
// operation it makes, with that operation failing: afterwards every file is
// its old or its new version, whole; what reports success left the new ones;
// and nothing else is left behind but the file whose removal was the very
// operation that failed (the next run of another process removes it).

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "settings/app_settings.h"
#include "archive/restore_point.h"
#include "baseline/baseline_files.h"
#include "cli_app.h"
#include "cratework_commands.h"
#include "editor/entry_list_model.h"
#include "formats/exchange_table.h"
#include "platform/fault_injection.h"
#include "platform/utf.h"
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

// The archives the unpack and the update cases read, outside the directory
// they check.
Path gNewArchive;
Path gUpdateArchive;

struct FaultCase {
  const char* name;
  FileTree before;
  // Runs the operation in the directory; true when it reports success.
  std::function<bool(const test::TempDir&)> run;
  // Every file changes, or none does.
  bool allOrNothing = false;
  // The next run in that place, for an operation that leaves a record of
  // what it was doing to be completed or undone.
  std::function<void(const test::TempDir&)> nextRun = nullptr;
  // What may or may not be there afterwards (a backup made on the way).
  std::set<std::string> optional = {};
};

const Bytes kOld = test::sixByteTable({u"Haus", u"Baum"});
const Bytes kNew = test::sixByteTable({u"House", u"Tree"});
const LocalTime kNow{2026, 12, 6, 16, 30, 0};

Path at(const test::TempDir& dir, const char16_t* name) { return dir.file(name); }

std::vector<FaultCase> cases() {
  const Bytes newTexts = test::cat({test::hex("ff fe"), test::utf16le(u"House\r\nTree\r\n")});
  const Bytes oldTexts = test::cat({test::hex("ff fe"), test::utf16le(u"Haus\r\nBaum\r\n")});
  return {
      {"import", {{"t.dat", kOld}, {"t.dat.txt", newTexts}},
       [](const test::TempDir& d) { return importTable(at(d, u"t.dat"), at(d, u"t.dat.txt")).changedTable(); }},
      {"export", {{"t.dat", kOld}, {"t.dat.txt", newTexts}},
       [](const test::TempDir& d) { return exportTable(at(d, u"t.dat"), at(d, u"t.dat.txt")) == ExportResult::Written; }},
      {"rewrite", {{"in.dat", kNew}, {"t.dat", kOld}},
       [](const test::TempDir& d) {
         cli::CliOutput output;
         const std::vector<std::u16string> args = {u"rewrite", at(d, u"in.dat"), at(d, u"t.dat")};
         return cli::runCli(args, output) == 0;
       }},
      {"save", {{"t.dat", kOld}},
       [](const test::TempDir& d) {
         EntryListModel model;
         if (model.openTables(at(d, u"t.dat"), nullptr) != EntryListModel::OpenResult::Opened) return false;
         if (model.entryCount() != 2) return false;  // a table that could not be opened lists nothing
         model.setEntryText(0, u"House");
         model.setEntryText(1, u"Tree");
         model.markModified();
         return model.saveTable(nullptr) == EntryListModel::SaveResult::Saved;
       },
       false, nullptr, {"t.dat.bak"}},
      {"cancel", {{"t.dat", kOld}},
       [](const test::TempDir& d) {
         EntryListModel model;
         if (model.openTables(at(d, u"t.dat"), nullptr) != EntryListModel::OpenResult::Opened) return false;
         if (model.entryCount() != 2) return false;
         model.setEntryText(0, u"House");
         model.markModified();
         return model.dumpCanceled();
       }},
#ifndef _WIN32
      // On Windows the profile functions write the settings key by key.
      // Another program's section stays: a file that cannot be read is
      // never written over.
      {"settings", {{"Verbarium.ini", test::cat({test::hex("ff fe"), test::utf16le(u"[Other]\r\nkept=1\r\n")})}},
       [](const test::TempDir& d) {
         AppSettings settings;
         settings.columnWidths = {40, 200, 200, 10};
         settings.keywordHistory = {u"\u691c\u7d22", u"Drache"};
         return writeSettings(settings, at(d, u"Verbarium.ini"));
       }},
#endif
      {"pack", {{"w/1000-2000_0_0.dat", kNew}, {"w/1000-2000_0_1.dat", kOld}, {"a.cff", kOld}},
       [](const test::TempDir& d) {
         cratework::Output output;
         return cratework::packDirectory(at(d, u"w"), at(d, u"a.cff"), output) == cratework::kExitOk;
       }},
      {"unpack", {{"w/1000-2000_0_0.dat", kOld}, {"w/1000-2000_0_1.dat", kOld}, {"w/1000-2000_0_2.dat", kOld}},
       [](const test::TempDir& d) {
         cratework::Output output;
         return cratework::unpackIntoDirectory(gNewArchive, at(d, u"w"), output) == cratework::kExitOk;
       },
       true,
       [](const test::TempDir& d) {
         // A pack run completes or undoes what the failed unpack recorded.
         cratework::Output output;
         (void)cratework::packDirectory(at(d, u"w"), gNewArchive + u".check", output);
       }},
      {"baseline move", {{"Shadow Wars/1000-2000_0_0.dat.org", kOld}, {"temp/1000-2000_0_0.dat", kNew},
                         {"temp/1000-2000_0_1.dat", kNew}},
       [](const test::TempDir& d) {
         return MoveUnpackedTables({at(d, u"Shadow Wars"), at(d, u"temp")});
       }},
      {"restore point", {{"1000-2000_0_0.dat", kOld}, {"1000-2000_0_0.dat.org", kNew}},
       [](const test::TempDir& d) {
         return static_cast<bool>(
             KeepRestorePoint(d.pathText(), {u"1000-2000_0_0.dat", u"1000-2000_0_0.dat.org"}, kNow));
       }},
      {"restore", {{"1000-2000_0_0.dat", kNew}, {"1000-2000_0_1.dat", kNew},
                   {"backup/20261201-090000/1000-2000_0_0.dat", kOld},
                   {"backup/20261201-090000/1000-2000_0_1.dat", kOld}},
       [](const test::TempDir& d) {
         return RestoreFromPoint(d.pathText(), u"20261201-090000", kNow).failure == RestoreFailure::None;
       }},
      // A table and its baseline replaced, a table and its baseline added.
      {"update", {{"1000-2000_0_0.dat", kOld}, {"1000-2000_0_0.dat.org", kOld}},
       [](const test::TempDir& d) {
         const test::SearchPathScope packerOnPath(test::packerDirectory());
         return static_cast<bool>(updateEdition(d.pathText(), gUpdateArchive, UpdateMode::Write, kNow));
       },
       true, nullptr,
       {"backup/", "backup/20261206-163000/", "backup/20261206-163000/1000-2000_0_0.dat",
        "backup/20261206-163000/1000-2000_0_0.dat.org"}},
  };
}

// What a run leaves that a failure may leave too: a file whose removal failed
// stays, with its shape telling it apart from a translator's files.
bool isScratchFile(const std::string& name) {
  return name.find(".~") != std::string::npos || name.ends_with(".lock");
}

TEST(FaultInjection, EveryFailedFileOperationLeavesEachFileOldOrNew) {
  test::TempDir outer;
  gNewArchive = outer.file(u"new.cff");
  gUpdateArchive = outer.file(u"update.cff");
  for (auto [archive, tables] : {std::pair{gNewArchive, 3}, std::pair{gUpdateArchive, 2}}) {
    test::TempDir source;
    for (const char16_t* name : {u"1000-2000_0_0.dat", u"1000-2000_0_1.dat", u"1000-2000_0_2.dat"}) {
      if (tables-- > 0) test::writeFileBytes(source.file(name), kNew);
    }
    cratework::Output output;
    ASSERT_EQ(cratework::packDirectory(source.pathText(), archive, output), cratework::kExitOk);
  }
  for (const FaultCase& c : cases()) {
    // The files as they were, and as a run without failures leaves them.
    FileTree before, after;
    {
      test::TempDir clean;
      test::layTree(clean.path(), c.before);
      before = test::treeOf(clean.path());
      fault_injection::failNth(0);
      ASSERT_TRUE(c.run(clean)) << c.name;
      after = test::treeOf(clean.path());
      std::erase_if(after, [&](const auto& file) { return c.optional.contains(file.first); });
    }
    for (std::int64_t n = 1;; ++n) {
      ASSERT_LT(n, 5000) << c.name << ": no end to its file operations";
      test::TempDir dir;
      test::layTree(dir.path(), c.before);
      fault_injection::failNth(n);
      const bool success = c.run(dir);
      const bool struck = fault_injection::struck();
      const bool removalFailed = struck && fault_injection::struckOperation() == FileOperation::Delete;
      fault_injection::failNth(0);
      if (!success && c.nextRun) c.nextRun(dir);
      const std::string where = std::string(c.name) + ", operation " + std::to_string(n);
      if (!struck) {
        EXPECT_TRUE(success) << where;
        break;
      }
      FileTree now = test::treeOf(dir.path());
      std::set<std::string> names;
      for (const auto& [name, bytes] : before) names.insert(name);
      for (const auto& [name, bytes] : after) names.insert(name);
      int changed = 0, kept = 0;
      for (const std::string& name : names) {
        const auto old = before.find(name);
        const auto fresh = after.find(name);
        const auto found = now.find(name);
        const bool isOld = old == before.end() ? found == now.end() : found != now.end() && found->second == old->second;
        const bool isNew = fresh == after.end() ? found == now.end() : found != now.end() && found->second == fresh->second;
        EXPECT_TRUE(isOld || isNew) << where << ": " << name << " is neither its old nor its new version";
        if (isNew && !isOld) ++changed;
        if (isOld && !isNew) ++kept;
        EXPECT_TRUE(isNew || !success) << where << ": reported success, but " << name << " is not new";
        if (found != now.end()) now.erase(found);
      }
      if (c.allOrNothing) {
        EXPECT_TRUE(changed == 0 || kept == 0) << where << ": some files changed, others not";
      }
      for (const auto& [name, bytes] : now) {
        const bool allowed = c.optional.contains(name) || (removalFailed && isScratchFile(name));
        EXPECT_TRUE(allowed) << where << ": left " << name;
      }
    }
  }
}

}  // namespace
}  // namespace verbarium
