#include "console_interaction.h"

#include "platform/utf.h"

namespace verbarium::cli {

Answer ConsoleInteraction::messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                                      unsigned style) {
  std::string line = "verbarium-cli: ";
  if (caption && !caption->empty()) line += toUtf8(*caption) + ": ";
  line += toUtf8(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  err_ += line + "\n";
  return (style & mb::kYesNo) == mb::kYesNo ? Answer::No : Answer::Ok;
}

}  // namespace verbarium::cli
