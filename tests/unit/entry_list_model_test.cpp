#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "editor/entry_list_model.h"
#include "formats/dat_file.h"
#include "formats/exchange_table.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "support/failing_allocation.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;

// A six-byte-key table with the given texts.

struct Workspace {
  test::TempDir dir;
  Path table = dir.file(u"1000-2000_1_1.dat");
  void write(const Path& path, const test::Bytes& bytes) const { test::writeFileBytes(path, bytes); }
};

TEST(EntryListModel, OpensPairsOrClosesAsTheFilesSay) {
  struct Case {
    const char* name;
    std::optional<test::Bytes> table, baseline;
    EntryListModel::OpenResult result;
    std::vector<std::u16string> messages;
    int entries;
    bool hasBaseline;
  };
  const Case cases[] = {
      {"table and baseline", sixByteTable({u"Haus", u"Baum"}), sixByteTable({u"House", u"Tree"}),
       EntryListModel::OpenResult::Opened, {}, 2, true},
      {"no baseline", sixByteTable({u"Haus"}), std::nullopt, EntryListModel::OpenResult::Opened, {}, 1, false},
      {"no table, no baseline", std::nullopt, std::nullopt, EntryListModel::OpenResult::Opened, {}, 0, false},
      {"baseline with one entry more", sixByteTable({u"Haus"}), sixByteTable({u"House", u"Tree"}),
       EntryListModel::OpenResult::Closed, {entry_list_messages::kCountMismatch}, 1, true},
      {"unreadable table", hex("01 02"), sixByteTable({u"House"}), EntryListModel::OpenResult::Closed,
       {u"不明なフォーマットです。"}, 0, false},
      {"unreadable baseline, said nothing", sixByteTable({u"Haus"}), hex(""), EntryListModel::OpenResult::Closed, {},
       1, true},
      {"both unreadable, the table's reason alone", hex("01 02"), hex("00 00 00 00"),
       EntryListModel::OpenResult::Closed, {u"不明なフォーマットです。"}, 0, false},
  };
  for (const Case& c : cases) {
    Workspace ws;
    if (c.table) ws.write(ws.table, *c.table);
    if (c.baseline) ws.write(ws.table + u".org", *c.baseline);
    EntryListModel model;
    test::ScriptedInteraction person;
    EXPECT_EQ(model.openTables(ws.table, &person), c.result) << c.name;
    std::vector<std::u16string> said;
    for (const auto& m : person.messages) said.push_back(m.text);
    EXPECT_EQ(said, c.messages) << c.name;
    if (c.result == EntryListModel::OpenResult::Closed) continue;
    EXPECT_EQ(model.entryCount(), c.entries) << c.name;
    EXPECT_EQ(model.hasBaseline(), c.hasBaseline) << c.name;
    EXPECT_EQ(model.shownRows().size(), static_cast<std::size_t>(c.entries)) << c.name;
  }
}

TEST(EntryListModel, SearchLooksAtOriginalAndCurrentTextsIgnoringCase) {
  Workspace ws;
  ws.write(ws.table, sixByteTable({u"Haus", u"abc", u"Baum", u"XABCX", u"Ärger", u"\U00010400s"}));
  ws.write(ws.table + u".org", sixByteTable({u"House", u"Tree", u"aBc", u"Stone", u"ANGER", u"Rune"}));
  EntryListModel model;
  ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
  const std::pair<std::u16string, std::vector<int>> searches[] = {
      {u"ABC", {1, 2, 3}},   // current, original, current again: entry numbers, not positions
      {u"ärger", {4}},
      {u"hou", {0}},
      {u"nothing", {}},
      {u"\U00010428S", {5}},  // a pair is lowered as one letter
      {u"\xDC28", {5}},       // the lowered pair's second half
      {u"\xDC00", {}},
      {u"", {0, 1, 2, 3, 4, 5}},
  };
  for (const auto& [keyword, rows] : searches) {
    model.filterRows(keyword);
    EXPECT_EQ(model.shownRows(), rows);
  }
  EXPECT_EQ(model.numberText(3), u"4");
}

