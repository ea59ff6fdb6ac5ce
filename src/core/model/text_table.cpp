#include "model/text_table.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "codec/le_bytes.h"
#include "model/unit_search.h"
#include "platform/large_memory.h"

namespace verbarium {

namespace {

constexpr int kBlockEntries = 1 << 14;
constexpr std::size_t kFirstChunkBytes = 64 * 1024;
constexpr std::size_t kLargestChunkBytes = 4 * 1024 * 1024;
constexpr std::size_t kLengthBytes = 4;

// The record's 32-bit length field, as the length-prefixed layouts store it.
std::uint32_t loadLength(const std::uint8_t* at) { return loadLe32(at); }
void storeLength(std::uint8_t* at, std::size_t units) { storeLe32(at, static_cast<std::uint32_t>(units)); }

}  // namespace

// The entry index: fixed blocks, so that it never moves what it holds and
// growing it never needs twice its size at once.
struct TextTable::Block {
  std::uint8_t* items[kBlockEntries];
  std::uint8_t keyLengths[kBlockEntries];
};

// Records one after the other in chunks that never move. Each chunk is
// larger than the one before, up to a bound; a record too large for a
// chunk's share gets a chunk of its own.
struct TextTable::Arena {
  std::vector<LargeMemory> chunks;
  std::uint8_t* next = nullptr;
  std::size_t left = 0;
  std::size_t chunkBytes = kFirstChunkBytes;

  // 1 when the byte `offset` bytes after `at` lies at an odd address.
  static std::size_t oddness(const std::uint8_t* at, std::size_t offset) {
    return (reinterpret_cast<std::uintptr_t>(at) + offset) & 1;
  }

  // `size` bytes whose byte at `evenAt` lies at an even address, so that the
  // text units after the key can be read as such.
  std::uint8_t* allocate(std::size_t size, std::size_t evenAt) {
    if (size + 1 > chunkBytes / 8) {
      LargeMemory chunk = allocateLarge(size + 1);
      std::uint8_t* at = chunk.get() + oddness(chunk.get(), evenAt);
      chunks.push_back(std::move(chunk));
      return at;
    }
    std::size_t skip = oddness(next, evenAt);
    if (next == nullptr || skip + size > left) {
      LargeMemory chunk = allocateLarge(chunkBytes);
      next = chunk.get();
      left = chunkBytes;
      chunks.push_back(std::move(chunk));
      chunkBytes = std::min(chunkBytes * 2, kLargestChunkBytes);
      skip = oddness(next, evenAt);
    }
    std::uint8_t* at = next + skip;
    next += skip + size;
    left -= skip + size;
    return at;
  }
};

TextTable::TextTable() : arena_(std::make_unique<Arena>()) {}
TextTable::TextTable(TextTable&&) noexcept = default;
TextTable& TextTable::operator=(TextTable&&) noexcept = default;
TextTable::~TextTable() = default;

TextTable::TextTable(const TextTable& other)
    : header(other.header), layout(other.layout), trailingBytes(other.trailingBytes), arena_(std::make_unique<Arena>()) {
  for (int i = 0; i < other.count(); ++i) append(other.key(i), other.text(i));
}

TextTable& TextTable::operator=(const TextTable& other) {
  if (this != &other) *this = TextTable(other);
  return *this;
}

std::uint8_t* TextTable::item(int index) const {
  if (index < 0 || index >= count_) throw std::out_of_range("text table index");
  return blocks_[static_cast<std::size_t>(index / kBlockEntries)]->items[index % kBlockEntries];
}

std::uint8_t TextTable::keyLength(int index) const {
  return blocks_[static_cast<std::size_t>(index / kBlockEntries)]->keyLengths[index % kBlockEntries];
}

std::span<const std::uint8_t> TextTable::key(int index) const {
  return {item(index), keyLength(index)};
}

std::u16string_view TextTable::text(int index) const {
  const std::uint8_t* at = item(index) + keyLength(index);
  return {reinterpret_cast<const char16_t*>(at + kLengthBytes), loadLength(at)};
}

std::span<const std::uint8_t> TextTable::record(int index) const {
  const std::uint8_t* at = item(index);
  const std::size_t keyBytes = keyLength(index);
  return {at, keyBytes + kLengthBytes + std::size_t{2} * loadLength(at + keyBytes)};
}

std::uint8_t* TextTable::allocateRecord(std::size_t keyBytes, std::size_t units) {
  return arena_->allocate(keyBytes + kLengthBytes + units * 2, keyBytes + kLengthBytes);
}

// Writes the record into memory from allocateRecord and points the entry at
// it; allocates nothing, so it cannot fail.
void TextTable::store(int index, std::uint8_t* at, std::span<const std::uint8_t> key, std::u16string_view text) {
  const std::size_t lengthAt = key.size();
  if (!key.empty()) std::memmove(at, key.data(), key.size());
  storeLength(at + lengthAt, text.size());
  if (!text.empty()) std::memcpy(at + lengthAt + kLengthBytes, text.data(), text.size() * 2);
  Block& block = *blocks_[static_cast<std::size_t>(index / kBlockEntries)];
  block.items[index % kBlockEntries] = at;
  block.keyLengths[index % kBlockEntries] = static_cast<std::uint8_t>(key.size());
}

void TextTable::append(std::span<const std::uint8_t> key, std::u16string_view text) {
  if (key.size() > KeyCapacity) throw std::length_error("text table key");
  if (count_ % kBlockEntries == 0 && static_cast<std::size_t>(count_ / kBlockEntries) == blocks_.size()) {
    blocks_.push_back(std::make_unique_for_overwrite<Block>());
  }
  // Should either allocation fail, the table holds what it held.
  text = beforeZero(text);
  store(count_, allocateRecord(key.size(), text.size()), key, text);
  ++count_;
}

void TextTable::setText(int index, std::u16string_view newText) {
  newText = beforeZero(newText);
  std::uint8_t* at = item(index);
  const std::size_t lengthAt = keyLength(index);
  // A text no longer than the old one takes its place; a longer one gets a
  // new record and the old bytes lie unused until the table goes.
  if (newText.size() <= loadLength(at + lengthAt)) {
    storeLength(at + lengthAt, newText.size());
    if (!newText.empty()) std::memmove(at + lengthAt + kLengthBytes, newText.data(), newText.size() * 2);
    return;
  }
  store(index, allocateRecord(lengthAt, newText.size()), {at, lengthAt}, newText);
}

void TextTable::setTexts(std::span<const int> indices, std::u16string_view newText) {
  newText = beforeZero(newText);
  // Everything that can fail comes first: the checks and the memory for
  // each text that outgrows its record.
  std::vector<std::uint8_t*> records(indices.size(), nullptr);
  for (std::size_t n = 0; n < indices.size(); ++n) {
    const std::uint8_t* at = item(indices[n]);
    const std::size_t lengthAt = keyLength(indices[n]);
    if (newText.size() > loadLength(at + lengthAt)) records[n] = allocateRecord(lengthAt, newText.size());
  }
  for (std::size_t n = 0; n < indices.size(); ++n) {
    std::uint8_t* at = item(indices[n]);
    const std::size_t lengthAt = keyLength(indices[n]);
    if (records[n] != nullptr) {
      store(indices[n], records[n], {at, lengthAt}, newText);
    } else {
      storeLength(at + lengthAt, newText.size());
      if (!newText.empty()) std::memmove(at + lengthAt + kLengthBytes, newText.data(), newText.size() * 2);
    }
  }
}

}  // namespace verbarium
