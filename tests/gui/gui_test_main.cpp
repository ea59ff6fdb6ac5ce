#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/dialog_impl.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  ::InitCommonControlsEx(&controls);
  verbarium::ui::setModuleInstance(::GetModuleHandleW(nullptr));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
