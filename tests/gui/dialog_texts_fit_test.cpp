#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/main_dlg.h"
#include "archive/current_directory_scope.h"
#include "baseline/init_dlg.h"
#include "editor/entry_list_view.h"
#include "editor/select_text_dlg.h"
#include "layout/dpi_scale.h"
#include "support/dialog_driver.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"
#include "ui/handles.h"

namespace verbarium {
namespace {

int screenDpi() { return ::GetDeviceCaps(ui::WindowDc(nullptr).get(), LOGPIXELSY); }

// How much room `text` needs in `control`, drawn with the control's own font
// as the control draws it with `format`, word-wrapped at `wrapWidth` if not 0.
SIZE neededSize(HWND control, const std::wstring& text, UINT format, int wrapWidth = 0) {
  const ui::WindowDc dc(control);
  HGDIOBJ old = ::SelectObject(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, wrapWidth, 0};
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_EXPANDTABS | format);
  ::SelectObject(dc.get(), old);
  return {needed.right, needed.bottom};
}

// Fails for every static text and button caption of `dialog` whose text
// does not fit its control.
void expectTextsFit(HWND dialog) {
  for (HWND control = ::GetWindow(dialog, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = test::windowText(control);
    wchar_t kind[16] = {};
    ::GetClassNameW(control, kind, 16);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT room{};
    ::GetClientRect(control, &room);
    SIZE needed{};
    if (text.empty()) continue;
    if (std::wstring(kind) == L"Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) continue;
      // A text broken into lines where its sentences end wants each line
      // whole: a word left alone on a line of its own reads as cut.
      const bool ownLines = text.find(L'\n') != std::wstring::npos;
      needed = type == SS_LEFTNOWORDWRAP || (style & SS_CENTERIMAGE) ? neededSize(control, text, DT_SINGLELINE)
               : ownLines ? neededSize(control, text, 0)
                          : neededSize(control, text, DT_WORDBREAK, room.right);
    } else if (std::wstring(kind) == L"Button") {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_GROUPBOX) continue;
      const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON;
      const int edge = ::GetSystemMetrics(SM_CXEDGE);
      // A box and the gap beside it, or the raised edges and the focus frame inside them.
      room.right -= box ? ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * edge : 4 * edge;
      room.bottom -= box ? 0 : 4 * ::GetSystemMetrics(SM_CYEDGE);
      needed = neededSize(control, text, DT_SINGLELINE);
    } else {
      continue;
    }
    EXPECT_TRUE(needed.cx <= room.right && needed.cy <= room.bottom)
        << test::windowText(dialog) << ": " << text << " (" << ::GetDlgCtrlID(control) << "): needs " << needed.cx
        << "x" << needed.cy << ", has " << room.right << "x" << room.bottom;
  }
}

// These tests run again in prefixes of more DPI (tests/gui/CMakeLists.txt), which
// name their DPI: a prefix that did not take it would pass them at 96.
TEST(DialogTexts, RunAtTheDpiOfTheirPrefix) {
  const char* dpi = std::getenv("VERBARIUM_TEST_DPI");
  EXPECT_EQ(screenDpi(), dpi ? std::atoi(dpi) : screenDpi());
}

TEST(DialogTexts, EveryTextFitsItsControl) {
  // The baseline setup names its buttons when it opens; the other windows are their templates.
  CInitDlg baselineSetup;
  HWND baseline = baselineSetup.Create(nullptr);
  int button = IDC_BASELINE_EDITION_FIRST;
  for (const std::wstring edition : {L"Shadow Wars", L"Dragon Storm", L"Faith in Destiny"}) {
    EXPECT_EQ(test::windowText(::GetDlgItem(baseline, button++)), edition + L" 用の原文ファイルを作成");
  }
  for (HWND dialog : {test::showTemplate(IDD_MAIN), test::showTemplate(IDD_ABOUT), test::showTemplate(IDD_SELECT_TEXT),
                      test::showTemplate(IDD_EDIT_TEXT), test::showTemplate(IDD_PROGRESS), baseline}) {
    expectTextsFit(dialog);
    ::DestroyWindow(dialog);
  }
}

// The width a heading needs: its text and the margins the header keeps on
// both sides of it.
int headingNeeds(HWND list, int column) {
  wchar_t text[64] = {};
  HDITEMW item{HDI_TEXT, 0, text, nullptr, 64};
  Header_GetItem(ListView_GetHeader(list), column, &item);
  return neededSize(ListView_GetHeader(list), text, DT_SINGLELINE).cx + 2 * 3 * ::GetSystemMetrics(SM_CXEDGE);
}

// The lists' columns, which the windows size in code: each grows with the
// DPI as the dialog templates do, and its heading fits it.
TEST(DialogTexts, ListColumnsGrowWithTheDpiAndFitTheirHeadings) {
  constexpr int kFillsTheList = 0;  // shares the list's width evenly with its neighbour
  // The window is 0 for the main window, 1 for the entry list.
  const struct { const char* name; int window, column, widthAt96; } columns[] = {
      {"main window: Filename", 0, 0, kTableColumnWidth}, {"main window: Description", 0, 1, kTableColumnWidth},
      {"entry list: No.", 1, 1, kNumberColumnWidth},      {"entry list: Original", 1, 2, kFillsTheList},
      {"entry list: Current", 1, 3, kFillsTheList},
  };
  test::TempDir dir;
  test::layTree(dir.path(), {{"Shadow Wars/", {}}, {"Dragon Storm/", {}}, {"Faith in Destiny/", {}},
                             {"CRATEWORK.EXE", {}}, {"Verbarium.ini", {}},
                             {"1000-2000_1_1.dat", test::sixByteTable({u"Haus"})},
                             {"1000-2000_1_1.dat.org", test::sixByteTable({u"House"})}});
  // The windows work in the program directory, as the program arranges.
  const CurrentDirectoryScope in(dir.pathText());
  AppSettings settings;
  CMainDlg main(settings, dir.pathText());
  CSelectTextDlg entries(settings, u"1000-2000_1_1.dat");
  const HWND windows[] = {main.Create(nullptr), entries.Create(nullptr)};
  const HWND lists[] = {::GetDlgItem(windows[0], IDC_TABLE_LIST), ::GetDlgItem(windows[1], IDC_ENTRY_LIST)};
  const auto expectColumnsAt = [&](int dpi) {
    for (const auto& c : columns) {
      const int width = ListView_GetColumnWidth(lists[c.window], c.column);
      const int fills = ListView_GetColumnWidth(lists[1], 2);
      EXPECT_EQ(width, c.widthAt96 == kFillsTheList ? fills : scaledToDpi(c.widthAt96, dpi)) << c.name << " at " << dpi;
      EXPECT_GE(width, headingNeeds(lists[c.window], c.column)) << c.name << " at " << dpi;
    }
  };
  const int dpi = screenDpi();
  expectColumnsAt(dpi);
  // Moved to a screen of twice the DPI, where the system sizes the window
  // and its controls anew, as it suggests.
  for (HWND window : windows) {
    RECT suggested{};
    ::GetWindowRect(window, &suggested);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  expectColumnsAt(2 * dpi);
  for (HWND window : windows) ::DestroyWindow(window);
}

}  // namespace
}  // namespace verbarium
