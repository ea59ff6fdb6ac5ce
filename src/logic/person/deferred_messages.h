#pragma once
// What work running apart from the person has to say: kept in order while
// it runs and told once it has ended, as it would have been told at once.

#include <string>
#include <vector>

#include "person/interaction.h"

namespace verbarium {

class DeferredMessages final : public Interaction {
 public:
  // Kept, not shown. Nobody is there to answer: a question counts as
  // answered No.
  Answer messageBox(std::u16string_view text, std::optional<std::u16string_view> caption, unsigned style) override;
  // Nobody is there to choose: a prompt counts as cancelled.
  std::u16string askOpenPath(const FileFilter&, std::u16string_view) override { return {}; }
  std::u16string askSavePath(const FileFilter&, std::u16string_view) override { return {}; }

  // Tells `person` every kept message, first to last.
  void tell(Interaction& person) const;

 private:
  struct Message {
    std::u16string text;
    std::optional<std::u16string> caption;
    unsigned style = 0;
  };
  std::vector<Message> messages_;
};

}  // namespace verbarium
