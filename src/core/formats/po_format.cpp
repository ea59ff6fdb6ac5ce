#include "formats/po_format.h"

#include <algorithm>
#include <optional>

namespace verbarium {

namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Appends the character at text[i] as UTF-8, past a surrogate pair; false
// for a lone surrogate.
bool appendCharacter(std::string& out, std::u16string_view text, std::size_t& i) {
  char32_t unit = text[i];
  if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
    unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
  } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
    return false;
  }
  appendUtf8(out, unit);
  return true;
}

// The text between the quotes, escaped as gettext escapes it: the C escapes
// of the control characters it names, every other character as itself.
std::optional<std::string> escaped(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case u'"': out += "\\\""; continue;
      case u'\\': out += "\\\\"; continue;
      case u'\a': out += "\\a"; continue;
      case u'\b': out += "\\b"; continue;
      case u'\f': out += "\\f"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      case u'\v': out += "\\v"; continue;
      default: break;
    }
    if (!appendCharacter(out, text, i)) return std::nullopt;
  }
  return out;
}

// A comment is the rest of its line: no line break, nothing the reader
// would trim from its end.
std::optional<std::string> utf8Line(std::u16string_view text) {
  if (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r')) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || !appendCharacter(out, text, i)) return std::nullopt;
  }
  return out;
}

// gettext puts a string with a line break before its end on lines of its
// own, one line after each break, even when it does not wrap.
bool appendKeyword(std::string& out, std::string_view keyword, std::u16string_view text) {
  const std::size_t firstBreak = text.find(u'\n');
  if (firstBreak == std::u16string_view::npos || firstBreak + 1 == text.size()) {
    std::optional<std::string> line = escaped(text);
    if (!line) return false;
    out += std::string(keyword) + " \"" + *line + "\"\n";
    return true;
  }
  out += std::string(keyword) + " \"\"\n";
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(u'\n', start);
    end = end == std::u16string_view::npos ? text.size() : end + 1;
    std::optional<std::string> line = escaped(text.substr(start, end - start));
    if (!line) return false;
    out += "\"" + *line + "\"\n";
    start = end;
  }
  return true;
}

// ---- reading ----

struct Cursor {
  std::string_view bytes;
  std::size_t at = 0;
  int line = 0;

  bool next(std::string_view& text) {
    if (at >= bytes.size()) return false;
    std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    text = bytes.substr(at, end - at);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    at = end + 1;
    ++line;
    return true;
  }
};

// Blanks, tabs and a stray CR around a line's content.
std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last + 1 - first);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted string's bytes with the escapes resolved; nothing when it is no
// quoted string or holds an unknown escape.
std::optional<std::string> unquoted(std::string_view text) {
  text = trimmed(text);
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (const char e = text[i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'a': out += '\a'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'v': out += '\v'; break;
      case '\\': case '"': case '\'': case '?': out += e; break;
      case 'x': {
        // Every hex digit that follows belongs to the escape, as gettext reads
        // it; a value beyond a byte is refused, as an octal one is, rather
        // than cut to a byte the file does not say.
        int value = 0;
        std::size_t digits = 0;
        while (i + 1 < text.size() && hexValue(text[i + 1]) >= 0) {
          value = value * 16 + hexValue(text[++i]);
          if (value > 0xFF) return std::nullopt;
          ++digits;
        }
        if (digits == 0) return std::nullopt;
        out += static_cast<char>(value);
        break;
      }
      default: {
        if (e < '0' || e > '7') return std::nullopt;
        int value = e - '0';
        for (int digits = 1; digits < 3 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7'; ++digits) {
          value = value * 8 + (text[++i] - '0');
        }
        if (value > 0xFF) return std::nullopt;
        out += static_cast<char>(value);
        break;
      }
    }
  }
  return out;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
std::optional<std::u16string> strictUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((b0 & 0xE0) == 0xC0) {
      length = 2, cp = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      length = 3, cp = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      length = 4, cp = b0 & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + length > bytes.size()) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
}

