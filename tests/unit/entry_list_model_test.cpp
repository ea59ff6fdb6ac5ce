#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "editor/entry_list_model.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "support/failing_allocation.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Open = EntryListModel::OpenResult;
using Texts = std::vector<std::u16string>;

struct Workspace {
  TempDir dir;
  Path table = dir.file(u"1000-2000_1_1.dat");
};

struct OpenTable : Workspace {
  EntryListModel model;
  OpenTable(const Texts& current, const Texts& baseline) {
    writeFileBytes(table, sixByteTable(current));
    writeFileBytes(table + u".org", sixByteTable(baseline));
    EXPECT_EQ(model.openTables(table, nullptr), Open::Opened);
  }
  Texts texts() const {
    Texts out;
    for (int i = 0; i < model.entryCount(); ++i) out.emplace_back(model.currentText(i));
    return out;
  }
};

TEST(EntryListModel, OpensPairsOrClosesAsTheFilesSay) {
  const std::u16string unknown = u"不明なフォーマットです。";
  const struct {
    std::optional<Bytes> table, baseline;
    Open result;
    std::u16string said;  // the one message, if any
    int entries;
    bool hasBaseline;
  } cases[] = {
      {sixByteTable({u"Haus", u"Baum"}), sixByteTable({u"House", u"Tree"}), Open::Opened, u"", 2, true},
      {sixByteTable({u"Haus"}), std::nullopt, Open::Opened, u"", 1, false},
      {std::nullopt, std::nullopt, Open::Opened, u"", 0, false},
      {sixByteTable({u"Haus"}), sixByteTable({u"House", u"Tree"}), Open::Closed, entry_list_messages::kCountMismatch},
      {hex("01 02"), sixByteTable({u"House"}), Open::Closed, unknown},
      {sixByteTable({u"Haus"}), hex(""), Open::Closed, u""},  // an unreadable baseline says nothing
      {hex("01 02"), hex("00 00 00 00"), Open::Closed, unknown},  // the table's reason alone
  };
  for (const auto& c : cases) {
    Workspace ws;
    if (c.table) writeFileBytes(ws.table, *c.table);
    if (c.baseline) writeFileBytes(ws.table + u".org", *c.baseline);
    EntryListModel model;
    ScriptedInteraction person;
    EXPECT_EQ(model.openTables(ws.table, &person), c.result);
    EXPECT_EQ(person.messages.size() == 1 ? person.messages[0].text : std::u16string(person.messages.size(), u'?'), c.said);
    if (c.result == Open::Closed) continue;
    EXPECT_EQ(std::tuple(model.entryCount(), model.hasBaseline(), model.shownRows().size()),
              std::tuple(c.entries, c.hasBaseline, static_cast<std::size_t>(c.entries)));
  }
}

