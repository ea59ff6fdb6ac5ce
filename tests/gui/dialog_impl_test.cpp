#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/dialog_driver.h"
#include "ui/dialog_impl.h"

namespace verbarium {
namespace {

// A dialog whose commands fail the way real handlers can: an allocation the
// machine cannot give, a container asked to grow past its limit, a fault.
class FailingDlg : public ui::CDialogImpl<FailingDlg> {
 public:
  enum { IDD = IDD_EDIT_TEXT };
  enum Command { kAllocate = 40001, kGrowPastLimit, kFault, kWork };

  bool failOpening = false;
  int workDone = 0;

 protected:
  BOOL OnInitDialog() override {
    if (failOpening) hugeAllocation();
    return TRUE;
  }

  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) override {
    if (message != WM_COMMAND) return false;
    switch (LOWORD(wParam)) {
      case kAllocate: hugeAllocation(); return true;
      case kGrowPastLimit: {
        std::vector<std::uint64_t> rows;
        rows.reserve(rows.max_size() + 1);
        return true;
      }
      case kFault: throw std::runtime_error("fault");
      case kWork: ++workDone; return true;
      case IDCANCEL: ::EndDialog(m_hWnd, IDCANCEL); return true;
      default: return false;
    }
  }

 private:
  static void hugeAllocation() {
    std::u16string text(std::size_t{1} << 60, u'x');
    ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(text.c_str()));
  }
};

TEST(DialogFramework, AFailedCommandIsToldAndTheWindowGoesOn) {
  FailingDlg dialog;
  INT_PTR result = test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
    const std::pair<int, std::wstring> cases[] = {
        {FailingDlg::kAllocate, L"メモリが不足しているため、この操作を完了できませんでした。"},
        {FailingDlg::kGrowPastLimit, L"メモリが不足しているため、この操作を完了できませんでした。"},
        {FailingDlg::kFault, L"予期しないエラーのため、この操作を完了できませんでした。"},
    };
    for (const auto& [command, text] : cases) {
      std::wstring said;
      test::answerNextMessageBox(IDOK, &said);
      test::click(window, command);
      EXPECT_EQ(said, text) << command;
      EXPECT_TRUE(::IsWindowVisible(window)) << command;
    }
    test::click(window, FailingDlg::kWork);
    test::click(window, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dialog.workDone, 1) << "the window still answered";
}

TEST(DialogFramework, AWindowThatFailsToOpenIsToldAndClosed) {
  FailingDlg dialog;
  dialog.failOpening = true;
  std::wstring said;
  test::answerNextMessageBox(IDOK, &said);
  EXPECT_EQ(dialog.DoModal(nullptr), 0);
  EXPECT_EQ(said, L"メモリが不足しているため、この操作を完了できませんでした。");
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

}  // namespace
}  // namespace verbarium
