#include <windows.h>
#include <commctrl.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "app/main_dlg.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "ui/message_loop.h"
#include "platform/utf.h"

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

// The packer that takes ten seconds more for an unpack or a pack.
fs::path slowPacker() {
  std::string path = VERBARIUM_SLOW_PACKER;
  // Under Wine the build directory is a Linux path; drive Z: is the Linux root.
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path).make_preferred();
}

// What another thread saw of a run while it went on.
struct SeenRun {
  bool progressShown = false;
  bool ownedByMain = false;
  bool mainDisabled = false;
  bool mainAnswered = false;  // within two seconds: the thread was free
  bool currentDirectoryKept = false;
  bool marquee = false;
  std::wstring text;
};

// Watches the main window's thread from another thread for the progress
// window, and presses its Cancel once `cancelWhen` holds.
class RunWatcher {
 public:
  RunWatcher(HWND main, const fs::path& programDirectory, std::function<bool(HWND progress)> cancelWhen)
      : thread_([this, main, programDirectory, cancelWhen = std::move(cancelWhen)] {
          watch(main, programDirectory, cancelWhen);
        }) {}
  RunWatcher(const RunWatcher&) = delete;
  RunWatcher& operator=(const RunWatcher&) = delete;
  ~RunWatcher() {
    if (thread_.joinable()) thread_.join();
  }
  SeenRun seen() {
    thread_.join();
    return seen_;
  }

