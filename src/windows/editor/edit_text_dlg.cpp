#include "editor/edit_text_dlg.h"

#include <string>

#include "editor/entry_list_view.h"
#include "editor/line_breaks.h"
#include "ui/window_text.h"

namespace verbarium {

BOOL CEditTextDlg::OnInitDialog() {
  replaceAll_ = item(IDC_REPLACE_ALL);
  current_ = item(IDC_CURRENT_TEXT);
  HWND original = item(IDC_ORIGINAL_TEXT);
  // Texts of any length: the controls' default limit would cut long ones.
  ::SendMessageW(original, EM_SETLIMITTEXT, 0, 0);
  ::SendMessageW(current_, EM_SETLIMITTEXT, 0, 0);
  if (!param_.originalText.empty()) {
    ui::setWindowText(original, toEditBoxBreaks(param_.originalText));
    ::EnableWindow(replaceAll_, TRUE);
  } else {
    ui::setWindowText(original, kNoOriginalText);
  }
  ui::setWindowText(current_, toEditBoxBreaks(param_.currentText));
  ::SendMessageW(replaceAll_, BM_SETCHECK, settings_.replaceAllSameOriginal ? BST_CHECKED : BST_UNCHECKED, 0);
  ui::setWindowText(m_hWnd, u"テキストを編集 No." + param_.numberText);
  placeBesideRow();
  // The person opens the dialog to rewrite the text: typing replaces it at
  // once, and the read-only original is only a Tab away.
  ::SetFocus(current_);
  ::SendMessageW(current_, EM_SETSEL, 0, -1);
  return FALSE;
}

void CEditTextDlg::placeBesideRow() {
  if (!row_) return;
  RECT window{};
  ::GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor{sizeof monitor};
  if (!::GetMonitorInfoW(::MonitorFromRect(&*row_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const Point at = editDialogPosition({row_->left, row_->top, row_->right, row_->bottom},
                                      {window.right - window.left, window.bottom - window.top},
                                      {work.left, work.top, work.right, work.bottom});
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditTextDlg::OnOK() {
  // The whole text, however long: an entry read whole is never cut on OK.
  // It is taken before anything is set, so that an OK that runs out of
  // memory changes nothing.
  int length = ::GetWindowTextLengthW(current_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int got = ::GetWindowTextW(current_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  param_.currentText = fromEditBoxBreaks(std::u16string(text.begin(), text.end()), param_.currentText,
                                         param_.originalText);
  settings_.replaceAllSameOriginal = ::SendMessageW(replaceAll_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  closeDialog(IDOK);
}

}  // namespace verbarium
