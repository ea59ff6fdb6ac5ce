#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/select_text_dlg.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;


void doubleClickRow(HWND dialog, int row) {
  NMITEMACTIVATE activate{};
  activate.hdr.hwndFrom = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
  activate.hdr.idFrom = IDC_ENTRY_LIST;
  activate.hdr.code = NM_DBLCLK;
  activate.iItem = row;
  ::SendMessageW(dialog, WM_NOTIFY, IDC_ENTRY_LIST, reinterpret_cast<LPARAM>(&activate));
}

void selectRow(HWND dialog, int row) {
  ListView_SetItemState(::GetDlgItem(dialog, IDC_ENTRY_LIST), row, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
}

void command(HWND dialog, int id) { ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

struct EditingWindow : testing::Test {
  test::TempDir dir;
  AppSettings settings;
  std::filesystem::path old = std::filesystem::current_path();
  EditingWindow() { std::filesystem::current_path(dir.path()); }
  ~EditingWindow() override { std::filesystem::current_path(old); }

  void run(const std::function<void(HWND)>& steps) {
    CSelectTextDlg dialog(settings, u"1000-2000_1_1.dat");
    test::driveModal([&] { return dialog.DoModal(nullptr); }, steps);
  }
};

TEST_F(EditingWindow, TheEditDialogShowsTheRowAndReplacesAllOnOk) {
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({u"Ja", u"ja", u"Ja"}));
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), test::sixByteTable({u"Yes", u"yes", u"Yes"}));
  settings.replaceAllSameOriginal = true;
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    test::whenDialogOpens([list](HWND edit) {
      EXPECT_EQ(test::windowText(edit), L"テキストを編集 No.3");
      // The row being edited stays in sight.
      RECT row{}, dialogRect{}, overlap{};
      ListView_GetItemRect(list, 2, &row, LVIR_BOUNDS);
      ::MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&row), 2);
      ::GetWindowRect(edit, &dialogRect);
      EXPECT_FALSE(::IntersectRect(&overlap, &row, &dialogRect)) << "the dialog covers its row";
      // The text to rewrite has the focus, all of it selected: typing replaces it.
      EXPECT_EQ(::GetFocus(), ::GetDlgItem(edit, IDC_CURRENT_TEXT));
      DWORD from = 1, to = 0;
      ::SendMessageW(::GetDlgItem(edit, IDC_CURRENT_TEXT), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
      EXPECT_EQ(from, 0u);
      EXPECT_EQ(to, 2u);
      EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_ORIGINAL_TEXT)), L"Yes");
      EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_CURRENT_TEXT)), L"Ja");
      HWND box = ::GetDlgItem(edit, IDC_REPLACE_ALL);
      EXPECT_TRUE(::IsWindowEnabled(box));
      EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
      ::SetWindowTextW(::GetDlgItem(edit, IDC_CURRENT_TEXT), L"Jo\r\nzwei Zeilen");
      test::click(edit, IDOK);
    });
    doubleClickRow(dialog, 2);
    // The typed break takes the original's form: LF, as the original has none.
    EXPECT_EQ(test::listCell(list, 0, 3), L"Jo\nzwei Zeilen");
    EXPECT_EQ(test::listCell(list, 1, 3), L"ja");
    EXPECT_EQ(test::windowText(dialog), L"編集するテキストを選択(File:1000-2000_1_1.dat)*");

    // Cancel after unticking: nothing changes, the remembered state stays.
    test::whenDialogOpens([](HWND edit) {
      ::SendMessageW(::GetDlgItem(edit, IDC_REPLACE_ALL), BM_SETCHECK, BST_UNCHECKED, 0);
      test::click(edit, IDCANCEL);
    });
    doubleClickRow(dialog, 1);
    doubleClickRow(dialog, 7);  // below the last row: no dialog
    test::click(dialog, IDC_SAVE_TABLE);
  });
  EXPECT_TRUE(settings.replaceAllSameOriginal);
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat")), test::sixByteTable({u"Jo\nzwei Zeilen", u"ja", u"Jo\nzwei Zeilen"}));
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat.bak")), test::sixByteTable({u"Ja", u"ja", u"Ja"}));
}

