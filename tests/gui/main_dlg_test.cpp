#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_dlg.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "ui/message_loop.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;

const test::Bytes kTable = test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), test::utf16le(u"ok")});

struct MainWindow : testing::Test {
  test::TempDir dir;
  AppSettings settings;
  fs::path old = fs::current_path();
  ui::CMessageLoop loop;

  MainWindow() {
    for (auto edition : {"Shadow Wars", "Dragon Storm", "Faith in Destiny"}) fs::create_directory(dir.path() / edition);
    test::writeFileBytes(dir.file(u"Shadow Wars\\\\1000-2000_1_1.dat"), kTable);
    test::writeFileBytes(dir.file(u"Shadow Wars\\\\notes.dat"), kTable);
    test::writeFileBytes(dir.file(u"Verbarium.ini"), {});
    fs::current_path(dir.path());
    ui::setCurrentMessageLoop(&loop);
  }
  ~MainWindow() override {
    ui::setCurrentMessageLoop(nullptr);
    fs::current_path(old);
  }
  bool enabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)) != 0; }
  // The window is not shown yet: whether a control will be seen with it.
  bool shown(HWND window, int id) { return (::GetWindowLongW(::GetDlgItem(window, id), GWL_STYLE) & WS_VISIBLE) != 0; }
};

TEST_F(MainWindow, ShowsTheEditionsTablesAndControlsAndClosesWithTheCommandsId) {
  test::writeFileBytes(dir.file(u"CRATEWORK.EXE"), {});
  test::writeFileBytes(dir.file(u"Shadow Wars\\1000-2000_1_1.dat.org"),
                       test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  02 00 00 00"), test::utf16le(u"OK")}));
  CMainDlg window(settings, dir.file(u"").substr(0, dir.file(u"").size() - 1));
  HWND main = window.Create(nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(test::windowText(main), L"Verbarium [Beta 3]");
  HWND tabs = ::GetDlgItem(main, IDC_EDITION_TABS);
  HWND list = ::GetDlgItem(main, IDC_TABLE_LIST);
  ASSERT_EQ(TabCtrl_GetItemCount(tabs), 3);
  ASSERT_EQ(ListView_GetItemCount(list), 1);
  EXPECT_EQ(test::listCell(list, 0, 0), L"1000-2000_1_1.dat");
  EXPECT_EQ(test::listCell(list, 0, 1), L"-");
  // The table's progress against its baseline follows, measured apart.
  for (int i = 0; i < 500 && test::listCell(list, 0, 1) == L"-"; ++i) {
    ::Sleep(10);
    test::pumpMessages();
  }
  EXPECT_EQ(test::listCell(list, 0, 1), L"1 / 1 (100%)");
  for (int id : {IDC_LOAD_CFF, IDC_SAVE_CFF, IDC_IMPORT, IDC_EXPORT, IDC_INITIAL_SETTINGS}) EXPECT_TRUE(enabled(main, id));
  EXPECT_FALSE(shown(main, IDC_PACKER_MISSING));

  // An edition without tables: the placeholder row, and nothing to save.
  TabCtrl_SetCurSel(tabs, 1);
  NMHDR change{tabs, IDC_EDITION_TABS, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(main, WM_NOTIFY, IDC_EDITION_TABS, reinterpret_cast<LPARAM>(&change));
  ASSERT_EQ(ListView_GetItemCount(list), 1);
  EXPECT_EQ(test::listCell(list, 0, 0), L".dat files not found");
  EXPECT_FALSE(::IsWindowEnabled(list));
  for (int id : {IDC_SAVE_CFF, IDC_IMPORT, IDC_EXPORT}) EXPECT_FALSE(enabled(main, id));
  EXPECT_TRUE(enabled(main, IDC_LOAD_CFF));

  // The close box: the window goes, and the loop ends with Cancel's id.
  ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(loop.Run(), IDCANCEL);
  EXPECT_FALSE(::IsWindow(main));
}

// Keys pressed on the table list with its first row selected.
struct ListKey {
  const char* name;
  WPARAM key;
  const wchar_t* opened;  // the title of the window that opens, or empty
};
const ListKey kListKeys[] = {
    {"Escape", VK_ESCAPE, L""},
    {"Enter", VK_RETURN, L"編集するテキストを選択(File:1000-2000_1_1.dat)"},
    {"Escape again, after the entry list", VK_ESCAPE, L""},
};

TEST_F(MainWindow, EnterOpensTheSelectedTableAndOnlyTheCloseBoxEnds) {
  test::writeFileBytes(dir.file(u"CRATEWORK.EXE"), {});
  CMainDlg window(settings, dir.file(u"").substr(0, dir.file(u"").size() - 1));
  HWND main = window.Create(nullptr);
  ASSERT_NE(main, nullptr);
  HWND list = ::GetDlgItem(main, IDC_TABLE_LIST);
  ::ShowWindow(main, SW_SHOW);
  for (const ListKey& press : kListKeys) {
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(list);
    std::wstring opened;
    if (*press.opened) {
      test::whenDialogOpens([&](HWND entryList) {
        opened = test::windowText(entryList);
        test::click(entryList, IDCANCEL);
      });
    }
    // As the message loop hands the key to the dialog manager.
    MSG key{list, WM_KEYDOWN, press.key, 0, 0, {}};
    EXPECT_TRUE(window.PreTranslateMessage(&key)) << press.name;
    test::pumpMessages();
    EXPECT_TRUE(::IsWindow(main)) << press.name << " ended the program";
    EXPECT_EQ(opened, press.opened) << press.name;
  }
  // Alt+F4 reaches the window as the close command of its system menu.
  ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(loop.Run(), IDCANCEL);
}

TEST_F(MainWindow, WithoutThePackerLoadIsDisabledAndTheLabelShown) {
  std::wstring caution;
  test::answerNextMessageBox(IDOK, &caution);
  CMainDlg window(settings, dir.file(u"").substr(0, dir.file(u"").size() - 1));
  HWND main = window.Create(nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(caution, L"CRATEWORKが見つからないのでcffの読み書きは行えません。");
  EXPECT_FALSE(enabled(main, IDC_LOAD_CFF));
  EXPECT_FALSE(enabled(main, IDC_INITIAL_SETTINGS));
  EXPECT_TRUE(enabled(main, IDC_SAVE_CFF));
  EXPECT_TRUE(shown(main, IDC_PACKER_MISSING));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(loop.Run(), IDCANCEL);
}

}  // namespace
}  // namespace verbarium
