#include <gtest/gtest.h>

#include "editor/clipboard_commands.h"
#include "platform/utf.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;


struct OpenTable {
  test::TempDir dir;
  EntryListModel model;
  OpenTable(const std::vector<std::u16string>& current, const std::optional<std::vector<std::u16string>>& baseline) {
    Path table = dir.file(u"1000-2000_1_1.dat");
    test::writeFileBytes(table, sixByteTable(current));
    if (baseline) test::writeFileBytes(table + u".org", sixByteTable(*baseline));
    EXPECT_EQ(model.openTables(table, nullptr), EntryListModel::OpenResult::Opened);
  }
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> out;
    for (int i = 0; i < model.entryCount(); ++i) out.emplace_back(model.currentText(i));
    return out;
  }
};

TEST(ApplyEntryEdit, ReplacesAllEntriesWithTheSameOriginalOnlyWhenAsked) {
  struct Case {
    const char* name;
    std::optional<std::vector<std::u16string>> baseline;
    int entry;
    std::u16string newText;
    bool replaceAll;
    std::optional<std::u16string> originalOverride;  // the dialog's original cell, when not the baseline's
    bool marks;
    std::vector<std::u16string> after;
  };
  const std::vector<std::u16string> current = {u"Ja", u"ja!", u"Nein", u"Ja", u"Jawohl"};
  const std::vector<std::u16string> baseline = {u"Yes", u"yes", u"No", u"Yes", u"Yes"};
  const Case cases[] = {
      {"one entry", baseline, 2, u"Nö", false, {}, true, {u"Ja", u"ja!", u"Nö", u"Ja", u"Jawohl"}},
      {"unchanged text, box off", baseline, 2, u"Nein", false, {}, false, current},
      {"unchanged text, box on", baseline, 2, u"Nein", true, {}, true, current},
      {"Yes but not yes, translated or not", baseline, 0, u"Jo", true, {}, true, {u"Jo", u"ja!", u"Nein", u"Jo", u"Jo"}},
      {"empty original: only the entry", std::vector<std::u16string>{u"", u"", u"No", u"", u""}, 1, u"X", true, {},
       true, {u"Ja", u"X", u"Nein", u"Ja", u"Jawohl"}},
      {"no baseline: only the entry", std::nullopt, 3, u"X", true, {}, true, {u"Ja", u"ja!", u"Nein", u"X", u"Jawohl"}},
  };
  for (const Case& c : cases) {
    OpenTable open(current, c.baseline);
    EditTextParam param = open.model.editTextParam(c.entry);
    EXPECT_EQ(param.numberText, std::u16string(1, static_cast<char16_t>(u'1' + c.entry))) << c.name;
    param.currentText = c.newText;
    EXPECT_EQ(open.model.applyEntryEdit(param, c.replaceAll), c.marks) << c.name;
    EXPECT_EQ(open.texts(), c.after) << c.name;
  }
}

// The number the dialog carries names the entry, up to the last one.
TEST(ApplyEntryEdit, ChangesTheEntryItsNumberNames) {
  OpenTable open(std::vector<std::u16string>(10, u"x"), std::nullopt);
  const struct {
    std::u16string number;
    int entry;  // -1: refused
  } cases[] = {{u"9", 8}, {u"10", 9}, {u"11", -1}, {u"0", -1}, {u"1a", -1}};
  for (const auto& c : cases) {
    EditTextParam param = open.model.editTextParam(0);
    param.numberText = c.number;
    param.currentText = u"edit " + c.number;
    EXPECT_EQ(open.model.applyEntryEdit(param, false), c.entry >= 0) << toUtf8(c.number);
    if (c.entry >= 0) {
      EXPECT_EQ(open.model.currentText(c.entry), param.currentText);
    }
  }
  EXPECT_EQ(open.model.currentText(0), u"x");
}

