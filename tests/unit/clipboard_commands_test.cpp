#include <gtest/gtest.h>

#include "editor/clipboard_commands.h"
#include "platform/utf.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;
using Texts = std::vector<std::u16string>;

struct OpenTable {
  TempDir dir;
  EntryListModel model;
  OpenTable(const Texts& current, const Texts& baseline) {
    const Path table = dir.file(u"1000-2000_1_1.dat");
    writeFileBytes(table, sixByteTable(current));
    writeFileBytes(table + u".org", sixByteTable(baseline));
    EXPECT_EQ(model.openTables(table, nullptr), EntryListModel::OpenResult::Opened);
  }
  Texts texts() const {
    Texts out;
    for (int i = 0; i < model.entryCount(); ++i) out.emplace_back(model.currentText(i));
    return out;
  }
};

// The edit dialog's OK: the entry its number names, and with the box ticked
// every entry of the same original, shown by the search or not.
TEST(ApplyEntryEdit, ChangesTheNamedEntryAndWhenAskedAllOfTheSameOriginal) {
  const Texts current = {u"Ja", u"ja!", u"Nein", u"Ja", u"Jawohl", u"a", u"b", u"c", u"d", u"e"};
  const Texts baseline = {u"Yes", u"yes", u"No", u"Yes", u"Yes", u"A", u"B", u"C", u"D", u"E"};
  const struct {
    const char* name;
    Texts baseline;
    const char16_t* search;
    int entry;
    const char16_t* number;  // the dialog's number, when not the entry's
    std::u16string typed;
    bool replaceAll, marks;
    std::vector<int> changed;
  } cases[] = {
      {"one entry", baseline, u"", 2, nullptr, u"Nö", false, true, {2}},
      {"unchanged text, box off", baseline, u"", 2, nullptr, u"Nein", false, false, {}},
      {"Yes but not yes, translated or not", baseline, u"", 0, nullptr, u"Jo", true, true, {0, 3, 4}},
      {"entries the search hides", baseline, u"Jawohl", 4, nullptr, u"Jo", true, true, {0, 3, 4}},
      {"empty original: only the entry", Texts{u"", u"", u"No", u"", u"", u"", u"", u"", u"", u""}, u"", 1, nullptr,
       u"X", true, true, {1}},
      {"number 9", baseline, u"", 0, u"9", u"X", false, true, {8}},
      {"number 10, the last", baseline, u"", 0, u"10", u"X", false, true, {9}},
      {"number 11", baseline, u"", 0, u"11", u"X", false, false, {}},
      {"number 0", baseline, u"", 0, u"0", u"X", false, false, {}},
      {"number 1a", baseline, u"", 0, u"1a", u"X", false, false, {}},
  };
  for (const auto& c : cases) {
    OpenTable open(current, c.baseline);
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

// A clipboard that fails in the ways the system's can.
struct FakeClipboard : Clipboard {
  std::u16string text = u"kept\r\n";
  ClipboardStatus status = ClipboardStatus::Ok;
  bool hasClipboardText() override { return status != ClipboardStatus::NoText; }
  ClipboardResult putText(std::u16string_view t) override { return copy(t, text); }
  ClipboardResult getText(std::u16string& out) override { return copy(text, out); }
  ClipboardResult copy(std::u16string_view from, std::u16string& to) {
    if (status != ClipboardStatus::Ok) return {status, 1418};
    to = from;
    return {};
  }
};

TEST(ClipboardCommands, CopyPasteAndRevertSayEveryFailureAndLeaveTheEntry) {
  enum Command { Copy, Paste, Revert };
  using S = ClipboardStatus;
  const struct {
    Command command;
    int row;  // -1: none selected
    S status;
    bool marks;
    const char16_t* said;
    std::u16string clipboardAfter, row2After;
  } cases[] = {
      {Copy, 0, S::Ok, false, nullptr, u"first\r\nline", u"third"}, {Copy, -1, S::Ok, false, nullptr, u"kept\r\n", u"third"},
      {Copy, 0, S::CannotOpen, false, u"Cannot open the Clipboard.", u"kept\r\n", u"third"},
      {Copy, 0, S::CannotEmpty, false, u"Cannot empty the Clipboard.", u"kept\r\n", u"third"},
      {Copy, 0, S::CannotSet, false, u"Unable to set Clipboard data, error: 1418", u"kept\r\n", u"third"},
      {Paste, 2, S::Ok, true, nullptr, u"kept\r\n", u"kept\r\n"}, {Paste, -1, S::Ok, false, nullptr, u"kept\r\n", u"third"},
      {Paste, 2, S::NoText, false, u"Unable to get Clipboard data, error: 1418", u"kept\r\n", u"third"},
      {Revert, 2, S::Ok, true, nullptr, u"kept\r\n", u"Three"}, {Revert, -1, S::Ok, false, nullptr, u"kept\r\n", u"third"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "command " << c.command << ", row " << c.row << ", status " << static_cast<int>(c.status));
    OpenTable open({u"first\r\nline", u"", u"third"}, {u"One", u"Two", u"Three"});
    FakeClipboard clipboard;
    clipboard.status = c.status;
    ScriptedInteraction person;
    if (c.command == Copy) copyRowText(open.model, c.row, clipboard, person);
    const bool marks = c.command == Paste ? pasteRowText(open.model, c.row, clipboard, person)
                                          : c.command == Revert && revertRowText(open.model, c.row);
    EXPECT_EQ(std::make_tuple(marks, clipboard.text, std::u16string(open.model.currentText(2))),
              std::make_tuple(c.marks, c.clipboardAfter, c.row2After));
    using Said = std::vector<RecordedMessage>;
    EXPECT_EQ(person.messages, c.said ? Said({{c.said, u"", mb::kOk}}) : Said());
  }
}

}  // namespace
}  // namespace verbarium
