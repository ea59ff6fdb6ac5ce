#include "baseline/init_dlg.h"

#include "baseline/baseline_setup.h"

namespace verbarium {

namespace {

const Edition* editionOfButton(int id) {
  switch (id) {
    case IDC_BASELINE_SHADOW_WARS: return &kShadowWars;
    case IDC_BASELINE_DRAGON_STORM: return &kDragonStorm;
    case IDC_BASELINE_FAITH_IN_DESTINY: return &kFaithInDestiny;
    default: return nullptr;
  }
}

}  // namespace

bool CInitDlg::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        OnClose();
        return true;
      }
      const Edition* edition = editionOfButton(id);
      if (edition == nullptr) return false;
      if (HIWORD(wParam) == BN_CLICKED) OnCreateBaseline(*edition);
      return true;
    }
    default:
      return false;
  }
}

BOOL CInitDlg::OnInitDialog() {
  person_.setOwner(m_hWnd);
  return FALSE;
}

void CInitDlg::OnClose() { ::EndDialog(m_hWnd, 0); }

void CInitDlg::OnCreateBaseline(const Edition& edition) { CreateEditionBaseline(person_, edition); }

}  // namespace verbarium
