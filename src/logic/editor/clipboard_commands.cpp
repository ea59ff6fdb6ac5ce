#include "editor/clipboard_commands.h"

#include <string>

#include "platform/utf.h"

namespace verbarium {

namespace {

void tell(Interaction& person, std::u16string_view pattern, unsigned long errorCode = 0) {
  person.messageBox(withDecimal(pattern, static_cast<long long>(errorCode)), u"", mb::kOk);
}

}  // namespace

void copyRowText(const EntryListModel& model, int entry, Clipboard& clipboard, Interaction& person) {
  if (entry < 0) return;
  ClipboardResult result = clipboard.putText(model.currentText(entry));
  switch (result.status) {
    case ClipboardStatus::CannotOpen: tell(person, clipboard_messages::kCannotOpen); break;
    case ClipboardStatus::CannotEmpty: tell(person, clipboard_messages::kCannotEmpty); break;
    case ClipboardStatus::CannotSet: tell(person, clipboard_messages::kCannotSet, result.errorCode); break;
    default: break;
  }
}

bool pasteRowText(EntryListModel& model, int entry, Clipboard& clipboard, Interaction& person) {
  if (entry < 0) return false;
  std::u16string text;
  ClipboardResult result = clipboard.getText(text);
  switch (result.status) {
    case ClipboardStatus::Ok:
      model.setEntryText(entry, text);
      return true;
    case ClipboardStatus::CannotOpen: tell(person, clipboard_messages::kCannotOpen); return false;
    default: tell(person, clipboard_messages::kCannotGet, result.errorCode); return false;
  }
}

bool revertRowText(EntryListModel& model, int entry) {
  if (entry < 0) return false;
  model.setEntryText(entry, model.originalText(entry));
  return true;
}

}  // namespace verbarium
