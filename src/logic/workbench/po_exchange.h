#pragma once
// A table and its baseline as a gettext PO file and back: one message per
// entry, msgctxt "<table file name>#<entry number>", the entry's key in an
// extracted comment, msgid the original, msgstr the translation (empty
// while the entry is untranslated).

#include <map>
#include <string>
#include <vector>

#include "formats/po_format.h"
#include "platform/local_time.h"
#include "workbench/table_pairs.h"

namespace verbarium {

struct PoExport {
  std::string text;
  std::vector<int> leftOut;  // entries holding a lone surrogate
};

PoExport tableToPo(std::u16string_view tableName, const TextTable& current, const TextTable& original,
                   const LocalTime& now);

enum class NotApplied {
  NoSuchTable,
  TableNotMeasurable,
  NoContext,
  NoSuchEntry,
  KeyMissing,
  KeyDiffers,
  OriginalChanged,
  HoldsZero,  // a table text cannot hold U+0000
};

struct UnappliedMessage {
  Path file;  // set by the caller
  int line = 0;
  std::u16string context;
  NotApplied why = NotApplied::NoSuchEntry;
};

// What applying the messages of PO files did to an edition's tables.
struct PoApplication {
  std::map<Path, TablePair> tables;  // the tables messages named, read once
  std::vector<Path> changed;         // in the order they first changed
  long long changedEntries = 0;
  long long fuzzySkipped = 0;
  std::vector<UnappliedMessage> unapplied;
};

// Applies each message to the entry its msgctxt names, once its key and
// its original still are the message's: a msgstr becomes the entry's text,
// an empty one gives the entry back its original. Fuzzy messages are
// skipped. Tables are read from `directory` the first time one is named;
// `tableNames` are the ones that may be changed.
void applyPoMessages(const Path& directory, const std::vector<Path>& tableNames, const std::vector<PoMessage>& messages,
                     PoApplication& application);

}  // namespace verbarium
