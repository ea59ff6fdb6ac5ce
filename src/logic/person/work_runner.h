#pragma once
// Long work (packer runs, the loops over an edition's tables) runs apart
// from the person's questions: they are asked before it starts, and what it
// has to say is told after it has ended. Meanwhile the work reports what it
// is doing, and the person may ask it to stop.

#include <functional>
#include <stop_token>
#include <string_view>

namespace verbarium {

class WorkProgress {
 public:
  virtual ~WorkProgress() = default;

  // What is being done now (a table's name), with `done` of `total` steps
  // finished before it.
  virtual void showStep(std::u16string_view what, int done, int total) = 0;
  // What is being done now, for work whose length is not known (a packer run).
  virtual void showBusy(std::u16string_view what) = 0;

  // Asked for by the person. The work stops where that harms nothing: between
  // tables, or by ending the packer, whose run then leaves the files as they were.
  virtual std::stop_token stopToken() const = 0;
  bool cancelRequested() const { return stopToken().stop_requested(); }
};

class WorkRunner {
 public:
  virtual ~WorkRunner() = default;

  // Runs `work` and returns when it has ended; `title` names it for the
  // person. The work may run on another thread: it touches nothing the
  // caller's thread uses meanwhile, and reaches the person only through what
  // it leaves behind. What it throws, run throws here.
  virtual void run(std::u16string_view title, const std::function<void(WorkProgress&)>& work) = 0;
};

}  // namespace verbarium
