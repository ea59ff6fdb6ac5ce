#include "formats/exchange_format.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "model/unit_search.h"

namespace verbarium {

namespace {

constexpr char16_t kCr = 0x000D;
constexpr char16_t kLf = 0x000A;
constexpr std::uint8_t kByteOrderMark[] = {0xFF, 0xFE};
constexpr std::uint8_t kLineEnd[] = {0x0D, 0x00, 0x0A, 0x00};

}  // namespace

ExchangeLineReader::ExchangeLineReader(ByteStream& file, std::size_t windowBytes)
    : file_(file), firstWindowBytes_(std::max<std::size_t>(windowBytes, 2)) {}

ExchangeReadResult ExchangeLineReader::readMark() {
  const std::int64_t size = file_.seek(0, SeekOrigin::Begin) ? file_.size() : -1;
  std::uint8_t mark[2] = {};
  const std::int64_t got = size < 0 ? -1 : file_.read(mark, sizeof mark);
  if (got < 0) {
    failed_ = true;
    return ExchangeReadResult::ReadFailed;
  }
  if (got < 2 || mark[0] != kByteOrderMark[0] || mark[1] != kByteOrderMark[1]) {
    return ExchangeReadResult::NoByteOrderMark;
  }
  // The size taken before the reads bounds them, should the file grow
  // meanwhile or never end.
  remaining_ = size > 2 ? static_cast<std::uint64_t>(size - 2) : 0;
  marked_ = true;
  return ExchangeReadResult::Read;
}

bool ExchangeLineReader::readMore() {
  if (ended_ || failed_) return false;
  // The lines handed out are done with: their room goes to what follows.
  if (lineStart_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + lineStart_ * 2, bytes_ - lineStart_ * 2);
    bytes_ -= lineStart_ * 2;
    unitsEnd_ -= lineStart_;
    scanned_ -= lineStart_;
    lineStart_ = 0;
  }
  if (remaining_ == 0) {
    ended_ = true;
    return false;
  }
  // A window full of one line grows, never beyond what the file still holds.
  if (bytes_ == capacity_) {
    const auto capacity = std::max<std::size_t>(
        firstWindowBytes_, static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ * 2, bytes_ + remaining_)));
    auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    if (bytes_ > 0) std::memcpy(larger.get(), buffer_.get(), bytes_);
    buffer_ = std::move(larger);
    capacity_ = capacity;
  }
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ - bytes_, remaining_));
  const std::int64_t got = file_.read(buffer_.get() + bytes_, wanted);
  if (got < 0) failed_ = true;
  if (got <= 0) {
    ended_ = true;
    return false;
  }
  remaining_ -= static_cast<std::uint64_t>(got);
  bytes_ += static_cast<std::size_t>(got);
  const std::size_t before = unitsEnd_;
  // A half unit at the end waits for the rest of it.
  unitsEnd_ = bytes_ / 2;
  // Texts never hold U+0000, so a zero unit means the rest is not texts.
  if (const std::size_t zero = findUnit(units(), u'\0', before); zero != std::u16string_view::npos) {
    unitsEnd_ = zero;
    ended_ = true;
  }
  return true;
}

bool ExchangeLineReader::next(std::u16string_view& line) {
  if (!marked_) return false;
  for (;;) {
    const std::u16string_view all = units();
    std::size_t at = findUnit(all, kCr, scanned_);
    while (at != all.npos && at + 1 < all.size() && all[at + 1] != kLf) at = findUnit(all, kCr, at + 1);
    if (at != all.npos && at + 1 < all.size()) {
      line = all.substr(lineStart_, at - lineStart_);
      lineStart_ = scanned_ = at + 2;
      return true;
    }
    // A CR at the end of what was read waits for the unit after it.
    scanned_ = at != all.npos ? at : all.size();
    if (!readMore()) return false;
  }
}

ExchangeLineWriter::ExchangeLineWriter(ByteStream& file)
    : file_(file), ok_(file.write(kByteOrderMark, sizeof kByteOrderMark)) {}

void ExchangeLineWriter::add(std::u16string_view text) {
  if (ok_ && !text.empty()) ok_ = file_.write(text.data(), text.size() * 2);
  if (ok_) ok_ = file_.write(kLineEnd, sizeof kLineEnd);
}

bool ExchangeLineWriter::finish() { return file_.flush() && ok_; }

}  // namespace verbarium