TEST(EntryListModel, SaveBacksUpAndWritesOnlyWhenModified) {
  Workspace ws;
  const test::Bytes original = sixByteTable({u"Haus", u"Baum"});
  ws.write(ws.table, original);
  // Read at the same time as the table: Save must write the table's own texts.
  const test::Bytes baseline = sixByteTable({u"House", u"Tree"});
  ws.write(ws.table + u".org", baseline);
  EntryListModel model;
  ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
  auto stamp = std::filesystem::last_write_time(ws.dir.path() / "1000-2000_1_1.dat");
  EXPECT_EQ(model.saveTable(nullptr), EntryListModel::SaveResult::Unchanged);
  EXPECT_FALSE(fileExists(ws.table + u".bak"));
  EXPECT_EQ(std::filesystem::last_write_time(ws.dir.path() / "1000-2000_1_1.dat"), stamp);

  model.setEntryText(1, u"Tree");
  EXPECT_TRUE(model.markModified());
  EXPECT_FALSE(model.markModified()) << "one mark only";
  EXPECT_EQ(model.saveTable(nullptr), EntryListModel::SaveResult::Saved);
  EXPECT_EQ(test::readFileBytes(ws.table + u".bak"), original);
  EXPECT_EQ(test::readFileBytes(ws.table), sixByteTable({u"Haus", u"Tree"}));
  EXPECT_EQ(test::readFileBytes(ws.table + u".org"), baseline);
}

struct RefusedSaveCase {
  const char* name;
  test::Bytes file;
  int entry;
  std::u16string_view typed;
  test::Bytes dump;  // .canceled, in records that hold any text
};

TEST(EntryListModel, ASaveTheLayoutRefusesKeepsTheEditsTheFileAndADump) {
  const RefusedSaveCase cases[] = {
      {"layout 5: a unit above 0x00FF",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08"), utf16le(u"Sword"),
            hex("43 01 11 12 13 14 15 16 17 18"), utf16le(u"Axe")}),
       1, u"斧",
       cat({hex("36 01 00 00  42 01 00 00 03 04 05 06 07 08  05 00 00 00"), utf16le(u"Sword"),
            hex("43 01 11 12 13 14 15 16 17 18  01 00 00 00"), utf16le(u"斧")})},
      {"layout 1: an empty text before the last record",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  03 00 00 00"), utf16le(u"abc"),
            hex("05 00 00 00  02 00 00 00"), utf16le(u"de")}),
       0, u"",
       cat({hex("07 00 00 00  11 00 00 00 12 00 00 00  00 00 00 00"), hex("05 00 00 00  02 00 00 00"),
            utf16le(u"de")})},
  };
  for (const auto& c : cases) {
    Workspace ws;
    ws.write(ws.table, c.file);
    EntryListModel model;
    ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened) << c.name;
    model.setEntryText(c.entry, c.typed);
    model.markModified();
    test::ScriptedInteraction person;
    EXPECT_EQ(model.saveTable(&person), EntryListModel::SaveResult::Failed) << c.name;
    const std::u16string number = c.entry == 0 ? u"1" : u"2";
    ASSERT_EQ(person.messages.size(), 1u) << c.name;
    EXPECT_EQ(person.messages[0], (test::RecordedMessage{u"このファイルの形式では保存できない文字があります。(No." + number + u")",
                                                          u"", mb::kOk}))
        << c.name;
    EXPECT_EQ(test::readFileBytes(ws.table), c.file) << c.name;
    EXPECT_TRUE(model.currentText(c.entry) == c.typed) << c.name;

    // Cancel keeps what was typed, even what the layout cannot hold.
    EXPECT_TRUE(model.dumpCanceled());
    EXPECT_EQ(test::toHex(test::readFileBytes(ws.table + u".canceled")), test::toHex(c.dump)) << c.name;
    EXPECT_EQ(test::readFileBytes(ws.table), c.file) << c.name;
  }
}

TEST(EntryListModel, AWriteThatFailsIsReportedAndTheWindowMayTryAgain) {
  Workspace ws;
  ws.write(ws.table, sixByteTable({u"Haus"}));
  EntryListModel model;
  ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
  model.setEntryText(0, u"House");
  model.markModified();
  // A directory in the way of the temporary file's rename.
  std::filesystem::remove(ws.dir.path() / "1000-2000_1_1.dat");
  std::filesystem::create_directory(ws.dir.path() / "1000-2000_1_1.dat");
  test::ScriptedInteraction person;
  EXPECT_EQ(model.saveTable(&person), EntryListModel::SaveResult::Failed);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text, u"保存に失敗しました");
  std::filesystem::remove(ws.dir.path() / "1000-2000_1_1.dat");
  EXPECT_EQ(model.saveTable(&person), EntryListModel::SaveResult::Saved);
  EXPECT_EQ(test::readFileBytes(ws.table), sixByteTable({u"House"}));
}

