#include "app/main_dlg.h"

#include <commctrl.h>

#include "app/about_dlg.h"
#include "archive/current_directory_scope.h"
#include "baseline/init_dlg.h"
#include "editor/select_text_dlg.h"
#include "layout/dpi_scale.h"
#include "ui/centre_window.h"
#include "ui/dpi.h"

namespace verbarium {

namespace {

constexpr UINT_PTR kFirstRunTimer = 1000;
constexpr UINT kFirstRunDelayMs = 100;

wchar_t* wide(const std::u16string_view& text, std::wstring& storage) {
  storage.assign(text.begin(), text.end());
  return storage.data();
}

}  // namespace

CMainDlg::CMainDlg(AppSettings& settings, Path programDirectory)
    : settings_(settings), person_(nullptr), runner_(nullptr), model_(person_, runner_, std::move(programDirectory)) {}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  // Tab, Enter and Escape work as in any dialog.
  return m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, msg);
}

void CMainDlg::OnCommand(int id, int notifyCode, HWND) {
  const bool clicked = notifyCode == BN_CLICKED;
  switch (id) {
    case IDC_LOAD_CFF: if (clicked) OnLoad(); break;
    case IDC_SAVE_CFF: if (clicked) OnSave(); break;
    case IDC_IMPORT: if (clicked) OnImport(); break;
    case IDC_EXPORT: if (clicked) OnExport(); break;
    case IDC_INITIAL_SETTINGS: if (clicked) OnInitialSettings(); break;
    case ID_APP_ABOUT: OnAbout(); break;
    default: break;
  }
}

bool CMainDlg::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_CLOSE:
      // Handled here, so that the dialog manager does not turn it into the
      // Cancel command that Escape gives too.
      OnClose(IDCANCEL);
      result = TRUE;
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == IDC_EDITION_TABS && header->code == TCN_SELCHANGE) {
        OnTabChange();
        return true;
      }
      if (header->idFrom == IDC_TABLE_LIST && header->code == NM_DBLCLK) {
        OnTableDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
        return true;
      }
      return false;
    }
    case TableProgressScan::kRowsMeasured:
      OnRowsMeasured();
      return true;
    case WM_TIMER:
      if (wParam != kFirstRunTimer) return false;
      OnFirstRunTimer();
      return true;
    case WM_DPICHANGED:
      ui::rescaleListColumns(list_, dpi_, ui::newDpi(wParam));
      dpi_ = ui::newDpi(wParam);
      return false;  // the dialog manager moves and sizes the window and its controls
    default:
      return false;
  }
}

BOOL CMainDlg::OnInitDialog() {
  person_.setOwner(m_hWnd);
  runner_.setOwner(m_hWnd);
  tabs_ = item(IDC_EDITION_TABS);
  list_ = item(IDC_TABLE_LIST);
  ui::centreWindow(m_hWnd);
  setIcons();
  if (ui::CMessageLoop* loop = ui::currentMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  model_.initialise();
  insertTabsAndColumns();
  showTableList();
  ::SetTimer(m_hWnd, kFirstRunTimer, kFirstRunDelayMs, nullptr);
  return TRUE;
}

void CMainDlg::setIcons() {
  HINSTANCE instance = ui::moduleInstance();
  largeIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERBARIUM), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                   LR_DEFAULTCOLOR)));
  smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERBARIUM), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                   LR_DEFAULTCOLOR)));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void CMainDlg::insertTabsAndColumns() {
  ListView_SetExtendedListViewStyleEx(list_, ~0u, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  std::wstring text;
  for (std::size_t i = 0; i < kEditions.size(); ++i) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = wide(kEditions[i].name, text);
    TabCtrl_InsertItem(tabs_, static_cast<int>(i), &tab);
  }
  const wchar_t* headings[] = {L"Filename", L"Description"};
  // The columns grow with the screen's DPI, as the list does.
  dpi_ = ui::windowDpi(m_hWnd);
  const int width = scaledToDpi(kTableColumnWidth, dpi_);
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(headings[i]);
    column.cx = width;
    column.iSubItem = i;
    ListView_InsertColumn(list_, i, &column);
  }
  ::EnableWindow(ListView_GetHeader(list_), FALSE);
}

