#pragma once
// The system clipboard's Unicode text, as the entry list uses it. Each call
// opens and closes the clipboard: it is shared with every other program.

#include <string>
#include <string_view>

namespace verbarium {

enum class ClipboardStatus { Ok, CannotOpen, CannotEmpty, CannotSet, NoText };

struct ClipboardResult {
  ClipboardStatus status = ClipboardStatus::Ok;
  unsigned long errorCode = 0;  // the platform's last error, for CannotSet and NoText
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool hasClipboardText() = 0;
  // Replaces the clipboard's contents with the text.
  virtual ClipboardResult putText(std::u16string_view text) = 0;
  // The text up to its first zero unit.
  virtual ClipboardResult getText(std::u16string& text) = 0;
};

}  // namespace verbarium
