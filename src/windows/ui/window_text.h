#pragma once
// The program's UTF-16 texts into windows and controls: on Windows a
// char16_t is the wchar_t the system takes.

#include <windows.h>

#include <string>

namespace verbarium::ui {

inline void setWindowText(HWND window, const std::u16string& text) {
  ::SetWindowTextW(window, reinterpret_cast<const wchar_t*>(text.c_str()));
}

}  // namespace verbarium::ui
