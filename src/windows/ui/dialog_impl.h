#pragma once
// The small dialog framework: a dialog class derives from CDialogImpl<T>,
// names its template in IDD, takes what it shows through its constructor and
// overrides only the handlers whose work differs from the defaults: OK and
// Cancel close the dialog, other commands and messages are left to the
// system.

#include <windows.h>

#include <new>
#include <stdexcept>

#include "ui/command_failure.h"

namespace verbarium::ui {

HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

template <class T>
class CDialogImpl {
 public:
  CDialogImpl() = default;
  CDialogImpl(const CDialogImpl&) = delete;
  CDialogImpl& operator=(const CDialogImpl&) = delete;
  virtual ~CDialogImpl() = default;

  // Runs the dialog modally; the result it closed with.
  INT_PTR DoModal(HWND owner) {
    modal_ = true;
    return ::DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(T::IDD), owner, &CDialogImpl::StartDialogProc,
                             reinterpret_cast<LPARAM>(this));
  }

  // Creates the dialog modeless; its window, or null.
  HWND Create(HWND owner) {
    modal_ = false;
    return ::CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(T::IDD), owner, &CDialogImpl::StartDialogProc,
                                reinterpret_cast<LPARAM>(this));
  }

  HWND m_hWnd = nullptr;

 protected:
  HWND item(int id) const { return ::GetDlgItem(m_hWnd, id); }
  // The answer to a WM_NOTIFY, which a dialog procedure hands back through
  // DWLP_MSGRESULT rather than its return value.
  void setMessageResult(LRESULT result) { ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result); }
  // Ends a modal dialog with `result`; destroys a modeless one, which has
  // no result.
  void closeDialog(INT_PTR result) {
    if (modal_) {
      ::EndDialog(m_hWnd, result);
    } else {
      ::DestroyWindow(m_hWnd);
    }
  }

  // WM_INITDIALOG: TRUE to let the system set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // IDOK: the default button, or Enter. Closes with IDOK.
  virtual void OnOK() { closeDialog(IDOK); }
  // IDCANCEL: Escape, the close box, or a Cancel button. Closes with IDCANCEL.
  virtual void OnCancel() { closeDialog(IDCANCEL); }
  // Every other WM_COMMAND: the command or control id; the notification
  // code (0 from a menu, 1 from an accelerator); the control, or null.
  virtual void OnCommand(int /*id*/, int /*notifyCode*/, HWND /*control*/) {}
  // Every message but WM_INITDIALOG and WM_COMMAND. Returns whether it was
  // handled; `result` is what the dialog procedure returns for it.
  virtual bool ProcessWindowMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
    return false;
  }

 private:
  // The system reads nothing from a dialog procedure's answer to WM_COMMAND,
  // so the command handlers return nothing.
  void dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) {
    if (message == WM_INITDIALOG) {
      answer = OnInitDialog();
    } else if (message == WM_COMMAND) {
      const int id = LOWORD(wParam);
      if (id == IDOK) {
        OnOK();
      } else if (id == IDCANCEL) {
        OnCancel();
      } else {
        OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      }
    } else {
      INT_PTR result = 0;
      if (ProcessWindowMessage(message, wParam, lParam, result)) answer = result;
    }
  }

  static INT_PTR CALLBACK StartDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogImpl* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<CDialogImpl*>(lParam);
      self->m_hWnd = hwnd;
      ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    // No exception may reach the system's window code, which would swallow
    // it or end the process: a handler that fails is reported here, and the
    // program goes on with the state the handler left.
    INT_PTR answer = FALSE;
    CommandFailure failure = CommandFailure::None;
    try {
      self->dispatch(message, wParam, lParam, answer);
    } catch (const std::bad_alloc&) {
      failure = CommandFailure::OutOfMemory;
    } catch (const std::length_error&) {
      failure = CommandFailure::OutOfMemory;
    } catch (...) {
      failure = CommandFailure::Unexpected;
    }
    if (message == WM_NCDESTROY) {
      // The window is gone: no message may reach the object any more.
      ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->m_hWnd = nullptr;
    }
    if (failure == CommandFailure::None) return answer;
    // Told once the handler's memory is back, and after the handler's scopes
    // have put everything back.
    showCommandFailure(::IsWindow(hwnd) ? hwnd : nullptr, failure);
    // A window that could not open is not left half made: it closes with 0.
    if (message == WM_INITDIALOG && ::IsWindow(hwnd)) self->closeDialog(0);
    return FALSE;
  }

  bool modal_ = false;
};

}  // namespace verbarium::ui
