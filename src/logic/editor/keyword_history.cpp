#include "editor/keyword_history.h"

#include <algorithm>

#include "platform/lower_case.h"

namespace verbarium {

KeywordHistory::KeywordHistory(const std::vector<std::u16string>& stored) {
  items_.reserve(stored.size() + 1);
  items_.emplace_back();
  items_.insert(items_.end(), stored.begin(), stored.end());
}

bool KeywordHistory::recordSearch(const std::u16string& keyword) {
  if (keyword.empty()) return false;
  items_.insert(items_.begin() + 1, keyword);
  const std::u16string lower = toLowerCase(keyword);
  auto older = std::remove_if(items_.begin() + 2, items_.end(),
                              [&](const std::u16string& item) { return toLowerCase(item) == lower; });
  bool removed = older != items_.end();
  items_.erase(older, items_.end());
  return removed;
}

std::vector<std::u16string> KeywordHistory::stored() const {
  std::size_t count = std::min(items_.size() - 1, kKeywordHistoryLimit);
  return {items_.begin() + 1, items_.begin() + 1 + static_cast<std::ptrdiff_t>(count)};
}

}  // namespace verbarium
