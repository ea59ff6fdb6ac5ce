#include "ui/command_failure.h"

namespace verbarium::ui {

void showCommandFailure(HWND owner, CommandFailure failure) {
  if (failure == CommandFailure::None) return;
  const wchar_t* text = failure == CommandFailure::OutOfMemory ? kOutOfMemory : kUnexpectedFailure;
  ::MessageBoxW(owner, text, kFailureCaption, MB_OK | MB_ICONHAND);
}

}  // namespace verbarium::ui
