#pragma once
// The main window: one tab per edition, the edition's tables, and the
// archive-level actions. Its logic lives in MainWindowModel.

#include <windows.h>

#include "settings/app_settings.h"
#include "app/main_window_model.h"
#include "app/table_progress_scan.h"
#include "resources/resource.h"
#include "ui/dialog_impl.h"
#include "ui/handles.h"
#include "ui/message_loop.h"
#include "ui/win32_interaction.h"
#include "ui/win32_work_runner.h"

namespace verbarium {

// The table list's Filename and Description columns, at 96 DPI.
inline constexpr int kTableColumnWidth = 160;

class CMainDlg : public ui::CDialogImpl<CMainDlg>, public ui::CMessageFilter, public ui::CIdleHandler {
 public:
  enum { IDD = IDD_MAIN };

  CMainDlg(AppSettings& settings, Path programDirectory);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

 protected:
  void OnCommand(int id, int notifyCode, HWND control) override;
  bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  BOOL OnInitDialog() override;
  void OnLoad();
  void OnSave();
  void OnImport();
  void OnExport();
  void OnInitialSettings();
  void OnAbout();
  void OnOK() override;
  // Escape leaves the window as it is: only the close box or Alt+F4 ends
  // the program.
  void OnCancel() override {}
  void OnClose(int command);
  void OnTabChange();
  void OnTableDoubleClick(int row);
  void OnFirstRunTimer();
  void OnRowsMeasured();
  void measureProgress();

  void setIcons();
  void insertTabsAndColumns();
  // Shows the model's table list and enables the controls by it.
  void showTableList();

  AppSettings& settings_;
  ui::Win32Interaction person_;
  ui::Win32WorkRunner runner_;
  MainWindowModel model_;
  HWND tabs_ = nullptr;
  HWND list_ = nullptr;
  // The DPI the list's columns are sized for.
  int dpi_ = 0;
  ui::IconHandle largeIcon_;
  ui::IconHandle smallIcon_;
  // Last, so that it stops before the members it reports to go.
  TableProgressScan progressScan_;
};

}  // namespace verbarium
