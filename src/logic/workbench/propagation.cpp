#include "workbench/propagation.h"

#include <algorithm>
#include <unordered_map>

#include "workbench/progress.h"

namespace verbarium {

namespace {

struct Translations {
  std::vector<std::u16string> distinct;  // a few at most, in practice
  void add(std::u16string_view text) {
    if (std::find(distinct.begin(), distinct.end(), text) == distinct.end()) distinct.emplace_back(text);
  }
};

}  // namespace

Propagation propagateTranslations(std::vector<TablePair>& pairs) {
  // Keyed by views of the originals, which stay as they are throughout.
  std::unordered_map<std::u16string_view, Translations> byOriginal;
  for (const TablePair& pair : pairs) {
    if (!pair.measurable()) continue;
    for (int i = 0; i < pair.current.count(); ++i) {
      if (isTranslated(pair.current.text(i), pair.original.text(i))) byOriginal[pair.original.text(i)].add(pair.current.text(i));
    }
  }
  Propagation result;
  for (std::size_t t = 0; t < pairs.size(); ++t) {
    TablePair& pair = pairs[t];
    if (!pair.measurable()) continue;
    for (int i = 0; i < pair.current.count(); ++i) {
      if (isTranslated(pair.current.text(i), pair.original.text(i))) continue;
      const auto found = byOriginal.find(pair.original.text(i));
      if (found == byOriginal.end() || found->second.distinct.size() != 1) continue;
      pair.current.setText(i, found->second.distinct.front());
      result.changes.push_back({t, i});
      if (result.changedTables.empty() || result.changedTables.back() != t) result.changedTables.push_back(t);
    }
  }
  for (auto& [original, translations] : byOriginal) {
    if (translations.distinct.size() < 2) continue;
    std::sort(translations.distinct.begin(), translations.distinct.end());
    result.conflicts.push_back({std::u16string(original), std::move(translations.distinct)});
  }
  std::sort(result.conflicts.begin(), result.conflicts.end(),
            [](const TranslationConflict& a, const TranslationConflict& b) { return a.original < b.original; });
  return result;
}

}  // namespace verbarium
