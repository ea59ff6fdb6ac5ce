#include "formats/exchange_format.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "formats/le_bytes.h"
#include "model/unit_search.h"

namespace verbarium {

namespace {

constexpr char16_t kCr = 0x000D;
constexpr char16_t kLf = 0x000A;
constexpr std::uint8_t kByteOrderMark[] = {0xFF, 0xFE};
constexpr std::uint8_t kLineEnd[] = {0x0D, 0x00, 0x0A, 0x00};

}  // namespace

ExchangeLines::ExchangeLines(LargeMemory content, std::size_t count) : memory_(std::move(content)), size_(count) {
  // Texts never hold U+0000, so a zero unit means the rest is not texts.
  if (auto zero = findUnit({this->units(), size_}, u'\0'); zero != std::u16string::npos) size_ = zero;
  size_ = std::min<std::size_t>(size_, std::numeric_limits<std::uint32_t>::max());
  const std::u16string_view units(this->units(), size_);
  // Each CR LF, left to right; counted first, so that the offsets take
  // exactly their room.
  auto nextLineEnd = [&](std::size_t from) {
    for (std::size_t at = findUnit(units, kCr, from); at != units.npos; at = findUnit(units, kCr, at + 1)) {
      if (at + 1 < units.size() && units[at + 1] == kLf) return at;
    }
    return units.npos;
  };
  std::size_t lines = 0;
  for (std::size_t at = nextLineEnd(0); at != units.npos; at = nextLineEnd(at + 2)) ++lines;
  if (lines == 0) return;
  starts_.reserve(lines + 1);
  starts_.push_back(0);
  for (std::size_t at = nextLineEnd(0); at != units.npos; at = nextLineEnd(at + 2)) {
    starts_.push_back(static_cast<std::uint32_t>(at + 2));
  }
}

ExchangeLines::ExchangeLines(const ExchangeLines& other)
    : memory_(allocateLarge(other.size_ * sizeof(char16_t))), size_(other.size_), starts_(other.starts_) {
  if (size_ > 0) std::memcpy(memory_.get(), other.memory_.get(), size_ * sizeof(char16_t));
}

ExchangeLines& ExchangeLines::operator=(const ExchangeLines& other) {
  if (this != &other) *this = ExchangeLines(other);
  return *this;
}

std::u16string_view ExchangeLines::line(int index) const {
  if (index < 0 || index >= count()) throw std::out_of_range("exchange line index");
  const std::size_t begin = starts_[static_cast<std::size_t>(index)];
  const std::size_t end = starts_[static_cast<std::size_t>(index) + 1] - 2;
  return std::u16string_view(units() + begin, end - begin);
}

ExchangeReadResult readExchangeLines(Interaction* owner, ByteStream& file, ExchangeLines& lines) {
  lines = ExchangeLines{};
  if (!file.seek(0, SeekOrigin::Begin)) return ExchangeReadResult::ReadFailed;
  const std::int64_t size = file.size();
  if (size < 0) return ExchangeReadResult::ReadFailed;

  std::uint8_t mark[2] = {};
  std::int64_t got = file.read(mark, sizeof mark);
  if (got < 0) return ExchangeReadResult::ReadFailed;
  if (got < 2 || mark[0] != kByteOrderMark[0] || mark[1] != kByteOrderMark[1]) {
    if (owner) owner->messageBox(exchange_messages::kNoByteOrderMark, u"", mb::kOk);
    return ExchangeReadResult::NoByteOrderMark;
  }

  // The size taken before the read bounds it, should the file grow meanwhile.
  const std::size_t contentBytes = size > 2 ? static_cast<std::size_t>(size - 2) : 0;
  LargeMemory content = allocateLarge(contentBytes + 1);
  got = contentBytes > 0 ? file.read(content.get(), contentBytes) : 0;
  if (got < 0) return ExchangeReadResult::ReadFailed;
  // A half unit at the end is no unit.
  lines = ExchangeLines(std::move(content), static_cast<std::size_t>(got) / 2);
  return ExchangeReadResult::Read;
}

bool writeExchangeText(ByteStream& file, const TextTable& table) {
  bool ok = file.write(kByteOrderMark, sizeof kByteOrderMark);
  for (int i = 0; ok && i < table.count(); ++i) {
    const std::u16string_view text = table.text(i);
    if (!text.empty()) ok = file.write(text.data(), text.size() * 2);
    if (ok) ok = file.write(kLineEnd, sizeof kLineEnd);
  }
  return file.flush() && ok;
}

bool applyExchangeLines(TextTable& table, const ExchangeLines& lines) {
  if (lines.count() != table.count()) return false;
  for (int i = 0; i < table.count(); ++i) table.setText(i, lines.line(i));
  return true;
}

}  // namespace verbarium
