#include "platform/scratch_name.h"

#include "platform/utf.h"

namespace verbarium {

namespace {

// Nine digits hold any process id of either platform and never overflow.
constexpr std::size_t kMaxDigits = 9;

// Takes the decimal number that ends `text`, cutting it off.
std::optional<unsigned long> takeTrailingNumber(std::u16string_view& text) {
  std::size_t digits = 0;
  while (digits < text.size() && digits <= kMaxDigits) {
    char16_t c = text[text.size() - 1 - digits];
    if (c < u'0' || c > u'9') break;
    ++digits;
  }
  if (digits == 0 || digits > kMaxDigits) return std::nullopt;
  unsigned long value = 0;
  for (char16_t c : text.substr(text.size() - digits)) value = value * 10 + static_cast<unsigned long>(c - u'0');
  text.remove_suffix(digits);
  return value;
}

bool takeSuffix(std::u16string_view& text, std::u16string_view suffix) {
  if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix) return false;
  text.remove_suffix(suffix.size());
  return true;
}

}  // namespace

std::u16string scratchName(std::u16string_view target, unsigned long processId, unsigned long serial,
                           std::u16string_view suffix) {
  std::u16string name(target);
  name += asciiToUtf16(".~" + std::to_string(processId) + "-" + std::to_string(serial));
  name += suffix;
  return name;
}

std::optional<ScratchName> parseScratchName(std::u16string_view name, std::u16string_view suffix) {
  if (!takeSuffix(name, suffix)) return std::nullopt;
  std::optional<unsigned long> serial = takeTrailingNumber(name);
  if (!serial || !takeSuffix(name, u"-")) return std::nullopt;
  std::optional<unsigned long> processId = takeTrailingNumber(name);
  if (!processId || !takeSuffix(name, u".~") || name.empty()) return std::nullopt;
  return ScratchName{name, *processId, *serial};
}

}  // namespace verbarium
