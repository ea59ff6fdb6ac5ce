#pragma once
// Stands in for the person: records every message and answers questions
// and file prompts from a script, in order.

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

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
  *out << '"' << toUtf8(message.text) << "\" / " << (message.caption ? '"' + toUtf8(*message.caption) + '"' : "none")
       << " / 0x" << std::hex << message.style << std::dec;
}

enum class PromptKind { Open, Save };

struct RecordedPrompt {
  PromptKind kind = PromptKind::Open;
  FileFilter filter;
  std::u16string defaultExtension;
};

class ScriptedInteraction : public Interaction {
 public:
  // Answers to questions (MB_YESNO, MB_YESNOCANCEL), first to last; Yes once they run out.
  std::deque<Answer> answers;
  std::vector<RecordedMessage> messages;
  // Paths chosen in file prompts, first to last; an empty one, or none left, cancels the prompt.
  std::deque<std::u16string> chosenPaths;
  std::vector<RecordedPrompt> prompts;
  // Called while a prompt is open, as a real dialog may change the current directory.
  std::function<void()> duringPrompt;

  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption, unsigned style) override {
    messages.push_back({std::u16string(text), caption ? std::optional<std::u16string>(*caption) : std::nullopt, style});
    const unsigned buttons = style & 0x0F;
    return buttons == mb::kYesNo || buttons == mb::kYesNoCancel ? next(answers, Answer::Yes) : Answer::Ok;
  }
  std::u16string askOpenPath(const FileFilter& filter, std::u16string_view extension) override {
    return prompt(PromptKind::Open, filter, extension);
  }
  std::u16string askSavePath(const FileFilter& filter, std::u16string_view extension) override {
    return prompt(PromptKind::Save, filter, extension);
  }

 private:
  std::u16string prompt(PromptKind kind, const FileFilter& filter, std::u16string_view extension) {
    prompts.push_back({kind, filter, std::u16string(extension)});
    if (duringPrompt) duringPrompt();
    return next(chosenPaths, std::u16string());
  }
  template <class T>
  static T next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    T first = std::move(script.front());
    script.pop_front();
    return first;
  }
};

}  // namespace verbarium::test
