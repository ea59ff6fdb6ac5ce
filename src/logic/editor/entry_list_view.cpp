#include "editor/entry_list_view.h"

#include <algorithm>
#include <string>

#include "layout/dpi_scale.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

constexpr int kMargin = 4;
constexpr int kStatusBand = 30;
constexpr std::size_t kTitleUnits = 255;

// Show commands and placement flags, with the values Win32 gives them.
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMinimized = 2;
constexpr std::uint32_t kShowMaximized = 3;
constexpr std::uint32_t kMinimize = 6;
constexpr std::uint32_t kShowMinNoActive = 7;
constexpr std::uint32_t kForceMinimize = 11;
constexpr std::uint32_t kRestoreToMaximized = 0x0002;

std::u16string decimal(int value) { return asciiToUtf16(std::to_string(value)); }

}  // namespace

std::u16string entryListTitle(std::u16string_view tablePath) {
  return u"編集するテキストを選択(File:" + std::u16string(tablePath) + u")";
}

std::u16string modifiedTitle(std::u16string_view title) {
  std::u16string marked(title.substr(0, kTitleUnits));
  return marked + u"*";
}

std::u16string statusLineText(const StatusCounts& c) {
  int last = c.top + c.perPage;
  if (last > c.shown) last = c.shown;
  std::u16string text = u" ItemCount: " + decimal(c.shown) + u" / " + decimal(c.total) + u"  View: ";
  if (c.perPage < 1 || c.top >= last) return text + u"---";
  return text + decimal(c.top + 1) + u" - " + decimal(last);
}

EntryListLayout layOutEntryList(int w, int h, const EntryListControlSizes& s, int dpi) {
  const int margin = scaledToDpi(kMargin, dpi);
  EntryListLayout out;
  out.search = {w - margin - s.search.width, margin, w - margin, margin + s.search.height};
  out.keyword = {margin, margin, out.search.left - margin, margin + s.keywordHeight};
  out.cancel = {w - margin - s.cancel.width, h - margin - s.cancel.height, w - margin, h - margin};
  // The list keeps a margin from the controls above and below it, however
  // tall the font makes them; with small ones it ends kStatusBand above the
  // bottom.
  const int listTop = std::max(out.search.bottom, out.keyword.bottom) + margin;
  out.list = {margin, listTop, w - margin, std::min(h - scaledToDpi(kStatusBand, dpi), out.cancel.top - margin)};
  out.save = {out.cancel.left - margin - s.cancel.width, out.cancel.top, out.cancel.left - margin, out.cancel.bottom};
  out.status = {margin, out.cancel.top, margin + s.statusWidth, out.cancel.bottom};
  return out;
}

Size entryListMinimumSize(int statusWidth, Size save, const FrameMetrics& frame, int dpi) {
  // Room for four margins across and down.
  const int margins = scaledToDpi(4 * kMargin, dpi);
  return {statusWidth + 2 * save.width + 2 * frame.frameWidth + margins,
          2 * save.height + margins + 2 * frame.frameHeight + frame.caption};
}

void enforceMinimumSize(SizingEdge edge, Size minimum, Rect& r) {
  auto left = [&] { if (r.left > r.right - minimum.width) r.left = r.right - minimum.width; };
  auto right = [&] { if (r.right < r.left + minimum.width) r.right = r.left + minimum.width; };
  auto top = [&] { if (r.top > r.bottom - minimum.height) r.top = r.bottom - minimum.height; };
  auto bottom = [&] { if (r.bottom < r.top + minimum.height) r.bottom = r.top + minimum.height; };
  switch (edge) {
    case SizingEdge::Left: left(); break;
    case SizingEdge::Right: right(); break;
    case SizingEdge::Top: top(); break;
    case SizingEdge::Bottom: bottom(); break;
    case SizingEdge::TopLeft: top(); left(); break;
    case SizingEdge::TopRight: top(); right(); break;
    case SizingEdge::BottomLeft: bottom(); left(); break;
    case SizingEdge::BottomRight: bottom(); right(); break;
  }
}

std::uint32_t openingShowCommand(std::uint32_t storedShowCommand, std::uint32_t flags) {
  switch (storedShowCommand) {
    case kShowMaximized: return kShowMaximized;
    case kShowMinimized:
    case kMinimize:
    case kShowMinNoActive:
    case kForceMinimize: return (flags & kRestoreToMaximized) ? kShowMaximized : kShowNormal;
    default: return kShowNormal;
  }
}

Point editDialogPosition(const Rect& row, Size dialog, const Rect& workArea) {
  const int centred = row.left + (row.width() - dialog.width) / 2;
  const int x = std::max(workArea.left, std::min(centred, workArea.right - dialog.width));
  int y = row.bottom;
  if (row.bottom + dialog.height > workArea.bottom) {
    y = row.top - dialog.height >= workArea.top ? row.top - dialog.height
                                                 : std::max(workArea.top, workArea.bottom - dialog.height);
  }
  return {x, y};
}

TextColumnWidths fillTextColumns(int listWidth, int numberWidth, TextColumnWidths before, int dpi) {
  const int narrowest = scaledToDpi(kNarrowestTextColumn, dpi);
  const int room = std::max(listWidth - numberWidth, 2 * narrowest);
  const long long given = static_cast<long long>(before.original) + before.current;
  if (given == 0) return {room / 2, room - room / 2};
  // A column the person closed stays closed.
  if (before.original == 0) return {0, room};
  if (before.current == 0) return {room, 0};
  int original = static_cast<int>(room * static_cast<long long>(before.original) / given);
  original = std::clamp(original, narrowest, room - narrowest);
  return {original, room - original};
}

Size firstEntryListSize(Size dialog, Size workArea, int dpi) {
  const int wideEnough = scaledToDpi(900, dpi), tallEnough = scaledToDpi(640, dpi);
  return {std::max(dialog.width, std::min(wideEnough, workArea.width * 3 / 4)),
          std::max(dialog.height, std::min(tallEnough, workArea.height * 3 / 4))};
}

}  // namespace verbarium
