#pragma once
// Sequences of profile file writes with the exact bytes they leave, shared by
// the tests of our own writer and the comparison with the Windows functions.

#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/profile_text.h"
#include "support/test_bytes.h"

namespace verbarium::test {

struct ProfileOp {
  enum class Kind { CreateUnicode, String, Struct, Delete };
  Kind kind;
  std::u16string section;
  std::u16string key;
  std::u16string value;  // String
  Bytes record;          // Struct
};

struct ProfileWriteCase {
  std::string name;
  std::optional<Bytes> before;  // none: no file
  std::vector<ProfileOp> ops;
  Bytes after;
};

// A UTF-16LE file with its byte order mark.
Bytes unicodeFile(std::u16string_view text);

const std::vector<ProfileWriteCase>& profileWriteCases();

// Through the platform's profile functions.
void applyToFile(const Path& file, const std::vector<ProfileOp>& ops);
// Through our own text format alone, as the Linux build does it.
void applyToText(ProfileText& text, const std::vector<ProfileOp>& ops);

}  // namespace verbarium::test
