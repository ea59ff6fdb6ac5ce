#pragma once
// Long work off the message thread, behind a progress window owned by a
// window: the owner stays disabled and the thread keeps answering messages
// until the work has ended.

#include <windows.h>

#include "person/work_runner.h"

namespace verbarium::ui {

class Win32WorkRunner final : public WorkRunner {
 public:
  explicit Win32WorkRunner(HWND owner) : owner_(owner) {}
  void setOwner(HWND owner) { owner_ = owner; }

  void run(std::u16string_view title, const std::function<void(WorkProgress&)>& work) override;

 private:
  HWND owner_;
};

}  // namespace verbarium::ui
