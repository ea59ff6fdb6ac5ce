#include "editor/line_breaks.h"

namespace verbarium {

namespace {

enum class BreakForm { None, Lf, CrLf };

BreakForm breakFormOf(std::u16string_view text) {
  if (text.find(u"\r\n") != std::u16string_view::npos) return BreakForm::CrLf;
  if (text.find(u'\n') != std::u16string_view::npos) return BreakForm::Lf;
  return BreakForm::None;
}

}  // namespace

std::u16string toEditBoxBreaks(std::u16string_view text) {
  std::u16string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) shown += u'\r';
    shown += text[i];
  }
  return shown;
}

std::u16string fromEditBoxBreaks(std::u16string_view edited, std::u16string_view before,
                                 std::u16string_view original) {
  // Untouched, a text comes back as it was, whatever mix of breaks it has.
  if (edited == toEditBoxBreaks(before)) return std::u16string(before);
  BreakForm form = breakFormOf(before);
  if (form == BreakForm::None) form = breakFormOf(original);
  if (form == BreakForm::CrLf) return std::u16string(edited);
  std::u16string text;
  text.reserve(edited.size());
  for (std::size_t i = 0; i < edited.size(); ++i) {
    if (edited[i] == u'\r' && i + 1 < edited.size() && edited[i + 1] == u'\n') continue;
    text += edited[i];
  }
  return text;
}

}  // namespace verbarium
