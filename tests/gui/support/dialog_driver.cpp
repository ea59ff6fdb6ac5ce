#include "support/dialog_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace verbarium::test {

namespace {

constexpr UINT kPollMs = 20;

constexpr UINT kWatchdogMs = 5000;

struct DriveState {
  const std::function<void(HWND)>* steps = nullptr;
  bool started = false;
  UINT_PTR timer = 0;
  HWND dialog = nullptr;
  UINT_PTR watchdog = 0;
};
DriveState gDrive;

struct AnswerState {
  int button = 0;
  std::wstring* text = nullptr;
  UINT_PTR timer = 0;
};
AnswerState gAnswer;

std::vector<HWND> shownDialogs() {
  std::vector<HWND> found;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}


void CALLBACK onDriveTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (gDrive.started) return;
  auto dialogs = shownDialogs();
  if (dialogs.empty()) return;
  gDrive.started = true;
  ::KillTimer(nullptr, gDrive.timer);
  gDrive.dialog = dialogs.front();
  (*gDrive.steps)(gDrive.dialog);
  // The dialog ends once its loop runs again; if it does not, end it.
  gDrive.watchdog = ::SetTimer(nullptr, 0, kWatchdogMs, [](HWND, UINT, UINT_PTR, DWORD) {
    ::KillTimer(nullptr, gDrive.watchdog);
    if (::IsWindow(gDrive.dialog)) {
      ADD_FAILURE() << "the steps left the dialog open";
      ::EndDialog(gDrive.dialog, -1);
    }
  });
}

void CALLBACK onAnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
  // A message box is the newest shown dialog that holds the icon/text static.
  for (HWND window : shownDialogs()) {
    HWND button = ::GetDlgItem(window, gAnswer.button);
    HWND textControl = ::GetDlgItem(window, 0xFFFF);
    if (button == nullptr || textControl == nullptr) continue;
    ::KillTimer(nullptr, gAnswer.timer);
    if (gAnswer.text) *gAnswer.text = windowText(textControl);
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(gAnswer.button, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return;
  }
}

struct NestedState {
  std::function<void(HWND)> dialogSteps;
  std::vector<HWND> before;
  UINT_PTR timer = 0;
  std::function<void(HMENU)> menuSteps;
  UINT_PTR menuTimer = 0;
};
NestedState gNested;

void CALLBACK onNestedTimer(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND window : shownDialogs()) {
    if (std::find(gNested.before.begin(), gNested.before.end(), window) != gNested.before.end()) continue;
    ::KillTimer(nullptr, gNested.timer);
    auto steps = std::move(gNested.dialogSteps);
    steps(window);
    return;
  }
}

void CALLBACK onMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
  if (menuWindow == nullptr || !::IsWindowVisible(menuWindow)) return;
  auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  if (menu == nullptr) return;
  ::KillTimer(nullptr, gNested.menuTimer);
  auto steps = std::move(gNested.menuSteps);
  steps(menu);
}

}  // namespace

void whenDialogOpens(std::function<void(HWND)> steps) {
  gNested.dialogSteps = std::move(steps);
  gNested.before = shownDialogs();
  gNested.timer = ::SetTimer(nullptr, 0, kPollMs, onNestedTimer);
}

void whenMenuOpens(std::function<void(HMENU)> steps) {
  gNested.menuSteps = std::move(steps);
  gNested.menuTimer = ::SetTimer(nullptr, 0, kPollMs, onMenuTimer);
}

INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND)>& steps) {
  gDrive = {};
  gDrive.steps = &steps;
  gDrive.timer = ::SetTimer(nullptr, 0, kPollMs, onDriveTimer);
  INT_PTR result = show();
  ::KillTimer(nullptr, gDrive.timer);
  if (gDrive.watchdog) ::KillTimer(nullptr, gDrive.watchdog);
  EXPECT_TRUE(gDrive.started) << "the dialog never showed";
  return result;
}

void answerNextMessageBox(int button, std::wstring* text) {
  gAnswer.button = button;
  gAnswer.text = text;
  gAnswer.timer = ::SetTimer(nullptr, 0, kPollMs, onAnswerTimer);
}

HWND progressWindowOf(DWORD ui) {
  HWND found = nullptr;
  ::EnumThreadWindows(
      ui,
      [](HWND window, LPARAM param) -> BOOL {
        if (!::IsWindowVisible(window) || ::GetDlgItem(window, IDC_PROGRESS_BAR) == nullptr) return TRUE;
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring windowText(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

std::wstring listCell(HWND list, int row, int column) {
  std::wstring text(4096, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  auto length = ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void click(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void pumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!::IsDialogMessageW(::GetActiveWindow(), &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

}  // namespace verbarium::test
