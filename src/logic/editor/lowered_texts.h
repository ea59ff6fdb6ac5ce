#pragma once
// Lower-cased copies of a table's texts for search. All texts are lowered in
// one pass over one buffer: lowering them one by one costs a platform call
// per text, which a table of 100,000 entries cannot afford on every search.

#include <string>
#include <string_view>
#include <vector>

#include "model/text_table.h"

namespace verbarium {

class LoweredTexts {
 public:
  void build(const TextTable& table);
  // Empty when built from no table.
  std::u16string_view text(int index) const;
  bool empty() const { return starts_.empty(); }

 private:
  // Texts one after the other, each followed by a zero unit, which no text holds.
  std::u16string buffer_;
  std::vector<std::size_t> starts_;
};

}  // namespace verbarium
