#pragma once
// One translation for one source text: where an original text has exactly
// one translation in the edition, its untranslated entries get it; where it
// has several, it is a conflict for the translator to settle.

#include <string>
#include <vector>

#include "workbench/table_pairs.h"

namespace verbarium {

struct PropagatedEntry {
  std::size_t table = 0;  // index into the pairs
  int entry = 0;
};

struct TranslationConflict {
  std::u16string original;
  std::vector<std::u16string> translations;  // sorted, each once
};

struct Propagation {
  std::vector<PropagatedEntry> changes;  // in table and entry order
  std::vector<TranslationConflict> conflicts;  // sorted by original
  std::vector<std::size_t> changedTables;  // indices into the pairs, in order
};

// Gives each untranslated entry of the measurable pairs the one translation
// its original has elsewhere, in the pairs' current tables. Pairs that are
// not measurable are neither read from nor changed.
Propagation propagateTranslations(std::vector<TablePair>& pairs);

}  // namespace verbarium
