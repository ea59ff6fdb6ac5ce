#pragma once
// The progress window without a window: the work reports to it from its own
// thread, and the window reads what to show from the person's thread and
// passes on the person's Cancel.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "person/work_runner.h"

namespace verbarium {

struct ProgressView {
  std::u16string text;
  bool counted = false;  // a bar that fills; otherwise one that only moves
  int done = 0;
  int total = 0;
  bool cancelEnabled = true;

  bool operator==(const ProgressView&) const = default;
};

class SharedProgress final : public WorkProgress {
 public:
  // The work's side.
  void showStep(std::u16string_view what, int done, int total) override;
  void showBusy(std::u16string_view what) override;
  std::stop_token stopToken() const override { return stop_.get_token(); }
  // Once, when the work has ended, however it ended.
  void finish();

  // The person's side.
  ProgressView view() const;
  // Cancel, however the person gave it: asks the work to stop.
  void cancel();
  bool ended() const;
  // False when the work has not ended within `limit`.
  bool waitForEnd(std::chrono::milliseconds limit) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable endedChanged_;
  std::u16string what_;
  bool counted_ = false;
  int done_ = 0;
  int total_ = 0;
  bool ended_ = false;
  std::stop_source stop_;
};

namespace progress_messages {
// Shown in place of what is being done once the person has cancelled.
inline constexpr char16_t kCancelling[] = u"中止しています...";
}  // namespace progress_messages

}  // namespace verbarium
