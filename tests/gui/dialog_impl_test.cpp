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

// A dialog whose opening or commands fail the way real handlers can: an
// allocation the machine cannot give, a container asked to grow past its
// limit, a fault.
class FailingDlg : public ui::CDialogImpl<FailingDlg> {
 public:
  enum { IDD = IDD_EDIT_TEXT };
  enum Command { kNone, kAllocate = 40001, kGrowPastLimit, kFault, kWork };

  Command failOpening = kNone;
  int workDone = 0;

 protected:
  BOOL OnInitDialog() override {
    OnCommand(failOpening, 0, nullptr);
    return TRUE;
  }
  void OnCommand(int id, int, HWND) override {
    std::vector<std::uint64_t> rows;
    switch (id) {
      case kAllocate:
        rows.resize(std::size_t{1} << 59);
        ::OutputDebugStringA(reinterpret_cast<const char*>(rows.data()));
        break;
      case kGrowPastLimit: rows.reserve(rows.max_size() + 1); break;
      case kFault: throw std::runtime_error("fault");
      case kWork: ++workDone; break;
      default: break;
    }
  }
};

TEST(DialogFramework, AFailedHandlerIsToldAndTheWindowGoesOnOrDoesNotOpen) {
  const std::wstring outOfMemory = L"メモリが不足しているため、この操作を完了できませんでした。";
  const struct { const char* label; FailingDlg::Command command; bool opening; std::wstring said; } cases[] = {
      {"no memory", FailingDlg::kAllocate, false, outOfMemory},
      {"past the limit", FailingDlg::kGrowPastLimit, false, outOfMemory},
      {"a fault", FailingDlg::kFault, false, L"予期しないエラーのため、この操作を完了できませんでした。"},
      {"no memory to open", FailingDlg::kAllocate, true, outOfMemory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FailingDlg dialog;
    std::wstring said;
    if (c.opening) {
      dialog.failOpening = c.command;
      test::answerNextMessageBox(IDOK, &said);
      EXPECT_EQ(dialog.DoModal(nullptr), 0);
    } else {
      EXPECT_EQ(test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
        test::answerNextMessageBox(IDOK, &said);
        test::click(window, c.command);
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