// The search sees original and current text, ignoring case; the edit dialog's OK changes
// the entry its number names and, with the box ticked, every entry of the same original.
TEST(ApplyEntryEdit, ChangesTheNamedEntryAndWhenAskedAllOfTheSameOriginal) {
  const Texts current = {u"Ja", u"ja!", u"Nein", u"Ja", u"Jawohl", u"a", u"b", u"c", u"d", u"e"};
  const Texts baseline = {u"Yes", u"yes", u"No", u"Yes", u"Yes", u"", u"", u"C", u"D", u"E"};
  OpenTable searched(current, baseline);
  for (const auto& [keyword, rows] : {std::pair<const char16_t*, std::vector<int>>{u"nO", {2}}, {u"EIN", {2}}, {u"", {}}}) {
    searched.model.filterRows(keyword);
    EXPECT_EQ(searched.model.shownRows(), *keyword ? rows : std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  }
  const struct {
    const char* name;
    const char16_t* search;
    int entry;
    const char16_t* number;  // the dialog's number, when not the entry's
    std::u16string typed;
    bool replaceAll, marks;
    std::vector<int> changed;
  } cases[] = {
      {"one entry", u"", 2, nullptr, u"Nö", false, true, {2}},
      {"unchanged text, box off", u"", 2, nullptr, u"Nein", false, false, {}},
      {"Yes but not yes, translated or not", u"", 0, nullptr, u"Jo", true, true, {0, 3, 4}},
      {"entries the search hides", u"Jawohl", 4, nullptr, u"Jo", true, true, {0, 3, 4}},
      {"empty original: only the entry", u"", 5, nullptr, u"X", true, true, {5}},
      {"number 9", u"", 0, u"9", u"X", false, true, {8}},
      {"number 10, the last", u"", 0, u"10", u"X", false, true, {9}},
      {"number 11", u"", 0, u"11", u"X", false, false, {}},
      {"number 0", u"", 0, u"0", u"X", false, false, {}},
      {"number 1a", u"", 0, u"1a", u"X", false, false, {}},
  };
  for (const auto& c : cases) {
    OpenTable open(current, baseline);
    open.model.filterRows(c.search);
    EditTextParam param = open.model.editTextParam(c.entry);
    EXPECT_EQ(param.numberText, asciiToUtf16(std::to_string(c.entry + 1))) << c.name;
    if (c.number) param.numberText = c.number;
    param.currentText = c.typed;
    EXPECT_EQ(open.model.applyEntryEdit(param, c.replaceAll), c.marks) << c.name;
    Texts after = current;
    for (int i : c.changed) after[static_cast<std::size_t>(i)] = c.typed;
    EXPECT_EQ(open.texts(), after) << c.name;
  }
}

// Running out of memory part-way through a replace-all or a search leaves
// every text and every shown row as it was: never half an edit.
TEST(EntryListModel, RunningOutOfMemoryLeavesEveryTextAndRowAsItWas) {
  const Texts current = {u"Haus", u"Baum", u"Haus", u"Stein"};
  const std::u16string typed(200, u'x');  // past any small-string buffer
  for (const bool search : {false, true}) {
    for (std::size_t successes = 0;; ++successes) {
      OpenTable open(current, {u"House", u"Tree", u"House", u"Stone"});
      open.model.filterRows(u"stone");
      EditTextParam param = open.model.editTextParam(0);
      param.currentText = typed;
      try {
        FailingAllocation failing(successes);
        search ? open.model.filterRows(u"HAUS") : (void)open.model.applyEntryEdit(param, true);
      } catch (const std::bad_alloc&) {
        EXPECT_EQ(open.texts(), current) << successes;
        EXPECT_EQ(open.model.shownRows(), std::vector<int>{3}) << successes;
        continue;
      }
      EXPECT_EQ(open.texts(), (search ? current : Texts{typed, u"Baum", typed, u"Stein"}));
      EXPECT_EQ(open.model.shownRows(), (search ? std::vector<int>{0, 2} : std::vector<int>{3}));
      break;
    }
  }
}

// Save and the question on closing with unsaved changes: what each says, the table, its
// backup and the dump afterwards. A table that could not be written keeps its edits.
TEST(EntryListModel, SaveAndCloseKeepEveryEditAndTheTableWhole) {
  const Bytes before = sixByteTable({u"Haus"}), edited = sixByteTable({u"House"});
  // Layout 5 holds no unit above 0x00FF.
  const Bytes layout5 = cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
                             hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")});
  const RecordedMessage question{entry_list_messages::kUnsavedQuestion, u"確認", 0x0003 | 0x0020};
  const RecordedMessage saveFailed{u"保存に失敗しました", u"", 0};
  enum class InTheWay { Nothing, Table, Dump, Lock };  // a directory where a file goes, or another writer
  enum Act { Save, Close, CloseAlone };
  const int unchanged = 0, saved = 1, failed = 2, close = 0, stay = 1;
  const struct {
    const char* name;
    Act act;
    std::deque<Answer> answers;
    InTheWay blocked;
    int result;  // SaveResult or CloseDecision, by the act
    std::vector<RecordedMessage> said;
    std::optional<Bytes> table, backup, dump;  // none: no such file
    int entry = 0;  // -1: no edit
  } cases[] = {
      {"Save of nothing", Save, {}, InTheWay::Nothing, unchanged, {}, before, {}, {}, -1},
      {"Save", Save, {}, InTheWay::Nothing, saved, {}, edited, before, {}},
      {"Save while another writer holds the table", Save, {}, InTheWay::Lock, failed,
       {{entry_list_messages::kTableInUse, u"", 0}}, before, {}, {}},
      {"Save of a unit above 0x00FF in layout 5", Save, {}, InTheWay::Nothing, failed,
       {{u"このファイルの形式では保存できない文字があります。(No.1)", u"", 0}}, layout5, layout5,
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08  01 00 00 00"), utf16le(u"斧"),
            hex("43 01 11 12 13 14 15 16 17 18  03 00 00 00"), utf16le(u"Axe")})},
      {"nothing changed: no question", Close, {}, InTheWay::Nothing, close, {}, before, {}, {}, -1},
      {"Cancel keeps the window and writes nothing", Close, {Answer::Cancel}, InTheWay::Nothing, stay, {question},
       before, {}, {}},
      {"Yes saves as Save does", Close, {Answer::Yes}, InTheWay::Nothing, close, {question}, edited, before, {}},
      {"Yes whose save fails keeps the window", Close, {Answer::Yes}, InTheWay::Table, stay, {question, saveFailed},
       {}, {}, {}},
      {"No keeps the edits in .canceled", Close, {Answer::No}, InTheWay::Nothing, close, {question}, before, {}, edited},
      {"No whose dump fails says so and keeps the window", Close, {Answer::No}, InTheWay::Dump, stay,
       {question, {u"キャンセルしたデータを保存できませんでした。\n", u"エラー", 0x0010}}, before, {}, {}},
      {"nobody to ask: the edits go to .canceled as with No", CloseAlone, {}, InTheWay::Nothing, close, {}, before, {},
       edited},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace ws;
    const Path dump = ws.table + u".canceled";
    const bool layout = c.table == layout5;
    writeFileBytes(ws.table, layout ? layout5 : before);
    EntryListModel model;
    ASSERT_EQ(model.openTables(ws.table, nullptr), Open::Opened);
    std::optional<FileLock> other;
    if (c.blocked == InTheWay::Lock) other.emplace(FileLock::tryAcquire(ws.table));
    const std::u16string typed = layout ? u"斧" : u"House";
    if (c.entry >= 0) {
      model.setEntryText(c.entry, typed);
      const std::vector<bool> marks{model.markModified(), model.markModified()};
      EXPECT_EQ(marks, std::vector<bool>({true, false})) << "one mark only";
      // While it has unsaved changes the window keeps other writers off its table.
      if (!other) { EXPECT_EQ(FileLock::tryAcquire(ws.table).state(), FileLock::State::InUse); }
    }
    if (c.blocked == InTheWay::Table) fs::remove(fs::path(ws.table));
    if (c.blocked == InTheWay::Table || c.blocked == InTheWay::Dump) {
      fs::create_directory(fs::path(c.blocked == InTheWay::Table ? ws.table : dump));
    }
    ScriptedInteraction person;
    person.answers = c.answers;
    const int result = c.act == Save ? static_cast<int>(model.saveTable(&person))
                                     : static_cast<int>(model.closeWindow(c.act == Close ? &person : nullptr));
    EXPECT_EQ(result, c.result);
    std::vector<RecordedMessage> said = c.said;
    if (c.blocked == InTheWay::Dump) said.back().text += dump;
    EXPECT_EQ(person.messages, said);
    if (c.table) { EXPECT_EQ(readFileBytes(ws.table), *c.table); }
    EXPECT_EQ(fileExists(ws.table + u".bak") ? std::optional(readFileBytes(ws.table + u".bak")) : std::nullopt, c.backup);
    // Cancel keeps what was typed, even what the layout cannot hold.
    if (layout) { EXPECT_TRUE(model.dumpCanceled()); }
    if (c.blocked != InTheWay::Dump) {
      EXPECT_EQ(fileExists(dump) ? std::optional(readFileBytes(dump)) : std::nullopt, c.dump);
    }
    if (c.result != (c.act == Save ? failed : stay) || layout || c.blocked == InTheWay::Dump) continue;
    other.reset();
    if (c.blocked == InTheWay::Table) fs::remove(ws.dir.path() / "1000-2000_1_1.dat");
    EXPECT_EQ(model.saveTable(&person), EntryListModel::SaveResult::Saved);
    EXPECT_EQ(readFileBytes(ws.table), edited);
  }
}

}  // namespace
}  // namespace verbarium
