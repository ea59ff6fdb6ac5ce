#pragma once
// The About box: the icon and the program's name and version.

#include "resources/resource.h"
#include "ui/dialog_impl.h"

namespace verbarium {

class CAboutDlg : public ui::CDialogImpl<CAboutDlg> {
 public:
  enum { IDD = IDD_ABOUT };

 protected:
  BOOL OnInitDialog() override;
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};

// Centres a window on its owner, or on the screen when it has none.
void centreWindow(HWND window);

}  // namespace verbarium
