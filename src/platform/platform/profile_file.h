#pragma once
// The settings file operations, in the manner of the Windows private profile
// functions: each call opens the file, and a write leaves it complete. On
// Windows they are the profile functions themselves; elsewhere the same text
// format is read and written here (profile_text.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace verbarium {

// The value of the key, or `defaultValue` when the key is missing, cut to
// `bufferUnits` - 1 units as a buffer of that size would hold it.
std::u16string getProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                                std::u16string_view defaultValue, std::size_t bufferUnits);
// `defaultValue` when the key is missing or empty; 0 when it holds no number.
int getProfileInt(const Path& file, std::u16string_view section, std::u16string_view key, int defaultValue);
// Fills `record` only when the key holds exactly that many bytes with a
// matching checksum; otherwise false, and `record` keeps what it held.
bool getProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                      std::span<std::uint8_t> record);

// Stores the value so that getProfileString gives it back whole, blanks and
// quotes at its ends included. False when the file cannot be written, and for
// a value no line can hold (line breaks, zero units): nothing is written then.
bool writeProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::u16string_view value);
bool writeProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::span<const std::uint8_t> record);
// A missing key is no failure; a missing file is not created.
bool deleteProfileKey(const Path& file, std::u16string_view section, std::u16string_view key);

class ProfileText;

// Several changes to one settings file. Where this layer writes the file
// itself (Linux) they are made in memory and the file is replaced once, by
// commit(): afterwards it is the old file or the new one, never a mix. On
// Windows each change goes through the profile functions, key by key.
class ProfileWriter {
 public:
  explicit ProfileWriter(Path file);
  ProfileWriter(const ProfileWriter&) = delete;
  ProfileWriter& operator=(const ProfileWriter&) = delete;
  ~ProfileWriter();

  // As writeProfileString, writeProfileStruct and deleteProfileKey.
  void writeString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void writeStruct(std::u16string_view section, std::u16string_view key, std::span<const std::uint8_t> record);
  void deleteKey(std::u16string_view section, std::u16string_view key);
  // False when any change did not reach the file.
  [[nodiscard]] bool commit();

 private:
  Path file_;
  bool ok_ = true;
  // The file's text being changed, where this layer writes the file itself.
  std::unique_ptr<ProfileText> text_;
  bool changed_ = false;
};

// Creates the file as an empty UTF-16LE text (its byte order mark alone)
// when it is absent or empty. The Windows profile functions keep writing a
// file in the encoding they find it in, and without the mark they write the
// system code page, which cannot hold every text.
bool createUnicodeProfileFile(const Path& file);

}  // namespace verbarium
