#include "support/dialog_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog_impl.h"

namespace verbarium::test {

namespace {

// Each thread timer looks for its window until it is shown, then runs its
// steps once; the timers fire inside any loop the thread runs, a modal one too.
std::map<UINT_PTR, std::pair<std::function<HWND()>, std::function<void(HWND)>>> gWatches;

void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  const auto watch = gWatches.find(timer);
  HWND found = watch == gWatches.end() ? nullptr : watch->second.first();
  if (found == nullptr) return;
  ::KillTimer(nullptr, timer);
  const auto steps = std::move(watch->second.second);
  gWatches.erase(watch);
  steps(found);
}

void whenFound(std::function<HWND()> find, std::function<void(HWND)> steps) {
  gWatches[::SetTimer(nullptr, 0, 20, onTimer)] = {std::move(find), std::move(steps)};
}

}  // namespace

std::vector<HWND> shownDialogs(DWORD thread) {
  std::vector<HWND> dialogs;
  for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
    if (::GetWindowThreadProcessId(window, nullptr) == thread && ::IsWindowVisible(window)) dialogs.push_back(window);
  }
  return dialogs;
}

INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND)>& steps) {
  HWND shown = nullptr;
  whenFound([] { const auto dialogs = shownDialogs(); return dialogs.empty() ? nullptr : dialogs.front(); },
            [&](HWND dialog) { steps(shown = dialog); });
  const INT_PTR result = show();
  for (const auto& watch : gWatches) ::KillTimer(nullptr, watch.first);
  gWatches.clear();
  EXPECT_NE(shown, nullptr) << "the dialog never showed";
  return result;
}

void whenDialogOpens(std::function<void(HWND)> steps) {
  whenFound(
      [before = shownDialogs()]() -> HWND {
        for (HWND window : shownDialogs()) {
          const bool isNew = std::find(before.begin(), before.end(), window) == before.end();
          if (isNew && ::GetDlgItem(window, IDC_PROGRESS_BAR) == nullptr) return window;
        }
        return nullptr;
      },
      std::move(steps));
}

void whenMenuOpens(std::function<void(HMENU)> steps) {
  const auto menuOf = [](HWND window) { return reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0)); };
  whenFound([menuOf]() -> HWND {
    HWND window = ::FindWindowW(L"#32768", nullptr);
    return window && ::IsWindowVisible(window) && menuOf(window) ? window : nullptr;
  }, [menuOf, steps = std::move(steps)](HWND window) { steps(menuOf(window)); });
}

void answerNextMessageBox(int button, std::wstring* text) {
  whenDialogOpens([button, text](HWND box) {
    if (text) *text = windowText(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  });
}

HWND progressWindowOf(DWORD ui) {
  for (HWND dialog : shownDialogs(ui)) {
    if (::GetDlgItem(dialog, IDC_PROGRESS_BAR) != nullptr) return dialog;
  }
  return nullptr;
}

HWND showTemplate(int id) {
  const DLGPROC plain = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; };
  HWND dialog = ::CreateDialogParamW(ui::moduleInstance(), MAKEINTRESOURCEW(id), nullptr, plain, 0);
  EXPECT_NE(dialog, nullptr) << "template " << id;
  ::ShowWindow(dialog, SW_SHOW);
  return dialog;
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

std::wstring listCell(HWND list, int row, int column) {
  std::wstring text(4096, L'\0');
  LVITEMW item{0, 0, column, 0, 0, text.data(), static_cast<int>(text.size())};
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

}  // namespace verbarium::test
