#pragma once
// The person, reached through message boxes owned by a window.

#include <windows.h>

#include "person/interaction.h"

namespace verbarium::ui {

class Win32Interaction : public Interaction {
 public:
  explicit Win32Interaction(HWND owner) : owner_(owner) {}
  void setOwner(HWND owner) { owner_ = owner; }

  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                    unsigned style) override;
  std::u16string askOpenPath(const FileFilter& filter, std::u16string_view defaultExtension) override;
  std::u16string askSavePath(const FileFilter& filter, std::u16string_view defaultExtension) override;

 private:
  HWND owner_;
};

}  // namespace verbarium::ui
