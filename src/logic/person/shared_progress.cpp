#include "person/shared_progress.h"

namespace verbarium {

void SharedProgress::showStep(std::u16string_view what, int done, int total) {
  std::lock_guard lock(mutex_);
  what_ = what;
  counted_ = true;
  done_ = done;
  total_ = total;
}

void SharedProgress::showBusy(std::u16string_view what) {
  std::lock_guard lock(mutex_);
  what_ = what;
  counted_ = false;
  done_ = 0;
  total_ = 0;
}

void SharedProgress::finish() {
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
  }
  endedChanged_.notify_all();
}

ProgressView SharedProgress::view() const {
  const bool cancelling = stop_.stop_requested();
  std::lock_guard lock(mutex_);
  ProgressView view;
  view.text = cancelling ? std::u16string(progress_messages::kCancelling) : what_;
  view.counted = counted_;
  view.done = done_;
  view.total = total_;
  view.cancelEnabled = !cancelling;
  return view;
}

void SharedProgress::cancel() { stop_.request_stop(); }

bool SharedProgress::ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

bool SharedProgress::waitForEnd(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return endedChanged_.wait_for(lock, limit, [this] { return ended_; });
}

}  // namespace verbarium
