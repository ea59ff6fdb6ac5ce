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
struct Watch {
  std::function<HWND()> find;
  std::function<void(HWND)> steps;
};
std::map<UINT_PTR, Watch> gWatches;

void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  const auto watch = gWatches.find(timer);
  HWND found = watch == gWatches.end() ? nullptr : watch->second.find();
  if (found == nullptr) return;
  ::KillTimer(nullptr, timer);
  const auto steps = std::move(watch->second.steps);
  gWatches.erase(watch);
  steps(found);
}

void whenFound(std::function<HWND()> find, std::function<void(HWND)> steps) {
  gWatches[::SetTimer(nullptr, 0, 20, onTimer)] = {std::move(find), std::move(steps)};
}

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

}  // namespace

INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND)>& steps) {
  HWND shown = nullptr;
  whenFound([] { const auto dialogs = shownDialogs(); return dialogs.empty() ? nullptr : dialogs.front(); },
            [&](HWND dialog) {
              steps(shown = dialog);
              // The dialog ends once its loop runs again; if it does not, end it.
              whenFound([dialog, end = ::GetTickCount() + 5000] { return ::GetTickCount() > end ? dialog : nullptr; },
                        [](HWND dialog) {
                          if (!::IsWindow(dialog)) return;
                          ADD_FAILURE() << "the steps left the dialog open";
                          ::EndDialog(dialog, -1);
                        });
            });
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
  const auto found = shownDialogs(ui, IDC_PROGRESS_BAR);
  return found.empty() ? nullptr : found.front();
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

std::filesystem::path builtProgram(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return std::filesystem::path(path).make_preferred();
}

}  // namespace verbarium::test
