#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "resources/resource.h"
#include "support/dialog_driver.h"
#include "ui/dialog_impl.h"

namespace verbarium {
namespace {

class FailingDlg : public ui::CDialogImpl<FailingDlg> {
 public:
  enum { IDD = IDD_EDIT_TEXT, kFail = 40001, kWork };
  void (*failOpening)() = nullptr;
  void (*fail)() = nullptr;
  int workDone = 0;

 protected:
  BOOL OnInitDialog() override {
    if (failOpening) failOpening();
    return TRUE;
  }
  void OnCommand(int id, int, HWND) override {
    if (id == kFail) fail();
    workDone += id == kWork;
  }
};

TEST(DialogFramework, AFailedHandlerIsToldAndTheWindowGoesOnOrDoesNotOpen) {
  const std::wstring outOfMemory = L"メモリが不足しているため、この操作を完了できませんでした。";
  const struct { const char* label; void (*fail)(); bool opening; std::wstring said; } cases[] = {
      {"no memory", [] { throw std::bad_alloc(); }, false, outOfMemory},
      {"a fault", [] { throw std::runtime_error("fault"); }, false,
       L"予期しないエラーのため、この操作を完了できませんでした。"},
      {"no memory to open", [] { throw std::bad_alloc(); }, true, outOfMemory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FailingDlg dialog;
    std::wstring said;
    if (c.opening) {
      dialog.failOpening = c.fail;
      test::answerNextMessageBox(IDOK, &said);
      EXPECT_EQ(dialog.DoModal(nullptr), 0);
    } else {
      dialog.fail = c.fail;
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

}  // namespace
}  // namespace verbarium
