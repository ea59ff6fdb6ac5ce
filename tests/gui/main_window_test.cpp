#include <windows.h>
#include <commctrl.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "app/main_dlg.h"
#include "archive/current_directory_scope.h"
#include "platform/utf.h"
#include "platform/win32/unique_handle.h"
#include "support/dialog_driver.h"
#include "support/packer_on_path.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"
#include "ui/message_loop.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;

const test::Bytes kTable = test::sixByteTable({u"ok"});

// The tables of an edition, without the restore points that runs keep.
test::FileTree tablesIn(const fs::path& edition) { return test::restorePointsByName(test::treeOf(edition), false); }

using Said = std::pair<std::wstring, std::wstring>;

struct MainWindow : testing::Test {
  test::TempDir dir;
  AppSettings settings;
  ui::CMessageLoop loop;
  CurrentDirectoryScope in{dir.pathText()};
  std::optional<CMainDlg> window;
  HWND main = nullptr;

  MainWindow() {
    test::layTree(dir.path(), {{"Shadow Wars/1000-2000_1_1.dat", kTable}, {"Shadow Wars/notes.dat", kTable},
                               {"Dragon Storm/", {}}, {"Faith in Destiny/", {}}, {"Verbarium.ini", {}}});
    ui::setCurrentMessageLoop(&loop);
  }
  ~MainWindow() override { ui::setCurrentMessageLoop(nullptr); }
  void open(int tab) {
    main = window.emplace(settings, dir.pathText()).Create(nullptr);
    ::ShowWindow(main, SW_SHOW);
    HWND tabs = ::GetDlgItem(main, IDC_EDITION_TABS);
    TabCtrl_SetCurSel(tabs, tab);
    NMHDR change{tabs, IDC_EDITION_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(main, WM_NOTIFY, IDC_EDITION_TABS, reinterpret_cast<LPARAM>(&change));
  }
  // The close box and Alt+F4: the window goes, and the loop ends with Cancel's id.
  void close(UINT message) {
    ::PostMessageW(main, message, SC_CLOSE, 0);
    EXPECT_EQ(loop.Run(), IDCANCEL);
    EXPECT_FALSE(::IsWindow(main));
  }

  // Clicks `command`, answers its question with Yes, chooses `archive` in the
  // file prompt if one is given, and OKs the message at the end; gives the
  // question and the message. Another thread watches the run from the
  // progress window's first showing and presses its Cancel once `cancelWhen` holds.
  Said run(int command, std::u16string archive, const std::function<bool(HWND progress)>& cancelWhen) {
    Said seen;
    test::whenDialogOpens([&seen, archive](HWND box) {
      seen.first = test::windowText(::GetDlgItem(box, 0xFFFF));
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
      if (archive.empty()) return test::answerNextMessageBox(IDOK, &seen.second);
      test::whenDialogOpens([&seen, archive](HWND prompt) {
        // The name box is a combo box in newer templates, an edit in older ones.
        ::SetDlgItemTextW(prompt, cmb13, reinterpret_cast<const wchar_t*>(archive.c_str()));
        ::SetDlgItemTextW(prompt, edt1, reinterpret_cast<const wchar_t*>(archive.c_str()));
        test::answerNextMessageBox(IDOK, &seen.second);
        ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      });
    });
    bool shown = false;
    std::thread watcher([&] {
      const DWORD ui = ::GetWindowThreadProcessId(main, nullptr);
      for (int waited = 0; waited < 30000; waited += 20, ::Sleep(20)) {
        HWND progress = test::progressWindowOf(ui);
        if (progress == nullptr && shown) return;  // the run has ended
        if (progress != nullptr && !std::exchange(shown, true)) {
          // The run goes on off the window's thread, which still answers.
          DWORD_PTR answer = 0;
          EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path())) << "the run moved the current directory";
          EXPECT_NE(::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0) << "hung";
        }
        if (progress != nullptr && cancelWhen(progress)) {
          ::PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
          return;
        }
      }
    });
    test::click(main, command);
    watcher.join();
    EXPECT_TRUE(shown) << "no progress window";
    EXPECT_TRUE(::IsWindowEnabled(main));
    return seen;
  }
};

