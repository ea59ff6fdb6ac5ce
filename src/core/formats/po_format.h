#pragma once
// gettext PO files, the exchange format of translation-memory tools: the
// messages as GNU gettext writes them unwrapped (so that its tools leave our
// files byte for byte as they are), and a reader of what those tools write.

#include <string>
#include <string_view>
#include <vector>

namespace verbarium {

struct PoMessage {
  bool hasContext = false;
  std::u16string context;  // msgctxt
  std::u16string id;       // msgid
  std::u16string str;      // msgstr
  std::vector<std::u16string> extractedComments;  // "#." lines, after "#. "
  bool fuzzy = false;
  int line = 0;  // of the message's first keyword, from 1
};

// The header entry: msgid "" and a msgstr of "Name: value\n" lines.
std::string poHeader(const std::vector<std::pair<std::string, std::string>>& fields);

// Appends a blank line and the message as GNU gettext writes it with
// --no-wrap. False, with nothing appended, when a text holds a lone
// surrogate, which UTF-8 cannot carry.
[[nodiscard]] bool appendPoMessage(std::string& out, const PoMessage& message);

enum class [[nodiscard]] PoReadFailure {
  None,
  NotUtf8,        // bytes that are not UTF-8, or a header that names another charset
  BadString,      // a string without its quotes, or an escape gettext does not know
  BadStructure,   // keywords out of order, a message without msgid or msgstr
  PluralForms,    // msgid_plural and msgstr[n]: tables have no plural forms
};

struct PoReadResult {
  PoReadFailure failure = PoReadFailure::None;
  int line = 0;  // where it failed, from 1
  std::vector<PoMessage> messages;  // without the header entry and obsolete ones
};

PoReadResult readPo(std::string_view bytes);

}  // namespace verbarium