bool startsWithWord(std::string_view line, std::string_view word) {
  return line.starts_with(word) && (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  return out;
}

// Whether the header's Content-Type names a charset other than UTF-8.
bool namesOtherCharset(std::u16string_view header) {
  std::string text;
  for (char16_t unit : header) text += unit < 0x80 ? static_cast<char>(unit) : '?';
  text = lowered(text);
  const std::size_t at = text.find("charset=");
  if (at == std::string::npos) return false;
  std::string_view name = std::string_view(text).substr(at + 8);
  name = name.substr(0, name.find_first_of(" ;\n"));
  return name != "utf-8" && name != "utf8";
}

class PoParser {
 public:
  explicit PoParser(std::string_view bytes) : cursor_{bytes} {
    if (cursor_.bytes.starts_with("\xEF\xBB\xBF")) cursor_.at = 3;
  }

  PoReadResult run() {
    std::string_view line;
    while (cursor_.next(line)) {
      if (!take(line)) return result_;
    }
    if (!finishMessage()) return result_;
    return result_;
  }

 private:
  enum class Field { None, Context, Id, Str };

  bool fail(PoReadFailure failure) {
    result_.failure = failure;
    result_.line = cursor_.line;
    result_.messages.clear();
    return false;
  }

  bool take(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (text.empty()) return true;
    if (text.starts_with("#~")) return true;  // obsolete messages
    if (text.starts_with("#")) return comment(text);
    if (text.starts_with("\"")) return continuation(text);
    if (startsWithWord(text, "msgid_plural") || text.starts_with("msgstr[")) return fail(PoReadFailure::PluralForms);
    if (startsWithWord(text, "msgctxt")) return keyword(Field::Context, text.substr(7));
    if (startsWithWord(text, "msgid")) return keyword(Field::Id, text.substr(5));
    if (startsWithWord(text, "msgstr")) return keyword(Field::Str, text.substr(6));
    return fail(PoReadFailure::BadStructure);
  }

  bool comment(std::string_view text) {
    // A comment after a complete message belongs to the next one.
    if (field_ == Field::Str && !finishMessage()) return false;
    if (text.starts_with("#.")) {
      std::string_view body = text.substr(2);
      if (body.starts_with(' ')) body.remove_prefix(1);
      std::optional<std::u16string> wide = strictUtf16(body);
      if (!wide) return fail(PoReadFailure::NotUtf8);
      pending_.extractedComments.push_back(std::move(*wide));
    } else if (text.starts_with("#,")) {
      std::string_view flags = text.substr(2);
      while (!flags.empty()) {
        const std::size_t comma = flags.find(',');
        if (trimmed(flags.substr(0, comma)) == "fuzzy") pending_.fuzzy = true;
        flags = comma == std::string_view::npos ? std::string_view{} : flags.substr(comma + 1);
      }
    }
    return true;
  }

  bool keyword(Field field, std::string_view rest) {
    if (field == Field::Context || (field == Field::Id && field_ != Field::Context)) {
      if (field_ == Field::Str && !finishMessage()) return false;
      if (field_ != Field::None) return fail(PoReadFailure::BadStructure);
      pending_.line = cursor_.line;
    } else if ((field == Field::Id && field_ != Field::Context) || (field == Field::Str && field_ != Field::Id)) {
      return fail(PoReadFailure::BadStructure);
    }
    if (!closeField()) return false;
    field_ = field;
    if (field == Field::Context) pending_.hasContext = true;
    return append(rest);
  }

  bool continuation(std::string_view text) {
    if (field_ == Field::None) return fail(PoReadFailure::BadStructure);
    return append(text);
  }

  bool append(std::string_view quoted) {
    std::optional<std::string> bytes = unquoted(quoted);
    if (!bytes) return fail(PoReadFailure::BadString);
    bytes_ += *bytes;
    return true;
  }

  // A character may be split between two strings of a field: the field is
  // decoded once it is whole.
  bool closeField() {
    if (field_ == Field::None) return true;
    std::optional<std::u16string> wide = strictUtf16(bytes_);
    if (!wide) return fail(PoReadFailure::NotUtf8);
    fieldText() = std::move(*wide);
    bytes_.clear();
    return true;
  }

  std::u16string& fieldText() {
    switch (field_) {
      case Field::Context: return pending_.context;
      case Field::Id: return pending_.id;
      default: return pending_.str;
    }
  }

  bool finishMessage() {
    if (!closeField()) return false;
    if (field_ == Field::None) {
      if (!pending_.extractedComments.empty() || pending_.fuzzy) pending_ = {};
      return true;
    }
    if (field_ != Field::Str) return fail(PoReadFailure::BadStructure);
    const bool header = !pending_.hasContext && pending_.id.empty();
    if (header) {
      if (sawHeader_ || !result_.messages.empty()) return fail(PoReadFailure::BadStructure);
      sawHeader_ = true;
      if (namesOtherCharset(pending_.str)) return fail(PoReadFailure::NotUtf8);
    } else {
      result_.messages.push_back(std::move(pending_));
    }
    pending_ = {};
    field_ = Field::None;
    return true;
  }

  Cursor cursor_;
  PoReadResult result_;
  PoMessage pending_;
  Field field_ = Field::None;
  std::string bytes_;
  bool sawHeader_ = false;
};

}  // namespace

std::string poHeader(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string out = "msgid \"\"\nmsgstr \"\"\n";
  for (const auto& [name, value] : fields) out += "\"" + name + ": " + value + "\\n\"\n";
  return out;
}

bool appendPoMessage(std::string& out, const PoMessage& message) {
  std::string text = "\n";
  for (const std::u16string& comment : message.extractedComments) {
    // A comment is the rest of its line, as it stands.
    std::optional<std::string> line = utf8Line(comment);
    if (!line) return false;
    text += "#. " + *line + "\n";
  }
  if (message.fuzzy) text += "#, fuzzy\n";
  if (message.hasContext && !appendKeyword(text, "msgctxt", message.context)) return false;
  if (!appendKeyword(text, "msgid", message.id) || !appendKeyword(text, "msgstr", message.str)) return false;
  out += text;
  return true;
}

PoReadResult readPo(std::string_view bytes) { return PoParser(bytes).run(); }

}  // namespace verbarium