 private:
  void watch(HWND main, const fs::path& programDirectory, const std::function<bool(HWND)>& cancelWhen) {
    const DWORD ui = ::GetWindowThreadProcessId(main, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool cancelled = false;
    while (!cancelled && std::chrono::steady_clock::now() < end) {
      HWND progress = test::progressWindowOf(ui);
      if (progress == nullptr) {
        if (seen_.progressShown) return;  // the run has ended
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      if (!seen_.progressShown) {
        seen_.progressShown = true;
        seen_.ownedByMain = ::GetWindow(progress, GW_OWNER) == main;
        seen_.mainDisabled = !::IsWindowEnabled(main);
        DWORD_PTR answer = 0;
        seen_.mainAnswered = ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) != 0;
        seen_.currentDirectoryKept = fs::equivalent(fs::current_path(), programDirectory);
        HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
        seen_.marquee = (::GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
        seen_.text = test::windowText(::GetDlgItem(progress, IDC_PROGRESS_TEXT));
      }
      if (cancelWhen(progress)) {
        HWND button = ::GetDlgItem(progress, IDCANCEL);
        ::PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        cancelled = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  SeenRun seen_;
  std::thread thread_;
};

using Files = std::map<std::wstring, test::Bytes>;

Files filesIn(const fs::path& directory) {
  Files files;
  for (const auto& file : fs::directory_iterator(directory)) {
    if (file.is_regular_file()) files[file.path().filename().wstring()] = test::readFileBytes(file.path().u16string());
  }
  return files;
}

// Answers the question with Yes and, if given, chooses `archive` in the file
// prompt that follows.
void answerYesThenChoose(std::wstring* question, std::u16string archive = {}) {
  test::whenDialogOpens([question, archive](HWND box) {
    *question = test::windowText(::GetDlgItem(box, 0xFFFF));
    if (!archive.empty()) {
      test::whenDialogOpens([archive](HWND prompt) {
        const std::wstring path(archive.begin(), archive.end());
        // The name box is a combo box in newer templates, an edit in older ones.
        ::SetDlgItemTextW(prompt, cmb13, path.c_str());
        ::SetDlgItemTextW(prompt, edt1, path.c_str());
        ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      });
    }
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
  });
}

// A Load meets a packer that takes ten seconds: meanwhile the main window
// answers, is disabled, and has the progress window over it; Cancel ends
// the packer and leaves the tables as they were, and a run left alone ends
// as it always has.
TEST_F(MainWindow, ALoadKeepsTheWindowAnsweringAndCancelLeavesTheTablesAsTheyWere) {
  fs::copy_file(slowPacker(), dir.path() / "CRATEWORK.EXE");
  // One entry "1000-2000_0_0" holding "ABC", as the packer writes it.
  test::writeFileBytes(dir.file(u"new.cff"),
                       test::cat({test::hex("12 dd 72 dd  01 00  00 00  01 00 00 00"),
                                  test::hex("0d 00  00 00  03 00 00 00  0b 00 00 00  48 03 83 a3"),
                                  test::hex("31 30 30 30 2d 32 30 30 30 5f 30 5f 30"),
                                  test::hex("78 9c 73 74 72 06 00 01 8d 00 c7")}));
  const fs::path edition = dir.path() / "Shadow Wars";
  const Files before = filesIn(edition);
  Files unpacked = before;
  unpacked[L"1000-2000_0_0.dat"] = test::hex("41 42 43");
  const std::u16string archive = dir.file(u"new.cff");
  const struct {
    const char* label;
    bool cancel;
    std::wstring said;
    const Files& after;
  } cases[] = {
      {"cancelled", true, L"cffファイルの展開を中止しました。\nファイルは展開前のままです。", before},
      {"left alone", false, L"cffファイルを展開しました。\n" + std::wstring(archive.begin(), archive.end()), unpacked},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(edition / "1000-2000_0_0.dat");
    CMainDlg window(settings, dir.file(u"").substr(0, dir.file(u"").size() - 1));
    HWND main = window.Create(nullptr);
    ASSERT_NE(main, nullptr);
    ::ShowWindow(main, SW_SHOW);
    std::wstring question;
    std::wstring said;
    answerYesThenChoose(&question, archive);
    test::answerNextMessageBox(IDOK, &said);
    RunWatcher watcher(main, dir.path(), [&](HWND) { return c.cancel; });
    test::click(main, IDC_LOAD_CFF);
    const SeenRun seen = watcher.seen();

    EXPECT_EQ(question, L"ロードすると保存していないデータは消えます。\n続行してもよろしいですか？");
    EXPECT_TRUE(seen.progressShown);
    EXPECT_TRUE(seen.ownedByMain);
    EXPECT_TRUE(seen.mainDisabled);
    EXPECT_TRUE(seen.mainAnswered);
    EXPECT_TRUE(seen.currentDirectoryKept);
    EXPECT_TRUE(seen.marquee);
    EXPECT_EQ(seen.text, L"cffファイルを展開しています...");
    EXPECT_EQ(said, c.said);
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_EQ(filesIn(edition), c.after);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(loop.Run(), IDCANCEL);
  }
}

// An Import over many tables, cancelled once its first tables are done: it
// stops before its next table and says how many it imported; each table is
// whole, imported or as it was.
TEST_F(MainWindow, ACancelledImportStopsBetweenTablesAndSaysHowManyItImported) {
  test::writeFileBytes(dir.file(u"CRATEWORK.EXE"), {});
  constexpr int kTables = 500;
  const test::Bytes imported =
      test::cat({test::hex("0a 00 00 00  01 00 00 00 03 00  03 00 00 00"), test::utf16le(u"neu")});
  const test::Bytes exchange = test::cat({test::hex("ff fe"), test::utf16le(u"neu\r\n")});
  const fs::path edition = dir.path() / "Dragon Storm";
  for (int i = 0; i < kTables; ++i) {
    const std::u16string name = u"1000-" + asciiToUtf16(std::to_string(2000 + i)) + u"_1_1.dat";
    test::writeFileBytes((edition / name).u16string(), kTable);
    test::writeFileBytes((edition / (name + u".txt")).u16string(), exchange);
  }
  CMainDlg window(settings, dir.file(u"").substr(0, dir.file(u"").size() - 1));
  HWND main = window.Create(nullptr);
  ASSERT_NE(main, nullptr);
  ::ShowWindow(main, SW_SHOW);
  HWND tabs = ::GetDlgItem(main, IDC_EDITION_TABS);
  TabCtrl_SetCurSel(tabs, 1);
  NMHDR change{tabs, IDC_EDITION_TABS, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(main, WM_NOTIFY, IDC_EDITION_TABS, reinterpret_cast<LPARAM>(&change));

  std::wstring question;
  std::wstring said;
  answerYesThenChoose(&question);
  test::answerNextMessageBox(IDOK, &said);
  RunWatcher watcher(main, dir.path(), [](HWND progress) {
    HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
    const bool counted = (::GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) == 0;
    return counted && ::SendMessageW(bar, PBM_GETPOS, 0, 0) >= 1;
  });
  test::click(main, IDC_IMPORT);
  const SeenRun seen = watcher.seen();

  EXPECT_TRUE(seen.progressShown);
  EXPECT_TRUE(seen.ownedByMain);
  EXPECT_TRUE(seen.mainDisabled);
  EXPECT_TRUE(seen.mainAnswered);
  int changed = 0;
  for (const auto& [name, bytes] : filesIn(edition)) {
    if (!name.ends_with(L".dat")) continue;
    EXPECT_TRUE(bytes == kTable || bytes == imported) << "torn: " << toUtf8(std::u16string(name.begin(), name.end()));
    if (bytes == imported) ++changed;
  }
  EXPECT_GE(changed, 1);
  EXPECT_LT(changed, kTables);
  EXPECT_EQ(said, L"インポートを中止しました。\n中止するまでに" + std::to_wstring(changed) + L"個のファイルをインポートしました。");
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(loop.Run(), IDCANCEL);
}

}  // namespace
}  // namespace verbarium
