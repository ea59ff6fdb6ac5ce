#include "editor/select_text_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "editor/edit_text_dlg.h"
#include "editor/clipboard_commands.h"
#include "editor/entry_list_view.h"
#include "layout/dpi_scale.h"
#include "ui/handles.h"
#include "ui/centre_window.h"
#include "ui/dpi.h"
#include "ui/window_text.h"

namespace verbarium {

namespace {

constexpr int kColumnCount = 4;
constexpr int kNumberColumn = 1;
constexpr int kOriginalColumn = 2;
constexpr int kCurrentColumn = 3;
constexpr std::size_t kKeywordUnits = 1024;
constexpr std::size_t kTitleUnits = 256;

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::u16string windowText(HWND window, std::size_t bufferUnits) {
  std::wstring buffer(bufferUnits, L'\0');
  int length = ::GetWindowTextW(window, buffer.data(), static_cast<int>(bufferUnits));
  return std::u16string(buffer.begin(), buffer.begin() + std::max(length, 0));
}

Rect rectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

CSelectTextDlg::CSelectTextDlg(AppSettings& settings, Path table)
    : settings_(settings),
      table_(std::move(table)),
      history_(settings.keywordHistory),
      person_(nullptr),
      clipboard_(nullptr) {}

void CSelectTextDlg::OnCommand(int id, int notifyCode, HWND) {
  switch (id) {
    case IDC_SEARCH: if (notifyCode == BN_CLICKED) OnEnterOrSearch(); break;
    case IDC_SAVE_TABLE: if (notifyCode == BN_CLICKED) OnSave(); break;
    case IDC_KEYWORD: if (notifyCode == CBN_SELENDOK) OnKeywordSelEndOk(); break;
    case ID_ENTRY_COPY:
    case ID_ENTRY_PASTE:
    case ID_ENTRY_REVERT: OnEntryCommand(id); break;
    default: break;
  }
}

// Enter searches for the keyword, as a click on the search button does.
void CSelectTextDlg::OnOK() { ::PostMessageW(search_, BM_CLICK, 0, 0); }

// Enter reaches the window as a click on its default button, the search
// button; pressed on the list, it edits the selected entry instead. A real
// click on the button takes the focus first, so it always searches.
void CSelectTextDlg::OnEnterOrSearch() {
  if (::GetFocus() == list_) {
    editSelectedEntry();
    return;
  }
  OnSearch();
}

bool CSelectTextDlg::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom != IDC_ENTRY_LIST) return false;
      setMessageResult(OnListNotify(header));
      result = TRUE;
      return true;
    }
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return true;
    case WM_SIZING:
      OnSizing(wParam, reinterpret_cast<RECT*>(lParam));
      result = TRUE;
      return true;
    case WM_DPICHANGED:
      // The text columns fill the list again once the window has its new size.
      ui::rescaleListColumns(list_, dpi_, ui::newDpi(wParam));
      dpi_ = ui::newDpi(wParam);
      return false;  // the dialog manager moves and sizes the window and its controls
    case WM_CONTEXTMENU:
      // The context-menu key and Shift+F10 on the list; a right click has
      // already opened the menu through NM_RCLICK.
      if (reinterpret_cast<HWND>(wParam) != list_ || lParam != -1) return false;
      // The context-menu key has opened it already where the system sends
      // this as well: one key, one menu.
      if (!contextKeyMenuShown_) OnEntryContextKey();
      contextKeyMenuShown_ = false;
      return true;
    default:
      return false;
  }
}

BOOL CSelectTextDlg::OnInitDialog() {
  person_.setOwner(m_hWnd);
  clipboard_.setOwner(m_hWnd);
  list_ = item(IDC_ENTRY_LIST);
  keyword_ = item(IDC_KEYWORD);
  search_ = item(IDC_SEARCH);

  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  insertColumns();
  ui::setWindowText(m_hWnd, entryListTitle(table_));
  if (model_.openTables(table_, &person_) == EntryListModel::OpenResult::Closed) {
    closeDialog(0);
    return TRUE;
  }
  showRows();
  fillKeywordBox();
  restoreWindowState();
  return TRUE;
}

