#pragma once
// Stands in for the progress window: runs the work at once on the calling
// thread and presses Cancel as the work reports a given step.

#include <optional>
#include <stop_token>
#include <string>

#include "person/work_runner.h"
#include "support/scripted_interaction.h"

namespace verbarium::test {

class ScriptedRunner final : public WorkRunner, private WorkProgress {
 public:
  // Cancel is pressed right after the work reports this step, counted from 0
  // over every run; the work goes on until it looks.
  std::optional<std::size_t> cancelAtStep;
  std::size_t runs = 0, steps = 0;
  // The person the work must not reach while it runs: the desktop program
  // runs it on another thread, beside the progress window.
  const ScriptedInteraction* person = nullptr;
  bool personReachedDuringRun = false;

  void run(std::u16string_view, const std::function<void(WorkProgress&)>& work) override {
    ++runs;
    stop_ = {};
    const auto heard = [this] { return person ? person->messages.size() + person->prompts.size() : 0; };
    const std::size_t before = heard();
    work(*this);
    personReachedDuringRun = personReachedDuringRun || heard() != before;
  }

 private:
  void showStep(std::u16string_view, int, int) override { step(); }
  void showBusy(std::u16string_view) override { step(); }
  std::stop_token stopToken() const override { return stop_.get_token(); }
  void step() {
    const std::size_t shown = steps++;
    if (cancelAtStep == shown) stop_.request_stop();
  }

  std::stop_source stop_;
};

}  // namespace verbarium::test
