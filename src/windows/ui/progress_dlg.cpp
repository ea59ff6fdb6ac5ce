#include "ui/progress_dlg.h"

#include <commctrl.h>

#include "ui/centre_window.h"
#include "ui/window_text.h"

namespace verbarium::ui {

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;
constexpr UINT kMarqueeStepMs = 30;

}  // namespace

BOOL CProgressDlg::OnInitDialog() {
  setWindowText(m_hWnd, title_);
  centreWindow(m_hWnd);
  showProgress();
  // Shown at once: the system would show it only once the thread has no
  // message waiting, which a busy thread may put off.
  ::ShowWindow(m_hWnd, SW_SHOW);
  ::SetTimer(m_hWnd, kPollTimer, kPollMs, nullptr);
  return TRUE;
}

bool CProgressDlg::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message != WM_TIMER || wParam != kPollTimer) return false;
  OnPollTimer();
  result = TRUE;
  return true;
}

void CProgressDlg::OnPollTimer() {
  if (progress_.ended()) {
    ::KillTimer(m_hWnd, kPollTimer);
    closeDialog(0);
    return;
  }
  showProgress();
}

void CProgressDlg::OnCancel() {
  progress_.cancel();
  showProgress();
}

void CProgressDlg::showProgress() {
  const ProgressView view = progress_.view();
  if (view.text != shownText_) {
    setWindowText(item(IDC_PROGRESS_TEXT), view.text);
    shownText_ = view.text;
  }
  HWND bar = item(IDC_PROGRESS_BAR);
  if (marquee_ == view.counted) {
    // The moving bar is a style of the control, switched on and off with its
    // animation.
    marquee_ = !view.counted;
    if (!marquee_) ::SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
    const LONG style = ::GetWindowLongW(bar, GWL_STYLE);
    ::SetWindowLongW(bar, GWL_STYLE, marquee_ ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    if (marquee_) ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, kMarqueeStepMs);
  }
  if (view.counted) {
    ::SendMessageW(bar, PBM_SETRANGE32, 0, view.total);
    ::SendMessageW(bar, PBM_SETPOS, view.done, 0);
  }
  HWND cancel = item(IDCANCEL);
  if ((::IsWindowEnabled(cancel) != FALSE) != view.cancelEnabled) ::EnableWindow(cancel, view.cancelEnabled);
}

}  // namespace verbarium::ui
