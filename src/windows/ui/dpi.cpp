#include "ui/dpi.h"

#include <commctrl.h>

#include "layout/dpi_scale.h"
#include "ui/handles.h"

namespace verbarium::ui {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Systems before Windows 10 have no DPI per window: there every window has
// the screen's.
GetDpiForWindowFunction dpiForWindowFunction() {
  static const auto function = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return function;
}

}  // namespace

int windowDpi(HWND window) {
  if (GetDpiForWindowFunction dpiForWindow = dpiForWindowFunction()) {
    if (const UINT dpi = dpiForWindow(window); dpi != 0) return static_cast<int>(dpi);
  }
  const WindowDc screen(window);
  const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

void rescaleListColumns(HWND list, int fromDpi, int toDpi) {
  const int columns = Header_GetItemCount(ListView_GetHeader(list));
  for (int i = 0; i < columns; ++i) {
    ListView_SetColumnWidth(list, i, rescaledForDpi(ListView_GetColumnWidth(list, i), fromDpi, toDpi));
  }
}

}  // namespace verbarium::ui
