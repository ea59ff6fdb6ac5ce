// Any bytes as a settings file. Whatever the reader makes of them must be
// written back in a form that reads the same, and a value set in it must
// come back whole.

#include <array>
#include <cstdlib>

#include "platform/profile_text.h"

namespace {

using verbarium::ProfileText;

constexpr std::u16string_view kSections[] = {u"Verbarium", u"S", u""};
constexpr std::u16string_view kKeys[] = {u"WindowPlacement", u"ColumnWidth0", u"SearchKeyword000", u"k", u""};

struct Reading {
  std::u16string text;
  int number = 0;
  bool hasRecord = false;
  std::array<std::uint8_t, 44> record{};

  bool operator==(const Reading&) const = default;
};

Reading readOne(const ProfileText& profile, std::u16string_view section, std::u16string_view key) {
  Reading r;
  r.text = profile.getString(section, key, u"<none>", 1024);
  if (r.text.size() > 1023) std::abort();
  r.number = profile.getInt(section, key, -77);
  r.hasRecord = profile.getStruct(section, key, r.record);
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ProfileText first = ProfileText::parse({data, size});
  const ProfileText second = ProfileText::parse(first.serialize());
  if (second.lines() != first.lines()) std::abort();
  for (auto section : kSections) {
    for (auto key : kKeys) {
      if (readOne(first, section, key) != readOne(second, section, key)) std::abort();
    }
  }

  // A value taken from the input, set and read back through a second parse.
  std::u16string value;
  for (std::size_t i = 0; i + 1 < size && value.size() < 64; i += 2) {
    value.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  if (!verbarium::isStorableProfileValue(value)) return 0;
  ProfileText changed = first;
  changed.setStoredValue(u"Verbarium", u"SearchKeyword000", verbarium::storedStringForm(value));
  const ProfileText reread = ProfileText::parse(changed.serialize());
  if (reread.getString(u"Verbarium", u"SearchKeyword000", u"", 1024) != value) std::abort();
  return 0;
}
