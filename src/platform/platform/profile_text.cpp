#include "platform/profile_text.h"

#include <algorithm>

#include "platform/atomic_replace.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

// A settings file is a few kilobytes; anything far larger is not one, and
// reading it whole would only cost memory.
constexpr std::int64_t kMaxFileBytes = 16 * 1024 * 1024;

// The blanks the profile functions cut around names and values.
bool isTrimmedBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

// Wider than what is cut on reading here: another system's reader may cut
// more, and a value quoted without need still reads back the same.
bool needsQuotesAtEdge(char16_t c) {
  return c <= 0x20 || c == 0x7F || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) ||
         c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF || c == u'"' ||
         c == u'\'';
}

std::u16string_view trim(std::u16string_view text) {
  while (!text.empty() && isTrimmedBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isTrimmedBlank(text.back())) text.remove_suffix(1);
  return text;
}

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c; }

bool sameName(std::u16string_view a, std::u16string_view b) {
  return std::ranges::equal(trim(a), trim(b), [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

// "[name]" with anything after the bracket; a line without the closing
// bracket is no header.
std::optional<std::u16string_view> sectionName(std::u16string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != u'[') return std::nullopt;
  auto close = line.find(u']');
  if (close == std::u16string_view::npos) return std::nullopt;
  return trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::u16string_view name;
  std::optional<std::u16string_view> value;
};

KeyLine keyLine(std::u16string_view line) {
  line = trim(line);
  auto eq = line.find(u'=');
  if (eq == std::u16string_view::npos) return {line, std::nullopt};
  return {trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

bool isBlankLine(std::u16string_view line) { return trim(line).empty(); }

std::u16string decode(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return text;
  }
  std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
  return fromUtf8(raw);
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::u16string cut(std::u16string_view text, std::size_t bufferUnits) {
  if (bufferUnits == 0) return {};
  return std::u16string(text.substr(0, bufferUnits - 1));
}

}  // namespace

ProfileText ProfileText::parse(std::span<const std::uint8_t> bytes) {
  const std::u16string text = decode(bytes);
  ProfileText profile;
  std::u16string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      profile.lines_.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) profile.lines_.push_back(std::move(line));
  return profile;
}

std::vector<std::uint8_t> ProfileText::serialize() const {
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  auto put = [&bytes](char16_t unit) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  for (const auto& line : lines_) {
    for (char16_t unit : line) put(unit);
    put(u'\r');
    put(u'\n');
  }
  return bytes;
}

std::optional<ProfileText::Span> ProfileText::findSection(std::u16string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = sectionName(lines_[i]);
    if (!name || !sameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !sectionName(lines_[end])) ++end;
    return Span{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> ProfileText::findKey(const Span& section, std::u16string_view key) const {
  for (std::size_t i = section.begin + 1; i < section.end; ++i) {
    if (!isBlankLine(lines_[i]) && sameName(keyLine(lines_[i]).name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::u16string_view> ProfileText::storedValue(std::u16string_view section,
                                                            std::u16string_view key) const {
  auto span = findSection(section);
  if (!span) return std::nullopt;
  auto line = findKey(*span, key);
  if (!line) return std::nullopt;
  return keyLine(lines_[*line]).value;
}

std::u16string ProfileText::getString(std::u16string_view section, std::u16string_view key,
                                      std::u16string_view defaultValue, std::size_t bufferUnits) const {
  auto stored = storedValue(section, key);
  return stored ? stringFromStored(*stored, bufferUnits) : cut(defaultValue, bufferUnits);
}

int ProfileText::getInt(std::u16string_view section, std::u16string_view key, int defaultValue) const {
  auto stored = storedValue(section, key);
  if (!stored) return defaultValue;
  // An empty value, quoted or not, counts as missing, as on Windows.
  std::u16string text = stringFromStored(*stored, std::u16string::npos);
  return text.empty() ? defaultValue : intFromStored(text);
}

bool ProfileText::getStruct(std::u16string_view section, std::u16string_view key,
                            std::span<std::uint8_t> record) const {
  auto stored = storedValue(section, key);
  return stored && structFromStored(*stored, record);
}

bool ProfileText::setStoredValue(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view stored) {
  auto span = findSection(section);
  if (!span) {
    lines_.push_back(u"[" + std::u16string(section) + u"]");
    lines_.push_back(std::u16string(key) + u"=" + std::u16string(stored));
    return true;
  }
  if (auto line = findKey(*span, key)) {
    // The name keeps the spelling the file already has, as on Windows.
    std::u16string changed = std::u16string(keyLine(lines_[*line]).name) + u"=" + std::u16string(stored);
    if (changed == lines_[*line]) return false;
    lines_[*line] = std::move(changed);
    return true;
  }
  // Blank lines that end a section separate it from the next one: the new
  // key goes before them.
  std::size_t at = span->end;
  while (at > span->begin + 1 && isBlankLine(lines_[at - 1])) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                std::u16string(key) + u"=" + std::u16string(stored));
  return true;
}

bool ProfileText::removeKey(std::u16string_view section, std::u16string_view key) {
  auto span = findSection(section);
  if (!span) return false;
  auto line = findKey(*span, key);
  if (!line) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
  return true;
}

bool isStorableProfileValue(std::u16string_view value) {
  return value.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string_view::npos;
}

std::u16string storedStringForm(std::u16string_view value) {
  if (value.empty() || (!needsQuotesAtEdge(value.front()) && !needsQuotesAtEdge(value.back()))) {
    return std::u16string(value);
  }
  return u"\"" + std::u16string(value) + u"\"";
}

std::u16string stringFromStored(std::u16string_view stored, std::size_t bufferUnits) {
  if (stored.size() >= 2 && (stored.front() == u'"' || stored.front() == u'\'') && stored.back() == stored.front()) {
    stored = stored.substr(1, stored.size() - 2);
  }
  return cut(stored, bufferUnits);
}

int intFromStored(std::u16string_view stored) {
  std::size_t i = 0;
  while (i < stored.size() && isTrimmedBlank(stored[i])) ++i;
  bool negative = false;
  if (i < stored.size() && (stored[i] == u'+' || stored[i] == u'-')) negative = stored[i++] == u'-';
  std::uint32_t value = 0;
  for (; i < stored.size() && stored[i] >= u'0' && stored[i] <= u'9'; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(stored[i] - u'0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

std::u16string storedStructForm(std::span<const std::uint8_t> record) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  text.reserve(record.size() * 2 + 2);
  std::uint8_t sum = 0;
  auto put = [&text](std::uint8_t b) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  };
  for (std::uint8_t b : record) {
    put(b);
    sum = static_cast<std::uint8_t>(sum + b);
  }
  put(sum);
  return text;
}

bool structFromStored(std::u16string_view stored, std::span<std::uint8_t> record) {
  if (stored.size() != record.size() * 2 + 2) return false;
  std::vector<std::uint8_t> bytes(record.size() + 1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    int high = hexDigit(stored[2 * i]);
    int low = hexDigit(stored[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < record.size(); ++i) sum = static_cast<std::uint8_t>(sum + bytes[i]);
  if (sum != bytes.back()) return false;
  std::copy_n(bytes.begin(), record.size(), record.begin());
  return true;
}

std::optional<ProfileText> loadProfileText(const Path& file) {
  File input = File::openForReading(file);
  if (!input.isOpen()) {
    if (fileExists(file)) return std::nullopt;
    return ProfileText{};
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[16 * 1024];
  for (;;) {
    std::int64_t got = input.read(buffer, sizeof buffer);
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    if (static_cast<std::int64_t>(bytes.size()) + got > kMaxFileBytes) return std::nullopt;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return ProfileText::parse(bytes);
}

bool saveProfileText(const Path& file, const ProfileText& text) {
  AtomicReplace output(file);
  if (!output.isOpen()) return false;
  const std::vector<std::uint8_t> bytes = text.serialize();
  if (!output.stream().write(bytes.data(), bytes.size())) return false;
  return output.commit();
}

}  // namespace verbarium
