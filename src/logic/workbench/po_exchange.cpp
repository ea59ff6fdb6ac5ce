#include "workbench/po_exchange.h"

#include <algorithm>
#include <cstdio>

#include "codec/hex_text.h"
#include "platform/utf.h"
#include "workbench/progress.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kKeyComment = u"key ";

std::u16string keyHex(std::span<const std::uint8_t> key) { return asciiToUtf16(lowerHex(key)); }

std::string revisionDate(const LocalTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return buffer;
}

// "<table>#<n>" with n from 1; nothing for another shape.
bool splitContext(std::u16string_view context, std::u16string& table, int& entry) {
  const std::size_t hash = context.rfind(u'#');
  if (hash == std::u16string_view::npos || hash + 1 == context.size() || context.size() - hash > 10) return false;
  long long number = 0;
  for (char16_t unit : context.substr(hash + 1)) {
    if (unit < u'0' || unit > u'9') return false;
    number = number * 10 + (unit - u'0');
  }
  if (number < 1) return false;
  table.assign(context.substr(0, hash));
  entry = static_cast<int>(number - 1);
  return true;
}

const std::u16string* keyComment(const PoMessage& message) {
  for (const std::u16string& comment : message.extractedComments) {
    if (comment.starts_with(kKeyComment)) return &comment;
  }
  return nullptr;
}

}  // namespace

PoExport tableToPo(std::u16string_view tableName, const TextTable& current, const TextTable& original,
                   const LocalTime& now) {
  PoExport result;
  result.text = poHeader({{"Project-Id-Version", toUtf8(tableName)},
                          {"PO-Revision-Date", revisionDate(now)},
                          {"Last-Translator", ""},
                          {"Language-Team", ""},
                          {"Language", "ja"},
                          {"MIME-Version", "1.0"},
                          {"Content-Type", "text/plain; charset=UTF-8"},
                          {"Content-Transfer-Encoding", "8bit"}});
  const std::u16string prefix = std::u16string(tableName) + u"#";
  for (int i = 0; i < current.count(); ++i) {
    PoMessage message;
    message.hasContext = true;
    message.context = prefix + asciiToUtf16(std::to_string(i + 1));
    message.extractedComments.push_back(std::u16string(kKeyComment) + keyHex(current.key(i)));
    message.id = original.text(i);
    if (isTranslated(current.text(i), original.text(i))) message.str = current.text(i);
    if (!appendPoMessage(result.text, message)) result.leftOut.push_back(i);
  }
  return result;
}

void applyPoMessages(const Path& directory, const std::vector<Path>& tableNames, const std::vector<PoMessage>& messages,
                     PoApplication& application) {
  for (const PoMessage& message : messages) {
    auto notApplied = [&](NotApplied why) { application.unapplied.push_back({{}, message.line, message.context, why}); };
    if (message.fuzzy) {
      ++application.fuzzySkipped;
      continue;
    }
    std::u16string tableName;
    int entry = 0;
    if (!message.hasContext || !splitContext(message.context, tableName, entry)) {
      notApplied(NotApplied::NoContext);
      continue;
    }
    if (std::find(tableNames.begin(), tableNames.end(), tableName) == tableNames.end()) {
      notApplied(NotApplied::NoSuchTable);
      continue;
    }
    auto found = application.tables.find(tableName);
    if (found == application.tables.end()) {
      found = application.tables.emplace(tableName, readTablePair(directory, tableName)).first;
    }
    TablePair& pair = found->second;
    if (!pair.measurable()) {
      notApplied(NotApplied::TableNotMeasurable);
      continue;
    }
    if (entry >= pair.current.count()) {
      notApplied(NotApplied::NoSuchEntry);
      continue;
    }
    const std::u16string* key = keyComment(message);
    if (key == nullptr) {
      notApplied(NotApplied::KeyMissing);
      continue;
    }
    if (std::u16string_view(*key).substr(kKeyComment.size()) != keyHex(pair.current.key(entry))) {
      notApplied(NotApplied::KeyDiffers);
      continue;
    }
    if (message.id != pair.original.text(entry)) {
      notApplied(NotApplied::OriginalChanged);
      continue;
    }
    if (message.str.find(u'\0') != std::u16string::npos) {
      notApplied(NotApplied::HoldsZero);
      continue;
    }
    const std::u16string_view text = message.str.empty() ? pair.original.text(entry) : std::u16string_view(message.str);
    if (pair.current.text(entry) == text) continue;
    pair.current.setText(entry, text);
    ++application.changedEntries;
    if (std::find(application.changed.begin(), application.changed.end(), tableName) == application.changed.end()) {
      application.changed.push_back(tableName);
    }
  }
}

}  // namespace verbarium