// While it has unsaved changes the window keeps other writers off its
// table, and it waits its turn when another one got there first.
TEST(EntryListModel, UnsavedChangesHoldTheTableAgainstOtherWriters) {
  Workspace ws;
  ws.write(ws.table, sixByteTable({u"Haus"}));
  ws.write(ws.table + u".txt", cat({hex("ff fe"), utf16le(u"Maison\r\n")}));
  EntryListModel model;
  ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
  model.setEntryText(0, u"House");
  model.markModified();
  EXPECT_EQ(importTable(ws.table, ws.table + u".txt").result, ImportResult::TableInUse);
  EXPECT_EQ(model.saveTable(nullptr), EntryListModel::SaveResult::Saved);

  EntryListModel late;
  ASSERT_EQ(late.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
  model = EntryListModel{};  // the first window goes, and its lock with it
  std::optional<FileLock> other(FileLock::tryAcquire(ws.table));
  ASSERT_TRUE(other->held());
  late.setEntryText(0, u"Home");
  late.markModified();
  test::ScriptedInteraction person;
  EXPECT_EQ(late.saveTable(&person), EntryListModel::SaveResult::Failed);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text, entry_list_messages::kTableInUse);
  EXPECT_EQ(test::readFileBytes(ws.table), sixByteTable({u"House"}));
  other.reset();
  EXPECT_EQ(late.saveTable(&person), EntryListModel::SaveResult::Saved);
  EXPECT_EQ(test::readFileBytes(ws.table), sixByteTable({u"Home"}));
}

TEST(EntryListModel, ClosingWithUnsavedChangesAsksFirst) {
  const test::Bytes before = sixByteTable({u"Haus"});
  const test::Bytes edited = sixByteTable({u"House"});
  const test::RecordedMessage question{u"変更が保存されていません。保存しますか？", u"確認", 0x0003 | 0x0020};
  enum class InTheWay { Nothing, Table, Dump };
  struct Case {
    const char* name;
    bool modified;
    std::deque<Answer> answers;
    InTheWay blocked;  // a directory where a file is to be written
    EntryListModel::CloseDecision decision;
    std::vector<test::RecordedMessage> messages;  // the question is added where the case asks it
    std::optional<test::Bytes> table, backup, dump;
    bool somebodyToAsk = true;
  };
  const Path dumpName = u"1000-2000_1_1.dat.canceled";
  const Case cases[] = {
      {"nothing changed: no question", false, {}, InTheWay::Nothing, EntryListModel::CloseDecision::Close, {},
       before, std::nullopt, std::nullopt},
      {"Cancel keeps the window and writes nothing", true, {Answer::Cancel}, InTheWay::Nothing,
       EntryListModel::CloseDecision::StayOpen, {question}, before, std::nullopt, std::nullopt},
      {"Yes saves as Save does", true, {Answer::Yes}, InTheWay::Nothing, EntryListModel::CloseDecision::Close,
       {question}, edited, before, std::nullopt},
      {"Yes whose save fails keeps the window", true, {Answer::Yes}, InTheWay::Table,
       EntryListModel::CloseDecision::StayOpen, {question, {u"保存に失敗しました", u"", 0}}, std::nullopt,
       std::nullopt, std::nullopt},
      {"No keeps the edits in .canceled", true, {Answer::No}, InTheWay::Nothing,
       EntryListModel::CloseDecision::Close, {question}, before, std::nullopt, edited},
      {"No whose dump fails says so and keeps the window", true, {Answer::No}, InTheWay::Dump,
       EntryListModel::CloseDecision::StayOpen, {question, {u"", u"エラー", 0x0010}}, before, std::nullopt,
       std::nullopt},
      {"nobody to ask: the edits go to .canceled as with No", true, {}, InTheWay::Nothing,
       EntryListModel::CloseDecision::Close, {}, before, std::nullopt, edited, false},
  };
  for (const Case& c : cases) {
    Workspace ws;
    ws.write(ws.table, before);
    EntryListModel model;
    ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened) << c.name;
    if (c.modified) {
      model.setEntryText(0, u"House");
      model.markModified();
    }
    if (c.blocked == InTheWay::Table) {
      std::filesystem::remove(ws.dir.path() / "1000-2000_1_1.dat");
      std::filesystem::create_directory(ws.dir.path() / "1000-2000_1_1.dat");
    }
    if (c.blocked == InTheWay::Dump) std::filesystem::create_directory(ws.dir.path() / "1000-2000_1_1.dat.canceled");
    test::ScriptedInteraction person;
    person.answers = c.answers;
    EXPECT_EQ(model.closeWindow(c.somebodyToAsk ? &person : nullptr), c.decision) << c.name;
    std::vector<test::RecordedMessage> expected = c.messages;
    // The failed dump names the file it could not write.
    for (auto& m : expected) {
      if (m.caption == u"エラー") m.text = u"キャンセルしたデータを保存できませんでした。\n" + ws.dir.file(dumpName);
    }
    EXPECT_EQ(person.messages, expected) << c.name;
    if (c.table) {
      EXPECT_EQ(test::readFileBytes(ws.table), *c.table) << c.name;
    }
    if (c.backup) {
      EXPECT_EQ(test::readFileBytes(ws.table + u".bak"), *c.backup) << c.name;
    } else {
      EXPECT_FALSE(fileExists(ws.table + u".bak")) << c.name;
    }
    if (c.dump) {
      EXPECT_EQ(test::readFileBytes(ws.dir.file(dumpName)), *c.dump) << c.name;
    } else if (c.blocked != InTheWay::Dump) {
      EXPECT_FALSE(fileExists(ws.dir.file(dumpName))) << c.name;
    }
  }
}

