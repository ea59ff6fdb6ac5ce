#include "editor/lowered_texts.h"

#include "platform/lower_case.h"

namespace verbarium {

void LoweredTexts::build(const TextTable& table) {
  std::size_t units = 0;
  for (const TextEntry& entry : table.entries()) units += entry.text.size() + 1;
  buffer_.clear();
  buffer_.reserve(units);
  starts_.clear();
  starts_.reserve(table.entries().size() + 1);
  for (const TextEntry& entry : table.entries()) {
    starts_.push_back(buffer_.size());
    buffer_ += entry.text;
    buffer_ += u'\0';
  }
  starts_.push_back(buffer_.size());
  lowerCaseInPlace(buffer_);
}

std::u16string_view LoweredTexts::text(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) + 1 >= starts_.size()) return {};
  const std::size_t start = starts_[static_cast<std::size_t>(index)];
  const std::size_t end = starts_[static_cast<std::size_t>(index) + 1] - 1;
  return std::u16string_view(buffer_).substr(start, end - start);
}

}  // namespace verbarium