void CMainDlg::showTableList() {
  ListView_DeleteAllItems(list_);
  std::wstring text;
  int row = 0;
  for (const std::u16string& name : model_.listRows()) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = wide(name, text);
    ListView_InsertItem(list_, &item);
    ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(L"-"));
    ++row;
  }
  measureProgress();
  const MainWindowControls controls = model_.controls();
  ::EnableWindow(list_, controls.tableList);
  for (int id : {IDC_LOAD_CFF, IDC_INITIAL_SETTINGS}) ::EnableWindow(item(id), controls.loadAndInitialSettings);
  for (int id : {IDC_SAVE_CFF, IDC_IMPORT, IDC_EXPORT}) ::EnableWindow(item(id), controls.saveImportExport);
  ::ShowWindow(item(IDC_PACKER_MISSING), controls.packerMissingLabel ? SW_SHOW : SW_HIDE);
}

void CMainDlg::OnTabChange() {
  model_.selectEdition(TabCtrl_GetCurSel(tabs_));
  showTableList();
}

// The rows show at once; each table's progress follows as it is measured.
void CMainDlg::measureProgress() { progressScan_.start(m_hWnd, model_.workDirectory(), model_.tables()); }

// Every action that may replace a table or a baseline stops the scan first:
// a table held open for reading could not be replaced meanwhile.
void CMainDlg::OnLoad() {
  progressScan_.stop();
  model_.load();
  showTableList();
}

void CMainDlg::OnSave() {
  progressScan_.stop();
  model_.save();
  showTableList();
}

void CMainDlg::OnImport() {
  progressScan_.stop();
  model_.importTables();
  measureProgress();
}

void CMainDlg::OnExport() { model_.exportTables(); }

void CMainDlg::OnInitialSettings() {
  progressScan_.stop();
  CInitDlg baselineSetup;
  baselineSetup.DoModal(::GetActiveWindow());
  measureProgress();
}

void CMainDlg::OnFirstRunTimer() {
  ::KillTimer(m_hWnd, kFirstRunTimer);
  if (model_.firstRunOpensBaselineSetup()) OnInitialSettings();
}

void CMainDlg::OnTableDoubleClick(int row) {
  const Path table = model_.tableForRow(row);
  if (table.empty()) return;
  // The entry list reads and writes its table relative to the edition
  // directory for its whole life.
  progressScan_.stop();
  {
    CurrentDirectoryScope edition{Path(model_.editionName())};
    if (edition.entered()) {
      CSelectTextDlg dialog(settings_, table);
      dialog.DoModal(::GetActiveWindow());
    }
  }
  measureProgress();
}

void CMainDlg::OnAbout() {
  CAboutDlg about;
  about.DoModal(::GetActiveWindow());
}

// Enter on the table list opens the selected table, as a double click does;
// elsewhere it does nothing, since the window has no default button.
void CMainDlg::OnOK() {
  if (::GetFocus() != list_) return;
  const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (row >= 0) OnTableDoubleClick(row);
}

// The close box and Alt+F4 end the program, with `command` as its exit code.
void CMainDlg::OnRowsMeasured() {
  std::wstring text;
  for (const TableProgressScan::MeasuredRow& measured : progressScan_.take()) {
    ListView_SetItemText(list_, measured.row, 1, wide(measured.text, text));
  }
}

void CMainDlg::OnClose(int command) {
  progressScan_.stop();
  if (ui::CMessageLoop* loop = ui::currentMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  closeDialog(command);
  ::PostQuitMessage(command);
}

}  // namespace verbarium