// A key as the modal loop hands it on: the dialog manager first, then the
// control with the focus. `shift` is held while the key goes down.
void pressKey(HWND dialog, HWND target, UINT message, WPARAM key, bool shift) {
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

struct KeyWay {
  const char* name;
  UINT message;
  WPARAM key;
  bool shift;
  bool opensMenu;  // else the edit dialog
};
const KeyWay kKeyWays[] = {
    {"Enter on the list", WM_KEYDOWN, VK_RETURN, false, false},
    {"F2", WM_KEYDOWN, VK_F2, false, false},
    {"the context-menu key", WM_KEYDOWN, VK_APPS, false, true},
    {"Shift+F10", WM_SYSKEYDOWN, VK_F10, true, true},
};

TEST_F(EditingWindow, TheKeyboardEditsAndOpensTheMenuOfTheSelectedRow) {
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({u"eins", u"zwei", u"drei"}));
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), test::sixByteTable({u"one", u"two", u"three"}));
  for (const KeyWay& way : kKeyWays) {
    int editDialogs = 0;
    int menus = 0;
    run([&](HWND dialog) {
      HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
      selectRow(dialog, 1);
      ::SetFocus(list);
      if (way.opensMenu) {
        test::whenMenuOpens([&](HMENU) {
          ++menus;
          ::EndMenu();
        });
      } else {
        test::whenDialogOpens([&](HWND edit) {
          ++editDialogs;
          EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_CURRENT_TEXT)), L"zwei") << way.name;
          test::click(edit, IDCANCEL);
        });
      }
      pressKey(dialog, list, way.message, way.key, way.shift);
      // Time for the watchers to see a menu, which has its own loop.
      for (int i = 0; i < 10 && editDialogs + menus == 0; ++i) {
        ::Sleep(30);
        test::pumpMessages();
      }
      EXPECT_EQ(ListView_GetItemCount(list), 3) << way.name << ": no search ran";
      test::click(dialog, IDCANCEL);
    });
    EXPECT_EQ(editDialogs, way.opensMenu ? 0 : 1) << way.name;
    EXPECT_EQ(menus, way.opensMenu ? 1 : 0) << way.name;
  }
}

// Each text shows its breaks as breaks and keeps their units: LF stays LF,
// CR LF stays CR LF, and a typed break takes the text's own form.
TEST_F(EditingWindow, LineBreaksComeBackAsTheUnitsTheyWere) {
  struct Row {
    std::u16string text;
    std::wstring shown;
    std::u16string saved;  // after a break and "z" are typed at its end
  };
  const Row rows[] = {
      {u"a\nb", L"a\r\nb", u"a\nb\nz"},
      {u"c\r\nd", L"c\r\nd", u"c\r\nd\r\nz"},
      {u"ef", L"ef", u"ef\nz"},
  };
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({rows[0].text, rows[1].text, rows[2].text}));
  run([&](HWND dialog) {
    for (int row = 0; row < 3; ++row) {
      test::whenDialogOpens([&](HWND edit) {
        HWND current = ::GetDlgItem(edit, IDC_CURRENT_TEXT);
        EXPECT_EQ(test::windowText(current), rows[row].shown) << row;
        ::SetWindowTextW(current, (rows[row].shown + L"\r\nz").c_str());
        test::click(edit, IDOK);
      });
      doubleClickRow(dialog, row);
    }
    test::click(dialog, IDC_SAVE_TABLE);
  });
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat")),
            test::sixByteTable({rows[0].saved, rows[1].saved, rows[2].saved}));
}

TEST_F(EditingWindow, LongTextsSurviveTheEditDialogWhole) {
  const std::u16string longText(1500, u'w');
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({longText}));
  run([&](HWND dialog) {
    test::whenDialogOpens([](HWND edit) {
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(edit, IDC_REPLACE_ALL))) << "no baseline";
      EXPECT_EQ(test::windowText(::GetDlgItem(edit, IDC_ORIGINAL_TEXT)), L"原文ファイルが作成されていません");
      test::click(edit, IDOK);
    });
    doubleClickRow(dialog, 0);
    EXPECT_EQ(test::windowText(dialog).back(), L')') << "an untouched text changes nothing";
    test::click(dialog, IDCANCEL);
  });
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "1000-2000_1_1.dat.canceled"));
}

TEST_F(EditingWindow, CopyPasteAndRevertThroughTheRealClipboard) {
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({u"eins\nzwei", u"drei", u"vier"}));
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), test::sixByteTable({u"one", u"two", u"three"}));
  // Nothing on the clipboard: Paste is greyed.
  if (::OpenClipboard(nullptr)) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    test::whenMenuOpens([](HMENU menu) {
      EXPECT_TRUE(::GetMenuState(menu, ID_ENTRY_PASTE, MF_BYCOMMAND) & MF_GRAYED);
      EXPECT_FALSE(::GetMenuState(menu, ID_ENTRY_COPY, MF_BYCOMMAND) & MF_GRAYED);
      ::EndMenu();
    });
    NMHDR rightClick{list, IDC_ENTRY_LIST, static_cast<UINT>(NM_RCLICK)};
    ::SendMessageW(dialog, WM_NOTIFY, IDC_ENTRY_LIST, reinterpret_cast<LPARAM>(&rightClick));
    test::pumpMessages();

    selectRow(dialog, 0);
    command(dialog, ID_ENTRY_COPY);
    selectRow(dialog, 2);
    command(dialog, ID_ENTRY_PASTE);
    EXPECT_EQ(test::listCell(list, 2, 3), L"eins\nzwei");
    selectRow(dialog, 1);
    command(dialog, ID_ENTRY_REVERT);
    EXPECT_EQ(test::listCell(list, 1, 3), L"two");
    test::click(dialog, IDC_SAVE_TABLE);
  });
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat")), test::sixByteTable({u"eins\nzwei", u"two", u"eins\nzwei"}));
}

}  // namespace
}  // namespace verbarium
