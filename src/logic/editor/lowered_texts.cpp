#include "editor/lowered_texts.h"

#include "platform/lower_case.h"

namespace verbarium {

void LoweredTexts::build(const TextTable& table) {
  std::size_t units = 0;
  for (int i = 0; i < table.count(); ++i) units += table.text(i).size() + 1;
  buffer_.clear();
  buffer_.reserve(units);
  starts_.clear();
  starts_.reserve(static_cast<std::size_t>(table.count()) + 1);
  for (int i = 0; i < table.count(); ++i) {
    starts_.push_back(buffer_.size());
    buffer_ += table.text(i);
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
