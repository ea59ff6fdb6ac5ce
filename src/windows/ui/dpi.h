#pragma once
// The DPI of the screen a window is on, which the lengths the windows' code
// gives in pixels of a 96 DPI screen are scaled to (layout/dpi_scale.h).

#include <windows.h>

namespace verbarium::ui {

int windowDpi(HWND window);

// Moves a window's list columns from a screen of `fromDpi` to one of `toDpi`.
// When a window goes to a screen of another DPI (WM_DPICHANGED) the system
// moves and sizes the dialog's controls, but leaves the columns as they were.
void rescaleListColumns(HWND list, int fromDpi, int toDpi);

// The DPI a WM_DPICHANGED message's wParam names.
inline int newDpi(WPARAM wParam) { return HIWORD(wParam); }

}  // namespace verbarium::ui
