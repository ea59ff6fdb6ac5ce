#include "support/profile_ops.h"

#include "platform/profile_file.h"

namespace verbarium::test {

namespace {

using Kind = ProfileOp::Kind;

ProfileOp put(std::u16string section, std::u16string key, std::u16string value) {
  return {Kind::String, std::move(section), std::move(key), std::move(value), {}};
}
ProfileOp remove(std::u16string section, std::u16string key) {
  return {Kind::Delete, std::move(section), std::move(key), {}, {}};
}
const ProfileOp kCreate{Kind::CreateUnicode, {}, {}, {}, {}};

}  // namespace

Bytes unicodeFile(std::u16string_view text) { return cat({hex("FF FE"), utf16le(text)}); }

const std::vector<ProfileWriteCase>& profileWriteCases() {
  static const std::vector<ProfileWriteCase> cases = {
      {"a new file: keys join their section, the last write wins, deletes of missing keys change nothing",
       std::nullopt,
       {kCreate, put(u"S", u"a", u"1"), put(u"S", u"b", u"two"), put(u"T", u"x", u"日本"), put(u"S", u"c", u"3"),
        put(u"s", u"A", u"2"), remove(u"S", u"b"), remove(u"S", u"missing"), remove(u"Z", u"missing"),
        {Kind::Struct, u"S", u"p", {}, hex("01 02 FF")}},
       unicodeFile(u"[S]\r\na=2\r\nc=3\r\np=0102FF02\r\n[T]\r\nx=日本\r\n")},
      {"names keep the spelling of the file, comments stay, an emptied section keeps its header",
       unicodeFile(u"; c\r\n[s]\r\nA=1\r\n[T]\r\ny=2\r\n"),
       {put(u"S", u"a", u"9"), put(u"S", u"new", u"n"), remove(u"T", u"y")},
       unicodeFile(u"; c\r\n[s]\r\nA=9\r\nnew=n\r\n[T]\r\n")},
      {"LF line ends become CR LF", unicodeFile(u"[S]\na=1\n"), {put(u"S", u"b", u"2")},
       unicodeFile(u"[S]\r\na=1\r\nb=2\r\n")},
      {"blanks and quotes at a value's ends are kept in quotes", Bytes{},
       {kCreate, put(u"S", u"k", u" x "), put(u"S", u"q", u"'q'")}, unicodeFile(u"[S]\r\nk=\" x \"\r\nq=\"'q'\"\r\n")},
  };
  return cases;
}

void applyToFile(const Path& file, const std::vector<ProfileOp>& ops) {
  for (const auto& op : ops) {
    switch (op.kind) {
      case Kind::CreateUnicode: createUnicodeProfileFile(file); break;
      case Kind::String: writeProfileString(file, op.section, op.key, op.value); break;
      case Kind::Struct: writeProfileStruct(file, op.section, op.key, op.record); break;
      case Kind::Delete: deleteProfileKey(file, op.section, op.key); break;
    }
  }
}

void applyToText(ProfileText& text, const std::vector<ProfileOp>& ops) {
  for (const auto& op : ops) {
    switch (op.kind) {
      case Kind::CreateUnicode: break;
      case Kind::String: text.setStoredValue(op.section, op.key, storedStringForm(op.value)); break;
      case Kind::Struct: text.setStoredValue(op.section, op.key, storedStructForm(op.record)); break;
      case Kind::Delete: text.removeKey(op.section, op.key); break;
    }
  }
}

}  // namespace verbarium::test
