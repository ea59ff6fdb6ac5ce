#pragma once
// The search keyword history as the keyword box lists it: an empty item at
// position 0, then the keywords, newest first.

#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace verbarium {

class KeywordHistory {
 public:
  // From the settings, in stored order.
  explicit KeywordHistory(const std::vector<std::u16string>& stored);

  // Puts a searched keyword at position 1 and removes the older items equal
  // to it ignoring case. Returns whether any item was removed. An empty
  // keyword changes nothing.
  bool recordSearch(const std::u16string& keyword);

  // Everything the box lists, the empty item first.
  const std::vector<std::u16string>& items() const { return items_; }
  // What goes back to the settings: at most kKeywordHistoryLimit keywords, newest first.
  std::vector<std::u16string> stored() const;

 private:
  std::vector<std::u16string> items_;
};

}  // namespace verbarium