// A Load meets a packer that takes ten seconds: meanwhile the main window
// answers; Cancel ends the packer and leaves the tables as they were, and a
// run left alone ends as it always has.
TEST_F(MainWindow, ALoadKeepsTheWindowAnsweringAndCancelLeavesTheTablesAsTheyWere) {
  fs::copy_file(fs::path(test::builtPath(VERBARIUM_SLOW_PACKER)), dir.path() / "CRATEWORK.EXE");
  // One entry "1000-2000_0_0" holding "ABC", as the packer writes it.
  const std::u16string archive = dir.file(u"new.cff");
  test::writeFileBytes(archive, test::hex("12 dd 72 dd  01 00  00 00  01 00 00 00 "
                                          "0d 00  00 00  03 00 00 00  0b 00 00 00  48 03 83 a3 "
                                          "31 30 30 30 2d 32 30 30 30 5f 30 5f 30 "
                                          "78 9c 73 74 72 06 00 01 8d 00 c7"));
  const fs::path edition = dir.path() / "Shadow Wars";
  const test::FileTree before = tablesIn(edition);
  test::FileTree unpacked = before;
  unpacked["1000-2000_0_0.dat"] = test::hex("41 42 43");
  const struct { bool cancel; std::wstring said; const test::FileTree& after; const wchar_t* firstRow; } cases[] = {
      {true, L"cffファイルの展開を中止しました。\nファイルは展開前のままです。", before, L"1000-2000_1_1.dat"},
      {false, L"cffファイルを展開しました。\n" + std::wstring(archive.begin(), archive.end()), unpacked,
       L"1000-2000_0_0.dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cancel ? "cancelled" : "left alone");
    open(0);
    const auto [question, said] = run(IDC_LOAD_CFF, archive, [&](HWND) { return c.cancel; });
    EXPECT_EQ(question, L"ロードすると保存していないデータは消えます。\n続行してもよろしいですか？");
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(tablesIn(edition), c.after);
    // The list shows the tables the run left.
    EXPECT_EQ(test::listCell(::GetDlgItem(main, IDC_TABLE_LIST), 0, 0), c.firstRow);
    close(c.cancel ? WM_CLOSE : WM_SYSCOMMAND);
  }
}

// An Import over many tables, cancelled once its first tables are done: it
// stops before its next table and says how many it imported; each table is
// whole, imported or as it was.
TEST_F(MainWindow, ACancelledImportStopsBetweenTablesAndSaysHowManyItImported) {
  test::layTree(dir.path(), {{"CRATEWORK.EXE", {}}});
  constexpr int kTables = 500;
  const test::Bytes imported = test::sixByteTable({u"neu"});
  const test::Bytes exchange = test::cat({test::hex("ff fe"), test::utf16le(u"neu\r\n")});
  const fs::path edition = dir.path() / "Dragon Storm";
  for (int i = 0; i < kTables; ++i) {
    const std::u16string name = u"1000-" + asciiToUtf16(std::to_string(2000 + i)) + u"_1_1.dat";
    test::writeFileBytes((edition / name).u16string(), kTable);
    test::writeFileBytes((edition / (name + u".txt")).u16string(), exchange);
  }
  open(1);
  const auto said = run(IDC_IMPORT, {}, [](HWND progress) {
    HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
    const bool counted = (::GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) == 0;
    return counted && ::SendMessageW(bar, PBM_GETPOS, 0, 0) >= 1;
  }).second;
  int changed = 0;
  for (const auto& [name, bytes] : tablesIn(edition)) {
    if (!name.ends_with(".dat")) continue;
    EXPECT_TRUE(bytes == kTable || bytes == imported) << "torn: " << name;
    changed += bytes == imported;
  }
  EXPECT_GE(changed, 1);
  EXPECT_LT(changed, kTables);
  EXPECT_EQ(said, L"インポートを中止しました。\n中止するまでに" + std::to_wstring(changed) + L"個のファイルをインポートしました。");
  EXPECT_EQ(ListView_GetItemCount(::GetDlgItem(main, IDC_TABLE_LIST)), kTables);
  close(WM_CLOSE);
}

// The program as a process: one instance, its exit code, its settings at the end.

constexpr DWORD kWaitMs = 20000;

// The process and its first thread, which shows its windows.
struct Process { KernelHandle handle; DWORD thread = 0; };

Process start(const test::TempDir& dir) {
  std::wstring commandLine = L"\"" + (dir.path() / "Verbarium.exe").wstring() + L"\"";
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  // A start that fails leaves no thread, whose windows are then never found.
  ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, 0, 0, nullptr, dir.path().c_str(), &startup, &info);
  if (info.hThread) ::CloseHandle(info.hThread);
  return {KernelHandle(info.hProcess), info.dwThreadId};
}

// A shown dialog of the process, with `title` if one is given.
HWND dialogOf(const Process& process, const wchar_t* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50, ::Sleep(50)) {
    for (HWND dialog : test::shownDialogs(process.thread)) {
      if (title == nullptr || test::windowText(dialog) == title) return dialog;
    }
  }
  return nullptr;
}

DWORD exitCodeOf(const Process& process) {
  DWORD code = STILL_ACTIVE;
  const bool ended = ::WaitForSingleObject(process.handle.get(), kWaitMs) == WAIT_OBJECT_0;
  return ended && ::GetExitCodeProcess(process.handle.get(), &code) ? code : STILL_ACTIVE;
}

TEST(Program, ASecondInstanceIsRefusedAndTheFirstWritesItsSettingsAtTheEnd) {
  test::TempDir dir;
  fs::copy_file(fs::path(test::builtPath(VERBARIUM_EXE)), dir.path() / "Verbarium.exe");
  const test::Bytes oldSettings = test::hex("ff fe");
  test::layTree(dir.path(), {{"CRATEWORK.EXE", {}}, {"Verbarium.ini", oldSettings}});

  Process first = start(dir);
  HWND main = dialogOf(first, L"Verbarium [Beta 3]");
  ASSERT_NE(main, nullptr);
  Process second = start(dir);
  HWND refusal = dialogOf(second, nullptr);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(test::windowText(::GetDlgItem(refusal, 0xFFFF)), L"Verbarium の多重起動はできません。");
  ::PostMessageW(refusal, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(exitCodeOf(second), 0u);
  EXPECT_EQ(test::readFileBytes(dir.file(u"Verbarium.ini")), oldSettings) << "the refused instance wrote nothing";

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(exitCodeOf(first), static_cast<DWORD>(IDCANCEL));
  EXPECT_GT(test::readFileBytes(dir.file(u"Verbarium.ini")).size(), oldSettings.size()) << "written at the end";
}

}  // namespace
}  // namespace verbarium
