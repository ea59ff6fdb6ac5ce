#pragma once
// Drives modal dialogs from inside their own message loop: thread timers
// find a dialog, a message box or a menu once it is shown and run the test's
// steps against it.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace verbarium::test {

// Shows the dialog with `show` (which returns when it ends) and runs `steps`
// once it is up. The steps must end the dialog.
INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND dialog)>& steps);
// Runs `steps` on the next dialog the thread shows (a nested modal dialog,
// a message box, a file prompt; never a progress window, which comes and
// goes on its own); the steps must end it.
void whenDialogOpens(std::function<void(HWND dialog)> steps);
// Runs `steps` on the next popup menu the thread shows; they must end it.
void whenMenuOpens(std::function<void(HMENU menu)> steps);
// Presses `button` of the next message box and keeps its text in `text`.
void answerNextMessageBox(int button, std::wstring* text);

// The shown dialogs and message boxes of `thread`; any thread may ask.
std::vector<HWND> shownDialogs(DWORD thread = ::GetCurrentThreadId());
// The progress window that the thread `ui` shows, or null; any thread may ask.
HWND progressWindowOf(DWORD ui);

// A dialog template shown as it is, with none of its dialog's own work.
HWND showTemplate(int id);
std::wstring windowText(HWND window);
std::wstring listCell(HWND list, int row, int column);
void click(HWND dialog, int id);
// Pumps the thread's pending messages (posted clicks, repaints).
void pumpMessages();

}  // namespace verbarium::test
