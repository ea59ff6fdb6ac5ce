#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/profile_file.h"
#include "platform/profile_text.h"
#include "platform/win32/long_path.h"

namespace verbarium {

namespace {

// The profile functions look for a bare file name in the Windows directory;
// the program means its current directory, as with every other file.
std::wstring profilePath(const Path& file) {
  if (file.find_first_of(u"\\/:") == Path::npos) return toWin32Path(u".\\" + file);
  return toWin32Path(file);
}

}  // namespace

std::u16string getProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                                std::u16string_view defaultValue, std::size_t bufferUnits) {
  if (bufferUnits == 0) return {};
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bufferUnits, MAXDWORD));
  std::wstring buffer(size, L'\0');
  DWORD length = ::GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                            toWide(defaultValue).c_str(), buffer.data(), size,
                                            profilePath(file).c_str());
  return fromWide(std::wstring_view(buffer.data(), std::min(length, size)));
}

int getProfileInt(const Path& file, std::u16string_view section, std::u16string_view key, int defaultValue) {
  return static_cast<int>(
      ::GetPrivateProfileIntW(toWide(section).c_str(), toWide(key).c_str(), defaultValue, profilePath(file).c_str()));
}

bool getProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                      std::span<std::uint8_t> record) {
  // The function may fill the buffer before it finds the checksum wrong.
  std::vector<std::uint8_t> staging(record.size());
  if (!::GetPrivateProfileStructW(toWide(section).c_str(), toWide(key).c_str(), staging.data(),
                                  static_cast<UINT>(staging.size()), profilePath(file).c_str())) {
    return false;
  }
  std::ranges::copy(staging, record.begin());
  return true;
}

bool writeProfileString(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) {
  if (!isStorableProfileValue(value)) return false;
  return ::WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                      toWide(storedStringForm(value)).c_str(), profilePath(file).c_str()) != FALSE;
}

bool writeProfileStruct(const Path& file, std::u16string_view section, std::u16string_view key,
                        std::span<const std::uint8_t> record) {
  // The function only reads the record; its parameter merely lacks the const.
  void* data = const_cast<std::uint8_t*>(record.data());
  return ::WritePrivateProfileStructW(toWide(section).c_str(), toWide(key).c_str(), data,
                                      static_cast<UINT>(record.size()), profilePath(file).c_str()) != FALSE;
}

bool deleteProfileKey(const Path& file, std::u16string_view section, std::u16string_view key) {
  return ::WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(), nullptr,
                                      profilePath(file).c_str()) != FALSE;
}

ProfileWriter::ProfileWriter(Path file) : file_(std::move(file)) { ok_ = createUnicodeProfileFile(file_); }

ProfileWriter::~ProfileWriter() = default;

void ProfileWriter::writeString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  ok_ = writeProfileString(file_, section, key, value) && ok_;
}

void ProfileWriter::writeStruct(std::u16string_view section, std::u16string_view key,
                                std::span<const std::uint8_t> record) {
  ok_ = writeProfileStruct(file_, section, key, record) && ok_;
}

void ProfileWriter::deleteKey(std::u16string_view section, std::u16string_view key) {
  ok_ = deleteProfileKey(file_, section, key) && ok_;
}

bool ProfileWriter::commit() { return ok_; }

}  // namespace verbarium
