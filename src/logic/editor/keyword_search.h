#pragma once
// A keyword looked for in texts, ignoring case: found where its lowered form
// occurs in the text's lowered form, lowered as toLowerCase lowers both. The
// texts are compared unit by unit through the lower-case map, so that a
// search over a large table needs no lowered copy of it in memory.

#include <string>
#include <string_view>

#include "platform/lower_case.h"

namespace verbarium {

class KeywordSearch {
 public:
  explicit KeywordSearch(std::u16string_view keyword);

  // An empty keyword is found in every text.
  bool foundIn(std::u16string_view text);

 private:
  bool foundByLoweredCopy(std::u16string_view text);

  const LowerCaseUnitMap& lower_;
  std::u16string loweredKeyword_;
  // A keyword with a half of a surrogate pair can only be found where the
  // text has one; only such texts are lowered whole.
  bool keywordHasHalves_;
  std::u16string loweredText_;
};

}  // namespace verbarium
