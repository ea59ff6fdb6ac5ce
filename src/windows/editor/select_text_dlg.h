#pragma once
// The entry list window: one table's entries beside their originals, a
// keyword search, and Save or Cancel. Its logic lives in EntryListModel.

#include <windows.h>

#include <commctrl.h>

#include "settings/app_settings.h"
#include "editor/entry_list_view.h"
#include "editor/entry_list_model.h"
#include "editor/keyword_history.h"
#include "resources/resource.h"
#include "ui/dialog_impl.h"
#include "ui/win32_clipboard.h"
#include "ui/win32_interaction.h"

namespace verbarium {

class CSelectTextDlg : public ui::CDialogImpl<CSelectTextDlg> {
 public:
  enum { IDD = IDD_SELECT_TEXT };

  // `table` is the table's file name, relative to the current directory.
  CSelectTextDlg(AppSettings& settings, Path table);

  const EntryListModel& model() const { return model_; }

 protected:
  void OnCommand(int id, int notifyCode, HWND control) override;
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // After each change of a text: one "*" in the title.
  void markModified();
  // The entry shown in the selected row, or -1.
  int selectedEntry() const;

  // Editing of single entries: the edit dialog, the context menu and its commands.
  void OnEntryDoubleClick(int row);
  void OnEntryRightClick();
  void OnEntryContextKey();
  // The Original and Current columns share the list's width in their ratio.
  void fillTextColumnsOfList();
  void showEntryMenu(POINT at);
  // Enter on the list and F2: the edit dialog for the selected row.
  void editSelectedEntry();
  void OnEntryCommand(int command);

  BOOL OnInitDialog() override;
  void OnSearch();
  void OnEnterOrSearch();
  void OnSave();
  void OnOK() override;
  void OnCancel() override;
  void OnKeywordSelEndOk();
  LRESULT OnListNotify(NMHDR* header);
  void OnGetDispInfo(NMLVDISPINFOW* info);
  void OnSize(int width, int height);
  void OnSizing(WPARAM edge, RECT* dragged);

  void insertColumns();
  void fillKeywordBox();
  void showRows();
  void refreshStatusLine();
  void restoreWindowState();
  void storeWindowState();
  Size controlSize(int id) const;

  AppSettings& settings_;
  const Path table_;
  EntryListModel model_;
  KeywordHistory history_;
  ui::Win32Interaction person_;
  ui::Win32Clipboard clipboard_;
  HWND list_ = nullptr;
  // The DPI the list's columns are sized for.
  int dpi_ = 0;
  // The context-menu key opened the menu: a WM_CONTEXTMENU of the same key
  // opens no second one.
  bool contextKeyMenuShown_ = false;
  HWND keyword_ = nullptr;
  HWND search_ = nullptr;
  // The cells handed to the list view, which must hold them until it asks again.
  std::wstring numberCell_;
  std::wstring textCell_;
};

}  // namespace verbarium