void CSelectTextDlg::insertColumns() {
  struct Column {
    const wchar_t* heading;
    int format;
    int width;
  };
  static constexpr Column kColumns[kColumnCount] = {{L"", LVCFMT_LEFT, 0},
                                                     {L"No.", LVCFMT_RIGHT, kNumberColumnWidth},
                                                     {L"Original", LVCFMT_LEFT, kTextColumnWidth},
                                                     {L"Current", LVCFMT_LEFT, kTextColumnWidth}};
  dpi_ = ui::windowDpi(m_hWnd);
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = scaledToDpi(kColumns[i].width, dpi_);
    column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
    column.iSubItem = i;
    ListView_InsertColumn(list_, i, &column);
  }
}

void CSelectTextDlg::fillKeywordBox() {
  ::SendMessageW(keyword_, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& item : history_.items()) {
    ::SendMessageW(keyword_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item)));
  }
}

void CSelectTextDlg::showRows() {
  // The list holds no cells of its own: it asks the model for every one it
  // draws, so what it shows is always what the table holds.
  ListView_SetItemCountEx(list_, static_cast<int>(model_.shownRows().size()), 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

void CSelectTextDlg::OnSearch() {
  const std::u16string keyword = windowText(keyword_, kKeywordUnits);
  // The search first: should it run out of memory, the rows and the history
  // stay as they were.
  model_.filterRows(keyword);
  // A row now shows another entry: nothing stays selected. Only the one
  // selected row is touched; clearing all rows costs a call per row.
  for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
    int row = ListView_GetNextItem(list_, -1, flag);
    if (row >= 0) ListView_SetItemState(list_, row, 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
  showRows();
  if (!keyword.empty()) {
    bool merged = history_.recordSearch(keyword);
    fillKeywordBox();
    ui::setWindowText(keyword_, keyword);
    if (merged) ::SetFocus(keyword_);
  }
}

void CSelectTextDlg::OnKeywordSelEndOk() {
  // Picking from the open history list searches for the picked keyword,
  // once the box has taken it over.
  if (::SendMessageW(keyword_, CB_GETDROPPEDSTATE, 0, 0) != 0) ::PostMessageW(search_, BM_CLICK, 0, 0);
}

// The window state is stored before the table is written: once the table
// is on the disk nothing may fail and leave the window open, where a second
// Save would make the backup of the table just saved.
void CSelectTextDlg::OnSave() {
  storeWindowState();
  if (model_.saveTable(&person_) == EntryListModel::SaveResult::Failed) return;  // stays open with the edits
  closeDialog(0);
}

void CSelectTextDlg::OnCancel() {
  storeWindowState();
  if (model_.closeWindow(&person_) == EntryListModel::CloseDecision::StayOpen) return;
  closeDialog(0);
}

LRESULT CSelectTextDlg::OnListNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      return 0;
    case NM_CUSTOMDRAW:
      refreshStatusLine();
      return CDRF_DODEFAULT;
    case NM_DBLCLK: {
      int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
      if (row >= 0) OnEntryDoubleClick(row);
      return 0;
    }
    case NM_RCLICK:
      OnEntryRightClick();
      return 0;
    case LVN_KEYDOWN: {
      const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      contextKeyMenuShown_ = key == VK_APPS;
      switch (key) {
        case VK_F2: editSelectedEntry(); break;
        // Not every system turns this key into WM_CONTEXTMENU for a list.
        case VK_APPS: OnEntryContextKey(); break;
        default: break;
      }
      return 0;
    }
    default:
      return 0;
  }
}

void CSelectTextDlg::OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& cell = info->item;
  if (!(cell.mask & LVIF_TEXT)) return;
  const auto& rows = model_.shownRows();
  if (cell.iItem < 0 || static_cast<std::size_t>(cell.iItem) >= rows.size()) return;
  const int entry = rows[static_cast<std::size_t>(cell.iItem)];
  switch (cell.iSubItem) {
    case 1: {
      std::u16string number = model_.numberText(entry);
      numberCell_.assign(number.begin(), number.end());
      cell.pszText = numberCell_.data();
      break;
    }
    case 2:
    case 3: {
      // The table keeps its texts without terminators; the list needs one.
      const std::u16string_view text = cell.iSubItem == 2 ? model_.originalText(entry) : model_.currentText(entry);
      textCell_.assign(text.begin(), text.end());
      cell.pszText = textCell_.data();
      break;
    }
    default: cell.pszText = const_cast<wchar_t*>(L""); break;
  }
}

