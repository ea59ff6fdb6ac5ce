#pragma once
// A table's translation carried over to the table of an updated game. An
// entry of the old table and one of the new are the same entry when they
// have the same key; where a key repeats within a table, its first
// occurrence in the old table is its first in the new, and so on. A
// translation is kept only where the entry's original text is unchanged:
// a changed original may mean something else now.

#include <cstdint>
#include <string>
#include <vector>

#include "model/text_table.h"

namespace verbarium {

enum class ReturnReason {
  OriginalChanged,
  // The new table is in a layout whose records cannot hold the translation
  // (a text with units beyond a byte in the marker layout, a short text
  // that would run into the next record): written, it would not read back.
  LayoutCannotHold,
};

// A translated entry that comes back untranslated, with what it was.
struct ReturnedEntry {
  int entry = 0;  // its index in the new table
  std::vector<std::uint8_t> key;
  std::u16string translation;
  ReturnReason why = ReturnReason::OriginalChanged;
};

struct CarriedTable {
  // The new table with the translations that could be kept. Only its texts
  // differ from the new original: header, keys, layout and the bytes after
  // the last record are the new archive's.
  TextTable table;
  long long kept = 0;
  long long added = 0;    // entries of the new table that the old one lacks
  long long removed = 0;  // entries of the old table that the new one lacks
  // In the order of the new table.
  std::vector<ReturnedEntry> returned;
  // Even with every translation taken back out, the new table would not
  // read back as the archive holds it; nothing can be written for it.
  bool cannotBeWritten = false;
};

// `current` and `original` are a measurable pair (the same entry count),
// `newOriginal` the updated game's table.
CarriedTable carryTranslations(const TextTable& current, const TextTable& original, const TextTable& newOriginal);

}  // namespace verbarium
