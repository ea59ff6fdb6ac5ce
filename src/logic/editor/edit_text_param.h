#pragma once

#include <string>

namespace verbarium {

// What the edit dialog shows and hands back: the row's three cells.
struct EditTextParam {
  std::u16string numberText;
  std::u16string originalText;
  std::u16string currentText;  // the edited text after OK
};

}  // namespace verbarium
