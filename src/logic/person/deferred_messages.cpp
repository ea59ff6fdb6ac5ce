#include "person/deferred_messages.h"

namespace verbarium {

Answer DeferredMessages::messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                                    unsigned style) {
  messages_.push_back({std::u16string(text), caption ? std::optional<std::u16string>(*caption) : std::nullopt, style});
  const unsigned buttons = style & 0x0F;
  return buttons == mb::kYesNo || buttons == mb::kYesNoCancel ? Answer::No : Answer::Ok;
}

void DeferredMessages::tell(Interaction& person) const {
  for (const Message& message : messages_) {
    person.messageBox(message.text,
                      message.caption ? std::optional<std::u16string_view>(*message.caption) : std::nullopt,
                      message.style);
  }
}

}  // namespace verbarium
