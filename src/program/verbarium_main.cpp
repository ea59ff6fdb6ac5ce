// Verbarium.exe: from the process entry to its exit.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "settings/app_settings.h"
#include "app/main_dlg.h"
#include "app/start_up.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/single_instance.h"
#include "ui/dialog_impl.h"
#include "ui/message_loop.h"

namespace verbarium {

namespace {

// The one settings record of the process, loaded before the main window
// exists and written after it has closed.
AppSettings gSettings;

int run(int showCommand) {
  const SingleInstance instance(kSingleInstanceName);
  if (instance.alreadyRunning()) {
    ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(kAlreadyRunning), nullptr, MB_OK | MB_ICONHAND);
    return 0;
  }
  ui::CMessageLoop loop;
  ui::setCurrentMessageLoop(&loop);

  // Every relative path of the program is the program directory's.
  setCurrentDirectory(programDirectory());
  loadSettings(gSettings, kSettingsFileName);
  const Path remembered = currentDirectory();
  setSearchPath(extendedSearchPath(searchPath(), remembered, u';'));

  CMainDlg mainWindow(gSettings, remembered);
  if (mainWindow.Create(nullptr) == nullptr) {
    ui::setCurrentMessageLoop(nullptr);
    return 0;
  }
  ::ShowWindow(mainWindow.m_hWnd, showCommand);
  const int exitCode = loop.Run();
  ui::setCurrentMessageLoop(nullptr);
  writeSettings(gSettings, kSettingsFileName);
  return exitCode;
}

}  // namespace

}  // namespace verbarium

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  ::CoInitialize(nullptr);
  // The bar and cool classes, and the list view and tab control the windows
  // are made of.
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  verbarium::ui::setModuleInstance(instance);
  const int exitCode = verbarium::run(showCommand);
  verbarium::ui::setModuleInstance(nullptr);
  ::CoUninitialize();
  return exitCode;
}
