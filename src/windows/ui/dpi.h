#pragma once
// The DPI of the screen a window is on, which the lengths the windows' code
// gives in pixels of a 96 DPI screen are scaled to (layout/dpi_scale.h).

#include <windows.h>

namespace verbarium::ui {

int windowDpi(HWND window);

}  // namespace verbarium::ui
