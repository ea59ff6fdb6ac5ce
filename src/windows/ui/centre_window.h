#pragma once
// Where a window opens when no stored placement says otherwise.

#include <windows.h>

namespace verbarium::ui {

// Centres a window on its owner, or on the screen's work area when it has
// no owner or the owner is hidden.
void centreWindow(HWND window);

}  // namespace verbarium::ui
