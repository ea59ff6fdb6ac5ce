#pragma once
// Drives a modal dialog from inside its own message loop: a thread timer
// finds the dialog once it is shown and runs the test's steps against it.

#include <windows.h>

#include <functional>
#include <string>

namespace verbarium::test {

// Shows the dialog with `show` (which returns when it ends) and runs `steps`
// once it is up. The steps must end the dialog; if they do not, it is ended
// for them and the test fails.
INT_PTR driveModal(const std::function<INT_PTR()>& show, const std::function<void(HWND dialog)>& steps);

// Runs `steps` on the next dialog the thread shows (a nested modal dialog,
// a message box); the steps must end it.
void whenDialogOpens(std::function<void(HWND dialog)> steps);
// Runs `steps` on the next popup menu the thread shows; the steps must end
// it (EndMenu).
void whenMenuOpens(std::function<void(HMENU menu)> steps);

// The next message box the thread shows is answered with `button`; its text
// goes to `text`.
void answerNextMessageBox(int button, std::wstring* text);

// The progress window that the thread `ui` shows, or null; any thread may ask.
HWND progressWindowOf(DWORD ui);

std::wstring windowText(HWND window);
std::wstring listCell(HWND list, int row, int column);
void click(HWND dialog, int id);
// Pumps the thread's pending messages (posted clicks, repaints).
void pumpMessages();

}  // namespace verbarium::test
