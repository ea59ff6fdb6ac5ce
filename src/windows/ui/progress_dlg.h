#pragma once
// The progress window: what the work is doing, a bar that fills where the
// count is known and only moves where it is not, and Cancel. It runs modally
// over its owner, so nothing else can start meanwhile, and closes by itself
// when the work has ended. Its logic lives in SharedProgress.

#include <windows.h>

#include <string>

#include "person/shared_progress.h"
#include "resources/resource.h"
#include "ui/dialog_impl.h"

namespace verbarium::ui {

class CProgressDlg : public CDialogImpl<CProgressDlg> {
 public:
  enum { IDD = IDD_PROGRESS };

  CProgressDlg(SharedProgress& progress, std::u16string_view title) : progress_(progress), title_(title) {}

 protected:
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  BOOL OnInitDialog() override;
  // Enter would otherwise close the window while the work goes on.
  void OnOK() override {}
  // The button, Escape and the close box: the work is asked to stop, and
  // the window stays until it has.
  void OnCancel() override;
  void OnPollTimer();
  // Moves what the work reports into the controls.
  void showProgress();

  SharedProgress& progress_;
  std::u16string title_;
  std::u16string shownText_;
  bool marquee_ = false;
};

}  // namespace verbarium::ui