TEST(EntryListModel, RunningOutOfMemoryChangesNoTextAndNoRow) {
  Workspace ws;
  ws.write(ws.table, sixByteTable({u"Haus", u"Baum", u"Haus", u"Stein"}));
  ws.write(ws.table + u".org", sixByteTable({u"House", u"Tree", u"House", u"Stone"}));
  const std::vector<std::u16string> before = {u"Haus", u"Baum", u"Haus", u"Stein"};
  auto texts = [](const EntryListModel& model) {
    std::vector<std::u16string> all;
    for (int i = 0; i < model.entryCount(); ++i) all.emplace_back(model.currentText(i));
    return all;
  };
  // Every allocation of the replace-all, then of a search, fails once in turn.
  bool editDone = false;
  for (std::size_t successes = 0; !editDone; ++successes) {
    EntryListModel model;
    ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
    EditTextParam param = model.editTextParam(0);
    param.currentText = std::u16string(200, u'x');  // longer than any small-string buffer
    bool changed = false;
    try {
      test::FailingAllocation failing(successes);
      changed = model.applyEntryEdit(param, true);
      editDone = true;
    } catch (const std::bad_alloc&) {
    }
    if (editDone) {
      EXPECT_TRUE(changed);
      EXPECT_EQ(texts(model), (std::vector<std::u16string>{param.currentText, u"Baum", param.currentText, u"Stein"}));
    } else {
      EXPECT_EQ(texts(model), before) << "allocation " << successes;
    }
  }
  // The two tables are read at once: whichever reader runs out, the window
  // hears of it, and the tables it opens are whole.
  bool openDone = false;
  for (std::size_t successes = 0; !openDone; ++successes) {
    EntryListModel model;
    try {
      test::FailingAllocation failing(successes);
      ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
      openDone = true;
    } catch (const std::bad_alloc&) {
      continue;
    }
    EXPECT_EQ(texts(model), before);
    EXPECT_TRUE(model.originalText(3) == u"Stone");
  }
  bool searchDone = false;
  for (std::size_t successes = 0; !searchDone; ++successes) {
    EntryListModel model;
    ASSERT_EQ(model.openTables(ws.table, nullptr), EntryListModel::OpenResult::Opened);
    model.filterRows(u"stone");
    model.setEntryText(1, u"Stein");  // the search must see the new text
    try {
      test::FailingAllocation failing(successes);
      model.filterRows(u"STEIN");
      searchDone = true;
    } catch (const std::bad_alloc&) {
    }
    if (searchDone) {
      EXPECT_EQ(model.shownRows(), (std::vector<int>{1, 3}));
    } else {
      EXPECT_EQ(model.shownRows(), (std::vector<int>{3})) << "allocation " << successes;
    }
  }
}

}  // namespace
}  // namespace verbarium
