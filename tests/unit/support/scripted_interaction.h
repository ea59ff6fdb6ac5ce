#pragma once
// Stands in for the person: records every message and answers questions
// and file prompts from a script, in order.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <ostream>

#include "person/interaction.h"
#include "platform/utf.h"

namespace verbarium::test {

struct RecordedMessage {
  std::u16string text;
  std::optional<std::u16string> caption;
  unsigned style = 0;

  bool operator==(const RecordedMessage&) const = default;
};

// Failure messages show the texts, not the bytes of the object.
inline void PrintTo(const RecordedMessage& message, std::ostream* out) {
  auto quoted = [](std::u16string_view text) {
    std::string line = "\"";
    for (char c : toUtf8(text)) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    return line + "\"";
  };
  *out << quoted(message.text) << " / " << (message.caption ? quoted(*message.caption) : "none") << " / 0x"
       << std::hex << message.style << std::dec;
}

enum class PromptKind { Open, Save };

struct RecordedPrompt {
  PromptKind kind = PromptKind::Open;
  FileFilter filter;
  std::u16string defaultExtension;
};

class ScriptedInteraction : public Interaction {
 public:
  // Answers given to questions (MB_YESNO, MB_YESNOCANCEL), first to last;
  // Yes when the script has run out.
  std::deque<Answer> answers;
  std::vector<RecordedMessage> messages;

  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                    unsigned style) override {
    messages.push_back({std::u16string(text),
                        caption ? std::optional<std::u16string>(std::u16string(*caption)) : std::nullopt, style});
    const unsigned buttons = style & 0x0F;
    if (buttons != mb::kYesNo && buttons != mb::kYesNoCancel) return Answer::Ok;
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // Paths chosen in file prompts, first to last; an empty one, or a script
  // that has run out, is a cancelled prompt.
  std::deque<std::u16string> chosenPaths;
  std::vector<RecordedPrompt> prompts;
  // Called while a prompt is open, as a real dialog may change the current directory.
  std::function<void()> duringPrompt;

  std::u16string askOpenPath(const FileFilter& filter, std::u16string_view defaultExtension) override {
    return prompt(PromptKind::Open, filter, defaultExtension);
  }
  std::u16string askSavePath(const FileFilter& filter, std::u16string_view defaultExtension) override {
    return prompt(PromptKind::Save, filter, defaultExtension);
  }

 private:
  std::u16string prompt(PromptKind kind, const FileFilter& filter, std::u16string_view defaultExtension) {
    prompts.push_back({kind, filter, std::u16string(defaultExtension)});
    if (duringPrompt) duringPrompt();
    if (chosenPaths.empty()) return {};
    std::u16string path = std::move(chosenPaths.front());
    chosenPaths.pop_front();
    return path;
  }
};

}  // namespace verbarium::test
