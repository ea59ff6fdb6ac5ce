#include "ui/win32_clipboard.h"

#include <cstring>

#include "ui/handles.h"

namespace verbarium::ui {

namespace {

// Holds the clipboard data's memory locked for as long as it is read.
class GlobalLock {
 public:
  explicit GlobalLock(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
  GlobalLock(const GlobalLock&) = delete;
  GlobalLock& operator=(const GlobalLock&) = delete;
  ~GlobalLock() {
    if (data_) ::GlobalUnlock(memory_);
  }
  void* data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace

bool Win32Clipboard::hasClipboardText() {
  OpenClipboard clipboard(owner_);
  return clipboard.isOpen() && ::GetClipboardData(CF_UNICODETEXT) != nullptr;
}

ClipboardResult Win32Clipboard::putText(std::u16string_view text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
  if (!block) return {ClipboardStatus::CannotSet, ::GetLastError()};
  {
    GlobalLock lock(block.get());
    if (lock.data() == nullptr) return {ClipboardStatus::CannotSet, ::GetLastError()};
    if (!text.empty()) std::memcpy(lock.data(), text.data(), text.size() * sizeof(char16_t));
  }
  OpenClipboard clipboard(owner_);
  if (!clipboard.isOpen()) return {ClipboardStatus::CannotOpen, ::GetLastError()};
  if (!::EmptyClipboard()) return {ClipboardStatus::CannotEmpty, ::GetLastError()};
  if (::SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) return {ClipboardStatus::CannotSet, ::GetLastError()};
  block.release();  // the clipboard owns it now
  return {};
}

ClipboardResult Win32Clipboard::getText(std::u16string& text) {
  OpenClipboard clipboard(owner_);
  if (!clipboard.isOpen()) return {ClipboardStatus::CannotOpen, ::GetLastError()};
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return {ClipboardStatus::NoText, ::GetLastError()};
  GlobalLock lock(data);
  if (lock.data() == nullptr) return {ClipboardStatus::NoText, ::GetLastError()};
  // The block may be larger than its text, and a broken one may lack its
  // terminating zero: never read past its size.
  const std::size_t units = ::GlobalSize(data) / sizeof(char16_t);
  const auto* begin = static_cast<const char16_t*>(lock.data());
  const auto* end = begin;
  while (static_cast<std::size_t>(end - begin) < units && *end != 0) ++end;
  text.assign(begin, end);
  return {};
}

}  // namespace verbarium::ui
