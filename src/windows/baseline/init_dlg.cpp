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

void CInitDlg::OnCommand(int id, int notifyCode, HWND) {
  const Edition* edition = editionOfButton(id);
  if (edition != nullptr && notifyCode == BN_CLICKED) OnCreateBaseline(*edition);
}

BOOL CInitDlg::OnInitDialog() {
  person_.setOwner(m_hWnd);
  return FALSE;
}

void CInitDlg::OnCreateBaseline(const Edition& edition) { CreateEditionBaseline(person_, edition); }

}  // namespace verbarium
