#pragma once
// RAII owners of the Win32 handles the windows use. Each closes its handle
// exactly once, on every way out.

#include <windows.h>

#include <utility>

namespace verbarium::ui {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle handle = Traits::invalid()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::CloseHandle(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DestroyMenu(h); }
};

struct GlobalMemoryTraits {
  using Handle = HGLOBAL;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::GlobalFree(h); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DestroyIcon(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
// Memory handed to the clipboard belongs to it: release() it after a
// successful SetClipboardData.
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using IconHandle = UniqueHandle<IconTraits>;

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
