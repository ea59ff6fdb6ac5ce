#pragma once
// The initial settings dialog: one button per edition, each making that
// edition's baseline tables from an unedited archive, and "閉じる". It keeps
// nothing from one press to the next. Run it modally with the active window
// as owner; its result is always 0.

#include <windows.h>

#include "baseline/editions.h"
#include "resources/resource.h"
#include "ui/dialog_impl.h"
#include "ui/win32_interaction.h"
#include "ui/win32_work_runner.h"

namespace verbarium {

class CInitDlg : public ui::CDialogImpl<CInitDlg> {
 public:
  enum { IDD = IDD_INIT };

  CInitDlg() : person_(nullptr), runner_(nullptr) {}

 protected:
  void OnCommand(int id, int notifyCode, HWND control) override;

 private:
  BOOL OnInitDialog() override;
  void OnOK() override { OnCancel(); }
  void OnCancel() override { closeDialog(0); }
  void OnCreateBaseline(const Edition& edition);

  ui::Win32Interaction person_;
  ui::Win32WorkRunner runner_;
};

}  // namespace verbarium
