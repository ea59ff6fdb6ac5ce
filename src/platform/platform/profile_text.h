#pragma once
// The text of a profile file (".ini"): sections in brackets and key=value
// lines, read the way the Windows profile functions read them, so that one
// settings file serves the program on Windows and on Linux. Reading keeps
// every line it does not change, so comments and foreign sections survive a
// write.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace verbarium {

class ProfileText {
 public:
  // UTF-16LE after the bytes FF FE; UTF-8 after EF BB BF or without a mark
  // (8-bit files of other code pages lose what is not ASCII). Line ends are
  // CR LF, LF or CR.
  static ProfileText parse(std::span<const std::uint8_t> bytes);
  // UTF-16LE with its byte order mark, every line ending in CR LF: the form
  // in which the profile functions keep Unicode texts.
  std::vector<std::uint8_t> serialize() const;

  // The text after the '=' with the blanks around it cut off; nothing when
  // the section, the key or the key's '=' is missing. Names compare without
  // regard to ASCII case, and only the first section of a name counts.
  std::optional<std::u16string_view> storedValue(std::u16string_view section, std::u16string_view key) const;

  std::u16string getString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view defaultValue, std::size_t bufferUnits) const;
  int getInt(std::u16string_view section, std::u16string_view key, int defaultValue) const;
  bool getStruct(std::u16string_view section, std::u16string_view key, std::span<std::uint8_t> record) const;

  // Sets the value as it is to be stored (see storedStringForm); a new key
  // goes to the end of its section, a new section to the end of the text.
  // False when the key already held that value.
  bool setStoredValue(std::u16string_view section, std::u16string_view key, std::u16string_view stored);
  // False when there was no such key.
  bool removeKey(std::u16string_view section, std::u16string_view key);

  const std::vector<std::u16string>& lines() const { return lines_; }

 private:
  struct Span {
    std::size_t begin = 0;  // the section's header line, or the key's line
    std::size_t end = 0;    // one past the section's last line
  };
  std::optional<Span> findSection(std::u16string_view section) const;
  std::optional<std::size_t> findKey(const Span& section, std::u16string_view key) const;

  std::vector<std::u16string> lines_;
};

// Values in the forms the profile functions read and write.

// False for a text that no line can hold: line breaks would start new keys,
// and the Windows functions end a value at its first zero unit.
bool isStorableProfileValue(std::u16string_view value);
// The text to put after the '='. The profile functions cut the blanks around
// a value and drop one pair of quotes around it; a value that begins or ends
// with either is put in double quotes, so that it comes back as it was.
std::u16string storedStringForm(std::u16string_view value);
// What GetPrivateProfileStringW gives for a stored value with a buffer of
// `bufferUnits`: one pair of enclosing quotes dropped, cut to bufferUnits - 1.
std::u16string stringFromStored(std::u16string_view stored, std::size_t bufferUnits);
// A decimal number with an optional sign, up to the first other character,
// wrapping around at 32 bits; 0 when there is no digit.
int intFromStored(std::u16string_view stored);
// The bytes in upper-case hex followed by their sum modulo 256.
std::u16string storedStructForm(std::span<const std::uint8_t> record);
// Fills `record` only when the text holds exactly its size in bytes and the
// checksum matches.
bool structFromStored(std::u16string_view stored, std::span<std::uint8_t> record);

// The file behind a ProfileText. An absent file reads as an empty text;
// nothing comes back when the file exists but cannot be read whole.
std::optional<ProfileText> loadProfileText(const Path& file);
// Replaces the file as a whole, so that a failed write leaves the old one.
bool saveProfileText(const Path& file, const ProfileText& text);

}  // namespace verbarium
