#pragma once
// The Windows clipboard's Unicode text, opened with a window as its owner.

#include <windows.h>

#include "person/clipboard.h"

namespace verbarium::ui {

class Win32Clipboard : public Clipboard {
 public:
  explicit Win32Clipboard(HWND owner) : owner_(owner) {}
  void setOwner(HWND owner) { owner_ = owner; }

  bool hasClipboardText() override;
  ClipboardResult putText(std::u16string_view text) override;
  ClipboardResult getText(std::u16string& text) override;

 private:
  HWND owner_;
};

}  // namespace verbarium::ui
