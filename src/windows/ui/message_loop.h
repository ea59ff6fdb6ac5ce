#pragma once
// The interface thread's message loop, with message filters (a modeless
// dialog's keyboard handling) and idle handlers.

#include <windows.h>

#include <vector>

namespace verbarium::ui {

class CMessageFilter {
 public:
  virtual ~CMessageFilter() = default;
  // True when the message was taken and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;
};

class CIdleHandler {
 public:
  virtual ~CIdleHandler() = default;
  // True when there is more idle work.
  virtual BOOL OnIdle() = 0;
};

class CMessageLoop {
 public:
  void AddMessageFilter(CMessageFilter* filter) { filters_.push_back(filter); }
  void RemoveMessageFilter(CMessageFilter* filter);
  void AddIdleHandler(CIdleHandler* handler) { idleHandlers_.push_back(handler); }
  void RemoveIdleHandler(CIdleHandler* handler);

  // Until WM_QUIT; its wParam.
  int Run();

 private:
  bool preTranslate(MSG* msg);
  bool runIdleHandlers();

  std::vector<CMessageFilter*> filters_;
  std::vector<CIdleHandler*> idleHandlers_;
};

// The loop of the interface thread, for windows that register with it.
CMessageLoop* currentMessageLoop();
void setCurrentMessageLoop(CMessageLoop* loop);

}  // namespace verbarium::ui
