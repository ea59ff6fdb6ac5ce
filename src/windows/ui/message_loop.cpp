#include "ui/message_loop.h"

#include <algorithm>

namespace verbarium::ui {

namespace {
CMessageLoop* gLoop = nullptr;
}

CMessageLoop* currentMessageLoop() { return gLoop; }
void setCurrentMessageLoop(CMessageLoop* loop) { gLoop = loop; }

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  idleHandlers_.erase(std::remove(idleHandlers_.begin(), idleHandlers_.end(), handler), idleHandlers_.end());
}

bool CMessageLoop::preTranslate(MSG* msg) {
  // Newest first, as a filter registered later belongs to a window above.
  for (auto it = filters_.rbegin(); it != filters_.rend(); ++it) {
    if ((*it)->PreTranslateMessage(msg)) return true;
  }
  return false;
}

bool CMessageLoop::runIdleHandlers() {
  bool more = false;
  for (CIdleHandler* handler : idleHandlers_) more = handler->OnIdle() || more;
  return more;
}

int CMessageLoop::Run() {
  MSG msg{};
  bool idle = true;
  for (;;) {
    while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!runIdleHandlers()) idle = false;
    }
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (!preTranslate(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (msg.message != WM_TIMER && msg.message != WM_PAINT) idle = true;
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace verbarium::ui
