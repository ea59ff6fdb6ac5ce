#include "ui/centre_window.h"

namespace verbarium::ui {

void centreWindow(HWND window) {
  RECT area{};
  HWND owner = ::GetWindow(window, GW_OWNER);
  if (owner != nullptr && ::IsWindowVisible(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT self{};
  ::GetWindowRect(window, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace verbarium::ui
