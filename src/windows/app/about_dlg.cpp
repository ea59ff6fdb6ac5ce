#include "app/about_dlg.h"

#include "ui/centre_window.h"

namespace verbarium {

BOOL CAboutDlg::OnInitDialog() {
  ui::centreWindow(m_hWnd);
  return TRUE;
}

}  // namespace verbarium
