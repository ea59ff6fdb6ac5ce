#pragma once
// The small dialog framework: a dialog class derives from CDialogImpl<T>,
// names its template in IDD and handles messages in ProcessWindowMessage,
// which dispatches to its OnXxx handlers.

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

  // Runs the dialog modally; its EndDialog result.
  INT_PTR DoModal(HWND owner, LPARAM param = 0) {
    initParam_ = param;
    modal_ = true;
    return ::DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(T::IDD), owner, &CDialogImpl::StartDialogProc,
                             reinterpret_cast<LPARAM>(this));
  }

  // Creates the dialog modeless; its window, or null.
  HWND Create(HWND owner, LPARAM param = 0) {
    initParam_ = param;
    modal_ = false;
    return ::CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(T::IDD), owner, &CDialogImpl::StartDialogProc,
                                reinterpret_cast<LPARAM>(this));
  }

  HWND m_hWnd = nullptr;

 protected:
  // The creation parameter given to DoModal or Create.
  LPARAM initParam() const { return initParam_; }
  HWND item(int id) const { return ::GetDlgItem(m_hWnd, id); }
  // The answer to a WM_NOTIFY, which a dialog procedure hands back through
  // DWLP_MSGRESULT rather than its return value.
  void setMessageResult(LRESULT result) { ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result); }

  // WM_INITDIALOG: TRUE to let the system set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Every other message. Returns whether it was handled; `result` is what
  // the dialog procedure returns for it.
  virtual bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

 private:
  static INT_PTR CALLBACK StartDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogImpl* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<CDialogImpl*>(lParam);
      self->m_hWnd = hwnd;
      ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
      lParam = self->initParam_;
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
      if (message == WM_INITDIALOG) {
        answer = self->OnInitDialog();
      } else {
        INT_PTR result = 0;
        if (self->ProcessWindowMessage(message, wParam, lParam, result)) answer = result;
      }
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
    // A window that could not open is not left half made: it closes as if
    // cancelled.
    if (message == WM_INITDIALOG && ::IsWindow(hwnd)) {
      if (self->modal_) {
        ::EndDialog(hwnd, 0);
      } else {
        ::DestroyWindow(hwnd);
      }
    }
    return FALSE;
  }

  LPARAM initParam_ = 0;
  bool modal_ = false;
};

}  // namespace verbarium::ui
