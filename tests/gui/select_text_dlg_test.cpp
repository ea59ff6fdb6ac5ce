#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "archive/current_directory_scope.h"
#include "editor/select_text_dlg.h"
#include "support/dialog_driver.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

void selectRow(HWND list, int row) {
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void doubleClick(HWND dialog, int row) {
  NMITEMACTIVATE activate{{::GetDlgItem(dialog, IDC_ENTRY_LIST), IDC_ENTRY_LIST, static_cast<UINT>(NM_DBLCLK)}, row};
  ::SendMessageW(dialog, WM_NOTIFY, IDC_ENTRY_LIST, reinterpret_cast<LPARAM>(&activate));
}

// A key as the modal loop hands it on: the dialog manager first, then the
// control with the focus. `shift` is held while the key goes down.
void pressKey(HWND dialog, HWND target, UINT message, WPARAM key, bool shift = false) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(keys);
  for (UINT m : {message, message + 1}) {  // down, then up
    MSG msg{target, m, key, m == message ? 1 : 0xC0000001, 0, {}};
    if (!::IsDialogMessageW(dialog, &msg)) ::DispatchMessageW(&msg);
  }
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  test::pumpMessages();
}

// The ways to the edit dialog and the entry's menu from the keyboard.
const struct { const char* name; UINT message; WPARAM key; bool shift, opensMenu; } kKeyWays[] = {
    {"Enter on the list", WM_KEYDOWN, VK_RETURN, false, false},
    {"F2", WM_KEYDOWN, VK_F2, false, false},
    // Shift+F10 first: a real Shift, which this one only holds, goes down
    // on the list before it and ends what the context-menu key began.
    {"Shift+F10", WM_SYSKEYDOWN, VK_F10, true, true},
    {"the context-menu key", WM_KEYDOWN, VK_APPS, false, true},
};

TEST(EntryListWindow, TheMouseTheKeyboardTheMenuAndTheRealClipboardEditTheRowAndSaveWritesItAll) {
  test::TempDir dir;
  // The window works in the table's directory, as the main window arranges.
  const CurrentDirectoryScope in(dir.pathText());
  AppSettings settings;
  const std::u16string longText(1500, u'w'), edited = u"Jo\nzwei Zeilen";
  test::layTree(dir.path(), {{"1000-2000_1_1.dat", test::sixByteTable({u"Ja", longText, u"Ja", u"ja"})},
                             {"1000-2000_1_1.dat.org", test::sixByteTable({u"Yes", u"", u"Yes", u"yes"})}});
  settings.replaceAllSameOriginal = true;
  // Nothing on the clipboard: Paste is greyed.
  if (::OpenClipboard(nullptr)) ::EmptyClipboard(), ::CloseClipboard();
  CSelectTextDlg window(settings, u"1000-2000_1_1.dat");
  test::driveModal([&] { return window.DoModal(nullptr); }, [&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    for (const auto& way : kKeyWays) {
      SCOPED_TRACE(way.name);
      std::string opened;
      selectRow(list, 1);
      ::SetFocus(list);
      if (way.opensMenu) {
        test::whenMenuOpens([&](HMENU menu) {
          opened += "menu";
          EXPECT_TRUE(::GetMenuState(menu, ID_ENTRY_PASTE, MF_BYCOMMAND) & MF_GRAYED);
          EXPECT_FALSE(::GetMenuState(menu, ID_ENTRY_COPY, MF_BYCOMMAND) & MF_GRAYED);
          ::EndMenu();
        });
      } else {
        // The edit control's own limit would cut the long text on OK.
        test::whenDialogOpens([&](HWND edit) {
          opened += "edit";
          EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_CURRENT_TEXT)).size(), 1500u);
          EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(edit, IDC_REPLACE_ALL))) << "no original";
          EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_ORIGINAL_TEXT)), L"原文ファイルが作成されていません");
          test::click(edit, IDOK);
        });
      }
      pressKey(dialog, list, way.message, way.key, way.shift);
      // Time for the watchers to see a menu, which has its own loop.
      for (int i = 0; i < 10 && opened.empty(); ++i, ::Sleep(30)) test::pumpMessages();
      EXPECT_EQ(opened, way.opensMenu ? "menu" : "edit");
      EXPECT_EQ(ListView_GetItemCount(list), 4) << "no search ran";
    }
    EXPECT_EQ(test::listCell(list, 3, 1) + test::listCell(list, 3, 2) + test::listCell(list, 3, 3), L"4yesja");
    test::whenDialogOpens([](HWND edit) {
      EXPECT_EQ(test::windowText(edit), L"テキストを編集 No.3");
      // The text to rewrite has the focus, all of it selected: typing replaces it.
      HWND current = ::GetDlgItem(edit, IDC_CURRENT_TEXT);
      EXPECT_EQ(::GetFocus(), current);
      EXPECT_EQ(::SendMessageW(current, EM_GETSEL, 0, 0), MAKELONG(0, 2));
      EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_ORIGINAL_TEXT)) + test::windowText(current), L"YesJa");
      EXPECT_EQ(::SendMessageW(::GetDlgItem(edit, IDC_REPLACE_ALL), BM_GETCHECK, 0, 0), BST_CHECKED);
      ::SetWindowTextW(current, L"Jo\r\nzwei Zeilen");
      test::click(edit, IDOK);
    });
    doubleClick(dialog, 2);
    // The typed break takes the original's form: LF, as the original has none.
    EXPECT_EQ(test::listCell(list, 0, 3), L"Jo\nzwei Zeilen");
    EXPECT_EQ(test::windowText(dialog).back(), L'*');
    selectRow(list, 0);
    ::SendMessageW(dialog, WM_COMMAND, ID_ENTRY_COPY, 0);
    selectRow(list, 3);
    ::SendMessageW(dialog, WM_COMMAND, ID_ENTRY_PASTE, 0);
    EXPECT_EQ(test::listCell(list, 3, 3), L"Jo\nzwei Zeilen");

    // Escape with a change asks first, and Cancel keeps the window.
    std::wstring asked;
    test::answerNextMessageBox(IDCANCEL, &asked);
    pressKey(dialog, list, WM_KEYDOWN, VK_ESCAPE);
    for (int i = 0; i < 20 && asked.empty(); ++i, ::Sleep(30)) test::pumpMessages();
    EXPECT_EQ(asked, L"変更が保存されていません。保存しますか？");
    EXPECT_TRUE(::IsWindowVisible(dialog));
    test::click(dialog, IDC_SAVE_TABLE);
  });
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat")),
            test::sixByteTable({edited, longText, edited, edited}));
  EXPECT_EQ(settings.windowPlacement.length, 44u) << "the window keeps where it was";
}

}  // namespace
}  // namespace verbarium
