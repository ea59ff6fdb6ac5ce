#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "resources/resource.h"
#include "support/dialog_driver.h"
#include "ui/dialog_impl.h"
#include "ui/progress_dlg.h"
#include "ui/win32_work_runner.h"

namespace verbarium {
namespace {

class FailingDlg : public ui::CDialogImpl<FailingDlg> {
 public:
  enum { IDD = IDD_EDIT_TEXT, kFail = 40001, kWork };
  FailingDlg(void (*fail)(), bool opening) : fail(fail), opening(opening) {}
  void (*fail)();
  bool opening;
  int workDone = 0;

 protected:
  BOOL OnInitDialog() override {
    if (opening) fail();
    return TRUE;
  }
  void OnCommand(int id, int, HWND) override {
    if (id == kFail) fail();
    workDone += id == kWork;
  }
};

TEST(DialogFramework, AFailedHandlerIsToldAndTheWindowGoesOnOrDoesNotOpen) {
  const struct { const char* label; void (*fail)(); bool opening; std::wstring said; } cases[] = {
      {"no memory", [] { throw std::bad_alloc(); }, false, L"メモリが不足しているため、この操作を完了できませんでした。"},
      {"a fault", [] { throw std::runtime_error("fault"); }, false, L"予期しないエラーのため、この操作を完了できませんでした。"},
      {"no memory to open", [] { throw std::bad_alloc(); }, true, L"メモリが不足しているため、この操作を完了できませんでした。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FailingDlg dialog(c.fail, c.opening);
    std::wstring said;
    if (c.opening) {
      test::answerNextMessageBox(IDOK, &said);
      EXPECT_EQ(dialog.DoModal(nullptr), 0);
    } else {
      EXPECT_EQ(test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
        test::answerNextMessageBox(IDOK, &said);
        test::click(window, FailingDlg::kFail);
        for (int i = 0; i < 50 && said.empty(); ++i, ::Sleep(20)) test::pumpMessages();
        test::click(window, FailingDlg::kWork);
        test::click(window, IDCANCEL);
      }), IDCANCEL);
      EXPECT_EQ(dialog.workDone, 1) << "the window still answered";
    }
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
  }
}

bool isMarquee(HWND bar) { return ::GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE; }
std::wstring shownText(HWND dialog) { return test::windowText(::GetDlgItem(dialog, IDC_PROGRESS_TEXT)); }
void poll(HWND dialog) { ::SendMessageW(dialog, WM_TIMER, 1, 0); }

// The three ways the person says Cancel.
const struct { const char* name; void (*press)(HWND dialog); } kCancels[] = {
    {"the button", [](HWND dialog) { test::click(dialog, IDCANCEL); }},
    {"Escape, as the message loop hands it to the dialog manager", [](HWND dialog) {
       MSG key{::GetDlgItem(dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
       ::IsDialogMessageW(dialog, &key);
     }},
    {"the close box", [](HWND dialog) { ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

TEST(ProgressWindow, ShowsTheWorkAsItGoesAndStaysUntilACancelledWorkHasEnded) {
  for (const auto& cancel : kCancels) {
    SCOPED_TRACE(cancel.name);
    SharedProgress progress;
    progress.showBusy(u"cffファイルを展開しています...");
    ui::CProgressDlg window(progress, u"cffファイルの展開");
    EXPECT_EQ(test::driveModal([&] { return window.DoModal(nullptr); }, [&](HWND dialog) {
      HWND button = ::GetDlgItem(dialog, IDCANCEL), bar = ::GetDlgItem(dialog, IDC_PROGRESS_BAR);
      EXPECT_EQ(test::windowText(dialog), L"cffファイルの展開");
      EXPECT_EQ(shownText(dialog), L"cffファイルを展開しています...");
      EXPECT_TRUE(isMarquee(bar)) << "no count: a bar that only moves";
      EXPECT_EQ(test::windowText(button), L"キャンセル");
      EXPECT_TRUE(::IsWindowEnabled(button));

      progress.showStep(u"1000-2000_1_2.dat", 1, 3);
      poll(dialog);
      EXPECT_EQ(shownText(dialog), L"1000-2000_1_2.dat");
      EXPECT_FALSE(isMarquee(bar));
      EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3);
      EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 1);

      // Enter neither closes the window nor cancels.
      ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      EXPECT_TRUE(::IsWindowVisible(dialog));
      EXPECT_FALSE(progress.cancelRequested());

      cancel.press(dialog);
      test::pumpMessages();  // the close box reaches Cancel through a posted command
      EXPECT_TRUE(progress.cancelRequested());
      EXPECT_EQ(shownText(dialog), L"中止しています...");
      EXPECT_FALSE(::IsWindowEnabled(button));
      poll(dialog);
      EXPECT_TRUE(::IsWindowVisible(dialog)) << "open until the work has ended";
      progress.finish();
      poll(dialog);
    }), 0);
  }
}

TEST(WorkRunner, RunsTheWorkOffTheThreadBehindAWindowOnlyWhenItTakesLong) {
  // Work that takes long waits for its window; other work ends at once.
  const struct { const char* label; bool takesLong, throws; } cases[] = {
      {"quick: no window", false, false}, {"long: the window over its owner", true, false},
      {"what the work throws is thrown by run", false, true},
  };
  HWND owner = test::showTemplate(IDD_ABOUT);
  ui::Win32WorkRunner runner(owner);
  const DWORD ui = ::GetCurrentThreadId();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    DWORD workThread = ui;
    HWND window = nullptr;
    auto work = [&](WorkProgress& progress) {
      workThread = ::GetCurrentThreadId();
      progress.showBusy(u"x");
      const int waitMs = c.takesLong ? 10000 : 100;
      for (int waited = 0; !(window = test::progressWindowOf(ui)) && waited < waitMs; waited += 20) ::Sleep(20);
      if (window != nullptr) {
        EXPECT_EQ(::GetWindow(window, GW_OWNER), owner);
        EXPECT_FALSE(::IsWindowEnabled(owner));
        EXPECT_EQ(test::windowText(window), L"タイトル");
      }
      if (c.throws) throw std::runtime_error("failed");
    };
    if (c.throws) {
      EXPECT_THROW(runner.run(u"タイトル", work), std::runtime_error);
    } else {
      runner.run(u"タイトル", work);
    }
    EXPECT_NE(workThread, ui);
    EXPECT_EQ(window != nullptr, c.takesLong);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(test::progressWindowOf(ui), nullptr);
  }
  ::DestroyWindow(owner);
}

}  // namespace
}  // namespace verbarium
