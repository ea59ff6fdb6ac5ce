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

  void OnCommand(int id, int, HWND) override {
    switch (id) {
      case kAllocate: hugeAllocation(); break;
      case kGrowPastLimit: {
        std::vector<std::uint64_t> rows;
        rows.reserve(rows.max_size() + 1);
        break;
      }
      case kFault: throw std::runtime_error("fault");
      case kWork: ++workDone; break;
      default: break;
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

// A dialog that overrides nothing but OnCommand, which keeps what it is given.
class PlainDlg : public ui::CDialogImpl<PlainDlg> {
 public:
  enum { IDD = IDD_ABOUT };

  struct Command {
    int id;
    int notifyCode;
    HWND control;
    bool operator==(const Command&) const = default;
  };
  std::vector<Command> commands;

 protected:
  void OnCommand(int id, int notifyCode, HWND control) override { commands.push_back({id, notifyCode, control}); }
};

// The ways a person closes a dialog, as the system hands them on.
struct CloseWay {
  const char* name;
  UINT message;
  WPARAM wParam;
  INT_PTR result;
};
const CloseWay kCloseWays[] = {
    {"Enter, on the default button OK", WM_KEYDOWN, VK_RETURN, IDOK},
    {"Escape", WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
    {"the close box", WM_SYSCOMMAND, SC_CLOSE, IDCANCEL},
};

void press(HWND window, const CloseWay& way) {
  if (way.message == WM_KEYDOWN) {
    // As the message loop hands a key to the dialog manager.
    MSG key{window, WM_KEYDOWN, way.wParam, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(window, &key)) << way.name;
  } else {
    ::PostMessageW(window, way.message, way.wParam, 0);
  }
}

TEST(DialogFramework, OkAndCancelEndAModalDialogWithTheirIds) {
  for (const CloseWay& way : kCloseWays) {
    PlainDlg dialog;
    INT_PTR result =
        test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) { press(window, way); });
    EXPECT_EQ(result, way.result) << way.name;
    EXPECT_TRUE(dialog.commands.empty()) << way.name << " reached OnCommand";
    EXPECT_EQ(dialog.m_hWnd, nullptr) << way.name;
  }
}

TEST(DialogFramework, OkAndCancelDestroyAModelessDialog) {
  for (const CloseWay& way : kCloseWays) {
    PlainDlg dialog;
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr) << way.name;
    press(window, way);
    test::pumpMessages();
    EXPECT_FALSE(::IsWindow(window)) << way.name;
    EXPECT_EQ(dialog.m_hWnd, nullptr) << way.name;
    EXPECT_TRUE(dialog.commands.empty()) << way.name << " reached OnCommand";
  }
}

TEST(DialogFramework, OtherCommandsReachOnCommandDecoded) {
  PlainDlg dialog;
  HWND window = dialog.Create(nullptr);
  ASSERT_NE(window, nullptr);
  HWND button = ::GetDlgItem(window, IDOK);
  const PlainDlg::Command sent[] = {
      {40010, BN_CLICKED, button},    // a button
      {40011, 0, nullptr},            // a menu item
      {40012, 1, nullptr},            // an accelerator
      {0xFFFF, CBN_SELENDOK, button},  // a notification, from the highest id
  };
  for (const auto& command : sent) {
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(command.id, command.notifyCode),
                   reinterpret_cast<LPARAM>(command.control));
  }
  EXPECT_EQ(dialog.commands, std::vector<PlainDlg::Command>(std::begin(sent), std::end(sent)));
  EXPECT_TRUE(::IsWindow(window)) << "no command but OK and Cancel closes";
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace verbarium
