#pragma once
// Copy, paste and revert of the selected row's entry through the clipboard.
// Each returns whether the window must mark itself modified.

#include <string>

#include "editor/entry_list_model.h"
#include "person/clipboard.h"

namespace verbarium {

// `entry` is the entry of the selected row, or -1 when no row is selected.
void copyRowText(const EntryListModel& model, int entry, Clipboard& clipboard, Interaction& person);
bool pasteRowText(EntryListModel& model, int entry, Clipboard& clipboard, Interaction& person);
bool revertRowText(EntryListModel& model, int entry);

namespace clipboard_messages {
inline constexpr char16_t kCannotOpen[] = u"Cannot open the Clipboard.";
inline constexpr char16_t kCannotEmpty[] = u"Cannot empty the Clipboard.";
inline constexpr char16_t kCannotSet[] = u"Unable to set Clipboard data, error: %d";
inline constexpr char16_t kCannotGet[] = u"Unable to get Clipboard data, error: %d";
}  // namespace clipboard_messages

}  // namespace verbarium
