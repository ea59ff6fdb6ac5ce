#pragma once
// How far a table's translation has come: an entry is translated when its
// current text differs from its original.

#include <string>
#include <string_view>

#include "model/text_table.h"

namespace verbarium {

inline bool isTranslated(std::u16string_view current, std::u16string_view original) { return current != original; }

struct TableProgress {
  long long entries = 0;
  long long translated = 0;

  long long untranslated() const { return entries - translated; }
  // Rounded down, so that 100 means nothing is left. Nothing measured is
  // nothing done: a total over no table must not read as finished.
  int percent() const { return entries == 0 ? 0 : static_cast<int>(translated * 100 / entries); }
  TableProgress& operator+=(const TableProgress& other) {
    entries += other.entries;
    translated += other.translated;
    return *this;
  }
};

// The two tables have the same entry count.
TableProgress measureProgress(const TextTable& current, const TextTable& original);

// "255 / 300 (85%)".
std::u16string progressText(const TableProgress& progress);

// What the main window's list says of a table: its progress where it has a
// baseline of the same entry count, "-" otherwise.
std::u16string progressDescription(const std::u16string& directory, const std::u16string& table);
inline constexpr char16_t kNoProgress[] = u"-";

}  // namespace verbarium
