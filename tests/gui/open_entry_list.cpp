// Opens the entry list window on one table, with the settings file of the
// current directory, as the program will once its main window opens it.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "settings/app_settings.h"
#include "editor/select_text_dlg.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  ::InitCommonControlsEx(&controls);
  verbarium::ui::setModuleInstance(instance);
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(commandLine, &argc);
  if (argv == nullptr || argc < 1 || commandLine[0] == L'\0') {
    ::MessageBoxW(nullptr, L"open-entry-list TABLE", L"usage", MB_OK);
    return 2;
  }
  verbarium::AppSettings settings;
  verbarium::loadSettings(settings, verbarium::kSettingsFileName);
  const std::wstring_view table = argv[0];
  verbarium::CSelectTextDlg dialog(settings, verbarium::Path(table.begin(), table.end()));
  dialog.DoModal(nullptr);
  verbarium::writeSettings(settings, verbarium::kSettingsFileName);
  ::LocalFree(argv);
  return 0;
}
