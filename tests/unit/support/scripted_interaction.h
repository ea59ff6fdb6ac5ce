#pragma once
// Stands in for the person: records every message and answers questions
// from a script, in order.

#include <deque>
#include <string>
#include <vector>

#include "platform/interaction.h"

namespace verbarium::test {

struct RecordedMessage {
  std::u16string text;
  std::optional<std::u16string> caption;
  unsigned style = 0;

  bool operator==(const RecordedMessage&) const = default;
};

class ScriptedInteraction : public Interaction {
 public:
  // Answers given to questions (MB_YESNO), first to last; Yes when the script has run out.
  std::deque<Answer> answers;
  std::vector<RecordedMessage> messages;

  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                    unsigned style) override {
    messages.push_back({std::u16string(text),
                        caption ? std::optional<std::u16string>(std::u16string(*caption)) : std::nullopt, style});
    if ((style & 0x0F) != mb::kYesNo) return Answer::Ok;
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace verbarium::test
