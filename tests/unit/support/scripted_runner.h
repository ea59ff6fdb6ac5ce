#pragma once
// Stands in for the progress window: runs the work at once on the calling
// thread, records what it reports, and presses Cancel as the work reports a
// given step.

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "person/work_runner.h"
#include "support/scripted_interaction.h"

namespace verbarium::test {

struct RecordedStep {
  std::u16string what;
  bool counted = false;
  int done = 0, total = 0;
  bool operator==(const RecordedStep&) const = default;
};

inline void PrintTo(const RecordedStep& step, std::ostream* out) {
  *out << '"' << toUtf8(step.what) << '"' << (step.counted ? " " + std::to_string(step.done) + "/" + std::to_string(step.total) : "");
}

class ScriptedRunner final : public WorkRunner, private WorkProgress {
 public:
  // Cancel is pressed right after the work reports this step, counted from 0
  // over every run; the work goes on until it looks.
  std::optional<std::size_t> cancelAtStep;
  std::vector<std::u16string> titles;
  std::vector<RecordedStep> steps;
  // The person the work must not reach while it runs: the desktop program
  // runs it on another thread, beside the progress window.
  const ScriptedInteraction* person = nullptr;
  bool personReachedDuringRun = false;

  void run(std::u16string_view title, const std::function<void(WorkProgress&)>& work) override {
    titles.emplace_back(title);
    stop_ = {};
    const auto heard = [this] { return person ? person->messages.size() + person->prompts.size() : 0; };
    const std::size_t before = heard();
    work(*this);
    personReachedDuringRun = personReachedDuringRun || heard() != before;
  }

 private:
  void showStep(std::u16string_view what, int done, int total) override { record({std::u16string(what), true, done, total}); }
  void showBusy(std::u16string_view what) override { record({std::u16string(what), false, 0, 0}); }
  std::stop_token stopToken() const override { return stop_.get_token(); }
  void record(RecordedStep step) {
    steps.push_back(std::move(step));
    if (cancelAtStep && steps.size() == *cancelAtStep + 1) stop_.request_stop();
  }

  std::stop_source stop_;
};

}  // namespace verbarium::test
