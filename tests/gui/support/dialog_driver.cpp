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

struct State {
  const std::function<void(HWND)>* steps = nullptr;
  HWND dialog = nullptr;
  UINT_PTR timer = 0, watchdog = 0, nestedTimer = 0, menuTimer = 0;
  std::function<void(HWND)> nestedSteps;
  std::vector<HWND> before;
  std::function<void(HMENU)> menuSteps;
};
State gState;

// The shown dialogs of `thread` that hold the control `id`, or all of them.
std::vector<HWND> shownDialogs(DWORD thread = ::GetCurrentThreadId(), int id = 0) {
  std::pair<std::vector<HWND>, int> found{{}, id};
  ::EnumThreadWindows(
      thread,
      [](HWND window, LPARAM param) -> BOOL {
        auto& [dialogs, id] = *reinterpret_cast<std::pair<std::vector<HWND>, int>*>(param);
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
        if (id == 0 || ::GetDlgItem(window, id) != nullptr) dialogs.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.first;
}

void CALLBACK onDriveTimer(HWND, UINT, UINT_PTR, DWORD) {
  auto dialogs = shownDialogs();
  if (gState.dialog != nullptr || dialogs.empty()) return;
  ::KillTimer(nullptr, gState.timer);
  (*gState.steps)(gState.dialog = dialogs.front());
  // The dialog ends once its loop runs again; if it does not, end it.
  gState.watchdog = ::SetTimer(nullptr, 0, kWatchdogMs, [](HWND, UINT, UINT_PTR, DWORD) {
    ::KillTimer(nullptr, gState.watchdog);
    if (!::IsWindow(gState.dialog)) return;
    ADD_FAILURE() << "the steps left the dialog open";
    ::EndDialog(gState.dialog, -1);
  });
}

void CALLBACK onNestedTimer(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND window : shownDialogs()) {
    if (std::find(gState.before.begin(), gState.before.end(), window) != gState.before.end()) continue;
    if (::GetDlgItem(window, IDC_PROGRESS_BAR) != nullptr) continue;
    ::KillTimer(nullptr, gState.nestedTimer);
    std::exchange(gState.nestedSteps, nullptr)(window);
    return;
  }
}

void CALLBACK onMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
  auto menu = menuWindow && ::IsWindowVisible(menuWindow)
                  ? reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0))
                  : nullptr;
  if (menu == nullptr) return;
  ::KillTimer(nullptr, gState.menuTimer);
  std::exchange(gState.menuSteps, nullptr)(menu);
}

}  // namespace

INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND)>& steps) {
  gState.steps = &steps;
  gState.dialog = nullptr;
  gState.timer = ::SetTimer(nullptr, 0, kPollMs, onDriveTimer);
  INT_PTR result = show();
  ::KillTimer(nullptr, gState.timer);
  if (gState.watchdog) ::KillTimer(nullptr, std::exchange(gState.watchdog, 0));
  EXPECT_NE(gState.dialog, nullptr) << "the dialog never showed";
  return result;
}

void whenDialogOpens(std::function<void(HWND)> steps) {
  gState.nestedSteps = std::move(steps);
  gState.before = shownDialogs();
  gState.nestedTimer = ::SetTimer(nullptr, 0, kPollMs, onNestedTimer);
}

void whenMenuOpens(std::function<void(HMENU)> steps) {
  gState.menuSteps = std::move(steps);
  gState.menuTimer = ::SetTimer(nullptr, 0, kPollMs, onMenuTimer);
}

void answerNextMessageBox(int button, std::wstring* text) {
  whenDialogOpens([button, text](HWND box) {
    if (text) *text = windowText(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  });
}

HWND progressWindowOf(DWORD ui) {
  const auto found = shownDialogs(ui, IDC_PROGRESS_BAR);
  return found.empty() ? nullptr : found.front();
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

std::wstring listCell(HWND list, int row, int column) {
  std::wstring text(4096, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  text.resize(static_cast<std::size_t>(::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item))));
  return text;
}

void click(HWND dialog, int id) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void pumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (::IsDialogMessageW(::GetActiveWindow(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

std::filesystem::path builtProgram(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return std::filesystem::path(path).make_preferred();
}

}  // namespace verbarium::test
