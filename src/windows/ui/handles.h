#pragma once
// The kinds of handle the windows own, each in the one handle owner, and
// the clipboard held open.

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace verbarium::ui {

struct MenuTraits : NullIsNoneTraits<HMENU> {
  static void close(Handle h) { ::DestroyMenu(h); }
};

struct GlobalMemoryTraits : NullIsNoneTraits<HGLOBAL> {
  static void close(Handle h) { ::GlobalFree(h); }
};

struct IconTraits : NullIsNoneTraits<HICON> {
  static void close(Handle h) { ::DestroyIcon(h); }
};

using MenuHandle = UniqueHandle<MenuTraits>;
// Memory handed to the clipboard belongs to it: release() it after a
// successful SetClipboardData.
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using IconHandle = UniqueHandle<IconTraits>;

// A window's device context, for the span of one look at it.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The clipboard, open for the span of one operation.
class OpenClipboard {
 public:
  explicit OpenClipboard(HWND owner) : open_(::OpenClipboard(owner) != 0) {}
  OpenClipboard(const OpenClipboard&) = delete;
  OpenClipboard& operator=(const OpenClipboard&) = delete;
  ~OpenClipboard() {
    if (open_) ::CloseClipboard();
  }
  bool isOpen() const { return open_; }

 private:
  bool open_;
};

}  // namespace verbarium::ui
