#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "baseline/init_dlg.h"
#include "resources/resource.h"
#include "support/dialog_driver.h"
#include "ui/dialog_impl.h"

namespace verbarium {
namespace {

// A template shown as it is, with none of its dialog's own work.
INT_PTR CALLBACK plainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return out;
}

std::wstring className(HWND window) {
  wchar_t name[32] = {};
  ::GetClassNameW(window, name, 32);
  return name;
}

// How much room `text` needs in `control`, drawn with the control's own font
// as the control draws it: wrapped at the control's width, or on one line.
SIZE neededSize(HWND control, const std::wstring& text, bool wraps) {
  HDC dc = ::GetDC(control);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT client{};
  ::GetClientRect(control, &client);
  RECT needed{0, 0, wraps ? client.right : 0, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return {needed.right, needed.bottom};
}

// Every static text and button caption of `dialog` whose text does not fit
// its control, described for the failure message.
std::vector<std::wstring> clippedTexts(HWND dialog) {
  std::vector<std::wstring> clipped;
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = test::windowText(control);
    if (text.empty()) continue;
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring kind = className(control);
    RECT client{};
    ::GetClientRect(control, &client);
    int roomWidth = client.right;
    int roomHeight = client.bottom;
    bool wraps = false;
    if (kind == L"Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) continue;
      wraps = type != SS_LEFTNOWORDWRAP && !(style & SS_CENTERIMAGE);
    } else if (kind == L"Button") {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_GROUPBOX) continue;
      if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        // The box and the gap beside it.
        roomWidth -= ::GetSystemMetrics(SM_CXMENUCHECK) + ::GetSystemMetrics(SM_CXEDGE) * 2;
      } else {
        // The raised edges and the focus frame inside them.
        roomWidth -= ::GetSystemMetrics(SM_CXEDGE) * 4;
        roomHeight -= ::GetSystemMetrics(SM_CYEDGE) * 4;
      }
    } else {
      continue;
    }
    const SIZE needed = neededSize(control, text, wraps);
    if (needed.cx > roomWidth || needed.cy > roomHeight) {
      clipped.push_back(text + L" (" + std::to_wstring(::GetDlgCtrlID(control)) + L"): needs " +
                        std::to_wstring(needed.cx) + L"x" + std::to_wstring(needed.cy) + L", has " +
                        std::to_wstring(roomWidth) + L"x" + std::to_wstring(roomHeight));
    }
  }
  return clipped;
}

struct DialogTemplate {
  const char* name;
  int id;
};
const DialogTemplate kTemplates[] = {
    {"main window", IDD_MAIN},         {"about", IDD_ABOUT},          {"entry list", IDD_SELECT_TEXT},
    {"edit dialog", IDD_EDIT_TEXT},    {"baseline setup", IDD_INIT},   {"progress", IDD_PROGRESS},
};

TEST(DialogTexts, EveryTextFitsItsControl) {
  for (const DialogTemplate& t : kTemplates) {
    HWND dialog = ::CreateDialogParamW(ui::moduleInstance(), MAKEINTRESOURCEW(t.id), nullptr, plainProc, 0);
    ASSERT_NE(dialog, nullptr) << t.name;
    for (const std::wstring& text : clippedTexts(dialog)) ADD_FAILURE() << t.name << ": " << utf8(text);
    ::DestroyWindow(dialog);
  }
  // The baseline setup names its buttons when it opens.
  CInitDlg baselineSetup;
  HWND dialog = baselineSetup.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  for (const std::wstring& text : clippedTexts(dialog)) ADD_FAILURE() << "baseline setup: " << utf8(text);
  ::DestroyWindow(dialog);
}

}  // namespace
}  // namespace verbarium