void CSelectTextDlg::refreshStatusLine() {
  StatusCounts counts;
  counts.shown = ListView_GetItemCount(list_);
  counts.top = ListView_GetTopIndex(list_);
  counts.perPage = ListView_GetCountPerPage(list_);
  counts.total = model_.entryCount();
  std::u16string text = statusLineText(counts);
  // Every repaint of the list lands here; an unchanged text is not set again
  // so that the status line does not flicker.
  if (windowText(item(IDC_STATUS_LINE), 128) != text) ui::setWindowText(item(IDC_STATUS_LINE), text);
}

Size CSelectTextDlg::controlSize(int id) const {
  RECT r{};
  ::GetWindowRect(item(id), &r);
  return {r.right - r.left, r.bottom - r.top};
}

void CSelectTextDlg::OnSize(int width, int height) {
  if (list_ == nullptr) return;
  EntryListControlSizes sizes;
  sizes.search = controlSize(IDC_SEARCH);
  RECT keywordRect{};
  ::GetWindowRect(keyword_, &keywordRect);
  sizes.keywordHeight = keywordRect.bottom - keywordRect.top;
  sizes.cancel = controlSize(IDCANCEL);
  sizes.statusWidth = controlSize(IDC_STATUS_LINE).width;
  const EntryListLayout layout = layOutEntryList(width, height, sizes, ui::windowDpi(m_hWnd));
  // A control moved alone keeps the pixels it had, which the window's own
  // background then paints over where the window grew: the controls are
  // moved without their old pixels and the whole window, children included,
  // is drawn afresh.
  auto place = [&](int id, const Rect& r) {
    ::SetWindowPos(item(id), nullptr, r.left, r.top, r.width(), r.height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  };
  place(IDC_SEARCH, layout.search);
  place(IDC_KEYWORD, layout.keyword);
  place(IDC_ENTRY_LIST, layout.list);
  place(IDCANCEL, layout.cancel);
  place(IDC_SAVE_TABLE, layout.save);
  place(IDC_STATUS_LINE, layout.status);
  fillTextColumnsOfList();
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSelectTextDlg::fillTextColumnsOfList() {
  RECT client{};
  ::GetClientRect(list_, &client);
  const TextColumnWidths widths = fillTextColumns(
      client.right - client.left, ListView_GetColumnWidth(list_, kNumberColumn),
      {ListView_GetColumnWidth(list_, kOriginalColumn), ListView_GetColumnWidth(list_, kCurrentColumn)},
      ui::windowDpi(m_hWnd));
  ListView_SetColumnWidth(list_, kOriginalColumn, widths.original);
  ListView_SetColumnWidth(list_, kCurrentColumn, widths.current);
}

void CSelectTextDlg::OnSizing(WPARAM edge, RECT* dragged) {
  const FrameMetrics frame{::GetSystemMetrics(SM_CXFRAME), ::GetSystemMetrics(SM_CYFRAME),
                           ::GetSystemMetrics(SM_CYCAPTION)};
  const Size minimum =
      entryListMinimumSize(controlSize(IDC_STATUS_LINE).width, controlSize(IDC_SAVE_TABLE), frame, ui::windowDpi(m_hWnd));
  Rect r = rectOf(*dragged);
  enforceMinimumSize(static_cast<SizingEdge>(edge), minimum, r);
  *dragged = RECT{r.left, r.top, r.right, r.bottom};
}

void CSelectTextDlg::restoreWindowState() {
  if (settings_.windowPlacement.length != 0) {
    WINDOWPLACEMENT placement{};
    static_assert(sizeof placement == sizeof settings_.windowPlacement);
    std::memcpy(&placement, &settings_.windowPlacement, sizeof placement);
    placement.showCmd = openingShowCommand(placement.showCmd, placement.flags);
    ::SetWindowPlacement(m_hWnd, &placement);
  } else {
    // The first time: room for whole sentences, over the middle of the main window.
    RECT window{}, work{};
    ::GetWindowRect(m_hWnd, &window);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Size size = firstEntryListSize({window.right - window.left, window.bottom - window.top},
                                         {work.right - work.left, work.bottom - work.top}, ui::windowDpi(m_hWnd));
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::centreWindow(m_hWnd);
  }
  // The widths the person left stand as they were, after the sizing above.
  const auto& widths = settings_.columnWidths;
  if (std::any_of(widths.begin(), widths.end(), [](int w) { return w != 0; })) {
    for (int i = 1; i < kColumnCount; ++i) ListView_SetColumnWidth(list_, i, static_cast<short>(widths[i]));
  }
}

void CSelectTextDlg::storeWindowState() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ::GetWindowPlacement(m_hWnd, &placement);
  std::memcpy(&settings_.windowPlacement, &placement, sizeof placement);
  for (int i = 0; i < kColumnCount; ++i) settings_.columnWidths[i] = ListView_GetColumnWidth(list_, i);
  settings_.keywordHistory = history_.stored();
}

void CSelectTextDlg::markModified() {
  // The mark first: should the title run out of memory, the close still asks.
  if (!model_.markModified()) return;
  ui::setWindowText(m_hWnd, modifiedTitle(windowText(m_hWnd, kTitleUnits)));
}

int CSelectTextDlg::selectedEntry() const {
  int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  const auto& rows = model_.shownRows();
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return -1;
  return rows[static_cast<std::size_t>(row)];
}

void CSelectTextDlg::OnEntryDoubleClick(int row) {
  const auto& rows = model_.shownRows();
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return;
  EditTextParam param = model_.editTextParam(rows[static_cast<std::size_t>(row)]);
  std::optional<RECT> onScreen;
  if (RECT bounds{}; ListView_GetItemRect(list_, row, &bounds, LVIR_BOUNDS)) {
    ::MapWindowPoints(list_, HWND_DESKTOP, reinterpret_cast<POINT*>(&bounds), 2);
    onScreen = bounds;
  }
  CEditTextDlg dialog(param, settings_, onScreen);
  if (dialog.DoModal(m_hWnd) != IDOK) return;
  if (model_.applyEntryEdit(param, settings_.replaceAllSameOriginal)) {
    ::InvalidateRect(list_, nullptr, FALSE);
    markModified();
  }
}

void CSelectTextDlg::editSelectedEntry() {
  const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (row >= 0) OnEntryDoubleClick(row);
}

void CSelectTextDlg::OnEntryRightClick() {
  POINT at{};
  ::GetCursorPos(&at);
  showEntryMenu(at);
}

// From the keyboard the menu opens below the selected row, or at the top of
// the list when no row is selected.
void CSelectTextDlg::OnEntryContextKey() {
  POINT at{0, 0};
  const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  RECT bounds{};
  if (row >= 0 && ListView_GetItemRect(list_, row, &bounds, LVIR_LABEL)) at = {bounds.left, bounds.bottom};
  ::ClientToScreen(list_, &at);
  showEntryMenu(at);
}

void CSelectTextDlg::showEntryMenu(POINT at) {
  ui::MenuHandle menu(::LoadMenuW(ui::moduleInstance(), MAKEINTRESOURCEW(IDR_ENTRY_CONTEXT_MENU)));
  if (!menu) return;
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  ::EnableMenuItem(popup, ID_ENTRY_PASTE, MF_BYCOMMAND | (clipboard_.hasClipboardText() ? MF_ENABLED : MF_GRAYED));
  ::TrackPopupMenu(popup, TPM_LEFTALIGN, at.x, at.y, 0, m_hWnd, nullptr);
}

void CSelectTextDlg::OnEntryCommand(int command) {
  const int entry = selectedEntry();
  bool changed = false;
  switch (command) {
    case ID_ENTRY_COPY: copyRowText(model_, entry, clipboard_, person_); break;
    case ID_ENTRY_PASTE: changed = pasteRowText(model_, entry, clipboard_, person_); break;
    case ID_ENTRY_REVERT: changed = revertRowText(model_, entry); break;
    default: break;
  }
  if (changed) {
    ::InvalidateRect(list_, nullptr, FALSE);
    markModified();
  }
}

}  // namespace verbarium
