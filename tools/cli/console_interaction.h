#pragma once
// The person behind the command line reads messages on standard error and
// answers no questions: every question is taken as declined.

#include <string>

#include "person/interaction.h"

namespace verbarium::cli {

class ConsoleInteraction final : public Interaction {
 public:
  explicit ConsoleInteraction(std::string& err) : err_(err) {}
  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                    unsigned style) override;
  // Nobody can pick a file at a command line: the prompts are cancelled.
  std::u16string askOpenPath(const FileFilter&, std::u16string_view) override { return {}; }
  std::u16string askSavePath(const FileFilter&, std::u16string_view) override { return {}; }

 private:
  std::string& err_;
};

}  // namespace verbarium::cli
