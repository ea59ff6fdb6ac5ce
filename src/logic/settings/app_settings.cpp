#include "settings/app_settings.h"

#include <bit>
#include <cstdio>

#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

static_assert(std::endian::native == std::endian::little, "the record is stored as Windows lays it out");

using PlacementBytes = std::array<std::uint8_t, sizeof(WindowPlacement)>;

constexpr char16_t kSection[] = u"Verbarium";
constexpr char16_t kPlacementKey[] = u"WindowPlacement";
// The buffer the keywords are read into, as on Windows: at most 1023 units
// of a longer value come back.
constexpr std::size_t kValueBufferUnits = 1024;

std::u16string columnWidthKey(std::size_t column) {
  return u"ColumnWidth" + asciiToUtf16(std::to_string(column));
}

std::u16string keywordKey(std::size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "SearchKeyword%03zu", index);
  return asciiToUtf16(name);
}

}  // namespace

void loadSettings(AppSettings& settings, const Path& file) {
  PlacementBytes placement{};
  if (getProfileStruct(file, kSection, kPlacementKey, placement)) {
    settings.windowPlacement = std::bit_cast<WindowPlacement>(placement);
  }
  for (std::size_t column = 0; column < settings.columnWidths.size(); ++column) {
    settings.columnWidths[column] = getProfileInt(file, kSection, columnWidthKey(column), 0);
  }
  // A missing or empty key is skipped, and the keywords after it move up.
  settings.keywordHistory.clear();
  for (std::size_t index = 0; index < kKeywordHistoryLimit; ++index) {
    std::u16string keyword = getProfileString(file, kSection, keywordKey(index), u"", kValueBufferUnits);
    if (!keyword.empty()) settings.keywordHistory.push_back(std::move(keyword));
  }
}

bool writeSettings(const AppSettings& settings, const Path& file) {
  ProfileWriter writer(file);
  writer.writeStruct(kSection, kPlacementKey, std::bit_cast<PlacementBytes>(settings.windowPlacement));
  for (std::size_t column = 0; column < settings.columnWidths.size(); ++column) {
    writer.writeString(kSection, columnWidthKey(column), asciiToUtf16(std::to_string(settings.columnWidths[column])));
  }
  // A keyword the file cannot hold, or an empty one, which would not be read
  // back, leaves no gap in the numbering.
  std::size_t index = 0;
  for (const auto& keyword : settings.keywordHistory) {
    if (index == kKeywordHistoryLimit) break;
    if (keyword.empty() || !isStorableProfileValue(keyword)) continue;
    writer.writeString(kSection, keywordKey(index++), keyword);
  }
  for (; index < kKeywordHistoryLimit; ++index) writer.deleteKey(kSection, keywordKey(index));
  return writer.commit();
}

}  // namespace verbarium
