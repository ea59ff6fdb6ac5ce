#include "model/text_table.h"

#include <stdexcept>

namespace verbarium {

void TextEntry::setText(std::u16string_view newText) {
  auto zero = newText.find(u'\0');
  text.assign(newText.substr(0, zero));
}

TextEntry& TextTable::at(int index) {
  if (index < 0 || index >= count()) throw std::out_of_range("text table index");
  return entries_[static_cast<std::size_t>(index)];
}

const TextEntry& TextTable::at(int index) const {
  if (index < 0 || index >= count()) throw std::out_of_range("text table index");
  return entries_[static_cast<std::size_t>(index)];
}

}  // namespace verbarium