TEST(ApplyEntryEdit, ReachesEntriesTheSearchHides) {
  OpenTable open({u"a", u"b", u"c"}, std::vector<std::u16string>{u"Yes", u"Yes", u"Yes"});
  open.model.filterRows(u"b");
  ASSERT_EQ(open.model.shownRows(), (std::vector<int>{1}));
  EditTextParam param = open.model.editTextParam(1);
  param.currentText = u"Jo";
  EXPECT_TRUE(open.model.applyEntryEdit(param, true));
  EXPECT_EQ(open.texts(), (std::vector<std::u16string>{u"Jo", u"Jo", u"Jo"}));
}

// A clipboard that fails in the ways the system's can.
struct FakeClipboard : Clipboard {
  std::optional<std::u16string> text;
  ClipboardStatus failWith = ClipboardStatus::Ok;
  unsigned long error = 0;

  bool hasClipboardText() override { return text.has_value(); }
  ClipboardResult putText(std::u16string_view t) override {
    if (failWith != ClipboardStatus::Ok) {
      // Emptying comes before setting: a failed set has lost the old text.
      if (failWith == ClipboardStatus::CannotSet) text.reset();
      return {failWith, error};
    }
    text = std::u16string(t);
    return {};
  }
  ClipboardResult getText(std::u16string& out) override {
    if (failWith == ClipboardStatus::CannotOpen) return {failWith, 0};
    if (!text) return {ClipboardStatus::NoText, error};
    out = *text;
    return {};
  }
};

TEST(ClipboardCommands, CopyPasteRevertAndEveryFailure) {
  OpenTable open({u"first\r\nline", u"", u"third"}, std::vector<std::u16string>{u"One", u"Two", u"Three"});
  FakeClipboard clipboard;
  test::ScriptedInteraction person;

  copyRowText(open.model, 0, clipboard, person);
  EXPECT_EQ(clipboard.text, u"first\r\nline");
  EXPECT_TRUE(pasteRowText(open.model, 2, clipboard, person));
  EXPECT_EQ(open.model.currentText(2), u"first\r\nline") << "the same units, line break and all";
  copyRowText(open.model, 1, clipboard, person);
  EXPECT_EQ(clipboard.text, u"") << "an empty text is an empty clipboard text";
  EXPECT_TRUE(revertRowText(open.model, 2));
  EXPECT_EQ(open.model.currentText(2), u"Three");
  EXPECT_TRUE(revertRowText(open.model, 2)) << "marks even when nothing changed";
  EXPECT_TRUE(person.messages.empty());

  // No row selected: nothing happens.
  copyRowText(open.model, -1, clipboard, person);
  EXPECT_FALSE(pasteRowText(open.model, -1, clipboard, person));
  EXPECT_FALSE(revertRowText(open.model, -1));

  const std::tuple<ClipboardStatus, bool, std::u16string> failures[] = {
      {ClipboardStatus::CannotOpen, true, u"Cannot open the Clipboard."},
      {ClipboardStatus::CannotEmpty, true, u"Cannot empty the Clipboard."},
      {ClipboardStatus::CannotSet, true, u"Unable to set Clipboard data, error: 1418"},
      {ClipboardStatus::CannotOpen, false, u"Cannot open the Clipboard."},
      {ClipboardStatus::NoText, false, u"Unable to get Clipboard data, error: 1418"},
  };
  for (const auto& [status, copying, message] : failures) {
    clipboard.text = u"kept";
    clipboard.failWith = status == ClipboardStatus::NoText ? ClipboardStatus::Ok : status;
    if (status == ClipboardStatus::NoText) clipboard.text.reset();
    clipboard.error = 1418;
    person.messages.clear();
    if (copying) {
      copyRowText(open.model, 0, clipboard, person);
    } else {
      EXPECT_FALSE(pasteRowText(open.model, 0, clipboard, person));
      EXPECT_EQ(open.model.currentText(0), u"first\r\nline") << "the entry stays";
    }
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0], (test::RecordedMessage{message, u"", mb::kOk}));
  }
}

}  // namespace
}  // namespace verbarium
