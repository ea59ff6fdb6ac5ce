#include "ui/win32_work_runner.h"

#include <chrono>
#include <exception>
#include <thread>

#include "person/shared_progress.h"
#include "ui/progress_dlg.h"

namespace verbarium::ui {

namespace {

// Work that ends within this time shows no window at all, so that quick runs
// do not flash one; meanwhile the thread only waits.
constexpr std::chrono::milliseconds kQuietTime{300};

// Joins the work's thread on every way out. Should the window have closed
// before the work ended, the work is asked to stop first.
class JoinOnExit {
 public:
  JoinOnExit(std::thread& thread, SharedProgress& progress) : thread_(thread), progress_(progress) {}
  JoinOnExit(const JoinOnExit&) = delete;
  JoinOnExit& operator=(const JoinOnExit&) = delete;
  ~JoinOnExit() {
    if (!progress_.ended()) progress_.cancel();
    thread_.join();
  }

 private:
  std::thread& thread_;
  SharedProgress& progress_;
};

}  // namespace

void Win32WorkRunner::run(std::u16string_view title, const std::function<void(WorkProgress&)>& work) {
  SharedProgress progress;
  std::exception_ptr failure;
  {
    std::thread worker([&] {
      try {
        work(progress);
      } catch (...) {
        failure = std::current_exception();
      }
      progress.finish();
    });
    JoinOnExit join(worker, progress);
    if (!progress.waitForEnd(kQuietTime)) {
      CProgressDlg window(progress, title);
      window.DoModal(owner_);
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace verbarium::ui
