#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "editor/select_text_dlg.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "support/test_tables.h"

namespace verbarium {
namespace {

using namespace test;


// The window works in the table's directory, as the main window arranges.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

struct EntryListWindow : testing::Test {
  test::TempDir dir;
  AppSettings settings;
  const Path table = u"1000-2000_1_1.dat";

  void SetUp() override {
    test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), sixByteTable({u"Haus", u"Baum", u"Stein"}));
    test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), sixByteTable({u"House", u"Tree", u"Stone"}));
  }

  void run(const std::function<void(HWND)>& steps) {
    InDirectory in(dir.path());
    CSelectTextDlg dialog(settings, table);
    INT_PTR result = test::driveModal([&] { return dialog.DoModal(nullptr); }, steps);
    EXPECT_EQ(result, 0);
  }
};

TEST_F(EntryListWindow, ListsPairsSearchesAndStoresItsStateOnCancel) {
  settings.keywordHistory = {u"old"};
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    EXPECT_EQ(test::windowText(dialog), L"編集するテキストを選択(File:1000-2000_1_1.dat)");
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(test::listCell(list, 1, 1), L"2");
    EXPECT_EQ(test::listCell(list, 1, 2), L"Tree");
    EXPECT_EQ(test::listCell(list, 1, 3), L"Baum");
    HWND box = ::GetDlgItem(dialog, IDC_KEYWORD);
    EXPECT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), 2) << "the empty item and the stored keyword";

    ::SetWindowTextW(box, L"STON");
    test::click(dialog, IDC_SEARCH);
    test::pumpMessages();
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_EQ(test::listCell(list, 0, 1), L"3") << "the entry's number, not the row's";
    ::UpdateWindow(list);
    test::pumpMessages();
    EXPECT_EQ(test::windowText(::GetDlgItem(dialog, IDC_STATUS_LINE)).substr(0, 23), L" ItemCount: 1 / 3  View");

    // Enter in the keyword box searches too.
    ::SetWindowTextW(box, L"");
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    test::pumpMessages();
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    test::click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.keywordHistory, (std::vector<std::u16string>{u"STON", u"old"}));
  EXPECT_EQ(settings.windowPlacement.length, 44u);
  // The first window is roomy, and its text columns share the list's width.
  EXPECT_EQ(settings.columnWidths[1], 40);
  EXPECT_EQ(settings.columnWidths[2], settings.columnWidths[3]);
  EXPECT_GT(settings.columnWidths[2], 300);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "1000-2000_1_1.dat.canceled")) << "nothing changed";
}

TEST_F(EntryListWindow, AppliesStoredWidthsAndSavesNothingUnchanged) {
  settings.columnWidths = {0, 50, 0, 0};
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 50);
    EXPECT_EQ(ListView_GetColumnWidth(list, 2), 0);
    test::click(dialog, IDC_SAVE_TABLE);
  });
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "1000-2000_1_1.dat.bak"));
}

TEST_F(EntryListWindow, ClosesAtOnceWhenTheCountsDiffer) {
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), sixByteTable({u"House"}));
  std::wstring said;
  test::answerNextMessageBox(IDOK, &said);
  InDirectory in(dir.path());
  CSelectTextDlg dialog(settings, table);
  EXPECT_EQ(dialog.DoModal(nullptr), 0);
  EXPECT_EQ(said, L"原文データと編集データの個数が一致しません\nデータが壊れていないか確認してください");
  EXPECT_EQ(settings.windowPlacement.length, 0u) << "nothing stored";
}

TEST_F(EntryListWindow, EscapeWithAChangeAsksAndCancelKeepsTheWindow) {
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(dialog, WM_COMMAND, ID_ENTRY_REVERT, 0);
    ASSERT_EQ(test::listCell(list, 0, 3), L"House");

    std::wstring asked;
    test::answerNextMessageBox(IDCANCEL, &asked);
    // Escape pressed in the list, through the dialog manager as the modal loop hands it on.
    MSG escape{list, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(dialog, &escape));
    EXPECT_EQ(asked, L"変更が保存されていません。保存しますか？");
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "Cancel keeps the window";
    EXPECT_EQ(test::windowText(dialog).back(), L'*');
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "1000-2000_1_1.dat.canceled"));

    // No closes it and keeps the session's edits in .canceled.
    test::answerNextMessageBox(IDNO, nullptr);
    test::click(dialog, IDCANCEL);
  });
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat.canceled")),
            sixByteTable({u"House", u"Baum", u"Stein"}));
  EXPECT_EQ(test::readFileBytes(dir.file(u"1000-2000_1_1.dat")), sixByteTable({u"Haus", u"Baum", u"Stein"}));
  EXPECT_EQ(settings.windowPlacement.length, 44u);
}

// Points of `control`, in its window, that show something other than the
// plain dialog face: zero when it was not drawn.
int drawnPoints(HWND dialog, HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  HDC dc = ::GetDC(dialog);
  const COLORREF face = ::GetSysColor(COLOR_3DFACE);
  int drawn = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) drawn += ::GetPixel(dc, x, y) != face;
  }
  ::ReleaseDC(dialog, dc);
  return drawn;
}

TEST_F(EntryListWindow, EveryControlIsDrawnInsideTheWindowAfterAResize) {
  const SIZE sizes[] = {{900, 650}, {500, 420}, {1200, 900}};
  run([&](HWND dialog) {
    HWND list = ::GetDlgItem(dialog, IDC_ENTRY_LIST);
    for (const SIZE& size : sizes) {
      ::SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
      ::UpdateWindow(dialog);
      test::pumpMessages();
      RECT client{};
      ::GetClientRect(dialog, &client);
      RECT listRect{};
      ::GetWindowRect(list, &listRect);
      ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&listRect), 2);
      for (int id : {IDC_KEYWORD, IDC_SEARCH, IDC_STATUS_LINE, IDC_SAVE_TABLE, IDCANCEL}) {
        HWND control = ::GetDlgItem(dialog, id);
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        RECT inside{}, overlap{};
        ::IntersectRect(&inside, &r, &client);
        EXPECT_TRUE(::EqualRect(&inside, &r)) << size.cx << "x" << size.cy << ": control " << id << " leaves the window";
        EXPECT_FALSE(::IntersectRect(&overlap, &r, &listRect)) << size.cx << "x" << size.cy << ": control " << id
                                                               << " covers the list's border";
        EXPECT_GT(drawnPoints(dialog, control), 0) << size.cx << "x" << size.cy << ": control " << id << " not drawn";
      }
    }
    test::click(dialog, IDCANCEL);
  });
}

TEST_F(EntryListWindow, AMinimisedPlacementOpensRestored) {
  // As stored by a window that was closed while minimised.
  settings.windowPlacement = {44, 0, SW_SHOWMINIMIZED, {-1, -1}, {-1, -1}, {40, 30, 640, 480}};
  run([&](HWND dialog) {
    EXPECT_FALSE(::IsIconic(dialog));
    EXPECT_TRUE(::IsWindowVisible(dialog));
    test::click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.windowPlacement.showCmd, static_cast<std::uint32_t>(SW_SHOWNORMAL));
}

}  // namespace
}  // namespace verbarium
