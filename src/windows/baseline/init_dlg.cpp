#include "baseline/init_dlg.h"

#include <string>

#include "baseline/baseline_setup.h"
#include "ui/window_text.h"

namespace verbarium {

namespace {

// The button of edition i has the id IDC_BASELINE_EDITION_FIRST + i and the
// edition's name before this.
constexpr char16_t kButtonTextAfterName[] = u" 用の原文ファイルを作成";

const Edition* editionOfButton(int id) {
  const int index = id - IDC_BASELINE_EDITION_FIRST;
  if (index < 0 || index >= static_cast<int>(kEditions.size())) return nullptr;
  return &kEditions[static_cast<std::size_t>(index)];
}

}  // namespace

void CInitDlg::OnCommand(int id, int notifyCode, HWND) {
  const Edition* edition = editionOfButton(id);
  if (edition != nullptr && notifyCode == BN_CLICKED) OnCreateBaseline(*edition);
}

BOOL CInitDlg::OnInitDialog() {
  person_.setOwner(m_hWnd);
  runner_.setOwner(m_hWnd);
  for (std::size_t i = 0; i < kEditions.size(); ++i) {
    ui::setWindowText(item(IDC_BASELINE_EDITION_FIRST + static_cast<int>(i)),
                      std::u16string(kEditions[i].name) + kButtonTextAfterName);
  }
  return FALSE;
}

void CInitDlg::OnCreateBaseline(const Edition& edition) { CreateEditionBaseline(person_, runner_, edition); }

}  // namespace verbarium
