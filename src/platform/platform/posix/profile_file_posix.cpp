#include "platform/profile_file.h"
#include "platform/profile_text.h"

namespace verbarium {

namespace {

// A file that exists but cannot be read is never written over: that would
// lose whatever else it holds. A change that changes nothing costs no write.
template <typename Change>
bool changeProfileText(const Path& file, Change change) {
  auto text = loadProfileText(file);
  if (!text) return false;
  if (!change(*text)) return true;
  return saveProfileText(file, *text);
}

}  // namespace

std::u16string getProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                                std::u16string_view defaultValue, std::size_t bufferUnits) {
  return loadProfileText(file).value_or(ProfileText{}).getString(section, key, defaultValue, bufferUnits);
}

int getProfileInt(const Path& file, std::u16string_view section, std::u16string_view key, int defaultValue) {
  return loadProfileText(file).value_or(ProfileText{}).getInt(section, key, defaultValue);
}

bool getProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                      std::span<std::uint8_t> record) {
  auto text = loadProfileText(file);
  return text && text->getStruct(section, key, record);
}

bool writeProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) {
  if (!isStorableProfileValue(value)) return false;
  return changeProfileText(
      file, [&](ProfileText& text) { return text.setStoredValue(section, key, storedStringForm(value)); });
}

bool writeProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::span<const std::uint8_t> record) {
  return changeProfileText(
      file, [&](ProfileText& text) { return text.setStoredValue(section, key, storedStructForm(record)); });
}

bool deleteProfileKey(const Path& file, std::u16string_view section, std::u16string_view key) {
  return changeProfileText(file, [&](ProfileText& text) { return text.removeKey(section, key); });
}

ProfileWriter::ProfileWriter(Path file) : file_(std::move(file)) {
  auto text = loadProfileText(file_);
  if (text) text_ = std::make_unique<ProfileText>(std::move(*text));
  else ok_ = false;
}

ProfileWriter::~ProfileWriter() = default;

void ProfileWriter::writeString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  if (!isStorableProfileValue(value)) {
    ok_ = false;
    return;
  }
  if (text_) changed_ = text_->setStoredValue(section, key, storedStringForm(value)) || changed_;
}

void ProfileWriter::writeStruct(std::u16string_view section, std::u16string_view key,
                                std::span<const std::uint8_t> record) {
  if (text_) changed_ = text_->setStoredValue(section, key, storedStructForm(record)) || changed_;
}

void ProfileWriter::deleteKey(std::u16string_view section, std::u16string_view key) {
  if (text_) changed_ = text_->removeKey(section, key) || changed_;
}

bool ProfileWriter::commit() {
  // A file that exists but cannot be read is never written over.
  if (!text_) return false;
  if (changed_) ok_ = saveProfileText(file_, *text_) && ok_;
  changed_ = false;
  return ok_;
}

}  // namespace verbarium
