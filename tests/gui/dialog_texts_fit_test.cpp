#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "baseline/init_dlg.h"
#include "editor/entry_list_view.h"
#include "editor/select_text_dlg.h"
#include "layout/dpi_scale.h"
#include "resources/resource.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_tables.h"
#include "ui/dialog_impl.h"
#include "ui/handles.h"

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

// How a control lays out its text: on one line; on the lines its own breaks
// make; or word-wrapped at the control's width as well.
enum class Lines { One, Own, Wrapped };

// How much room `text` needs in `control`, drawn with the control's own font
// as the control draws it.
SIZE neededSize(HWND control, const std::wstring& text, Lines lines) {
  const ui::WindowDc dc(control);
  HGDIOBJ old = ::SelectObject(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT client{};
  ::GetClientRect(control, &client);
  RECT needed{0, 0, lines == Lines::Wrapped ? client.right : 0, 0};
  const UINT format = lines == Lines::One ? DT_SINGLELINE : lines == Lines::Wrapped ? DT_WORDBREAK : 0;
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_EXPANDTABS | format);
  ::SelectObject(dc.get(), old);
  return {needed.right, needed.bottom};
}

int screenDpi() {
  const ui::WindowDc screen(nullptr);
  return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
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
    Lines lines = Lines::One;
    if (kind == L"Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) continue;
      // A text broken into lines where its sentences end wants each line
      // whole: a word left alone on a line of its own reads as cut.
      if (type != SS_LEFTNOWORDWRAP && !(style & SS_CENTERIMAGE)) {
        lines = text.find(L'\n') == std::wstring::npos ? Lines::Wrapped : Lines::Own;
      }
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
    const SIZE needed = neededSize(control, text, lines);
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

// The same tests run again in prefixes of more DPI (tests/gui/CMakeLists.txt),
// which name the DPI they set: a prefix that did not take it would pass them
// at 96.
TEST(DialogTexts, RunAtTheDpiOfTheirPrefix) {
  if (const char* dpi = std::getenv("VERBARIUM_TEST_DPI")) {
    EXPECT_EQ(screenDpi(), std::atoi(dpi));
  }
}

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

// The lists' columns, which the windows size in code: each grows with the
// DPI as the dialog templates do, and its heading fits it.
enum class ListWindow { Main, Entries };
constexpr int kFillsTheList = 0;
struct ListColumn {
  const char* name;
  ListWindow window;
  int column;
  int widthAt96;  // or kFillsTheList: shares the list's width with its neighbour
};
const ListColumn kListColumns[] = {
    {"main window: Filename", ListWindow::Main, 0, kTableColumnWidth},
    {"main window: Description", ListWindow::Main, 1, kTableColumnWidth},
    {"entry list: No.", ListWindow::Entries, 1, kNumberColumnWidth},
    {"entry list: Original", ListWindow::Entries, 2, kFillsTheList},
    {"entry list: Current", ListWindow::Entries, 3, kFillsTheList},
};

std::wstring headingText(HWND header, int column) {
  wchar_t text[64] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  Header_GetItem(header, column, &item);
  return text;
}

// The heading's text and the margins the header keeps on both sides of it.
int headingNeeds(HWND header, const std::wstring& text) {
  const ui::WindowDc dc(header);
  HGDIOBJ old = ::SelectObject(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(header, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  ::SelectObject(dc.get(), old);
  return extent.cx + 2 * 3 * ::GetSystemMetrics(SM_CXEDGE);
}

// The windows work in the program directory, as the program arranges.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;
  ~InDirectory() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

TEST(DialogTexts, ListColumnsGrowWithTheDpiAndFitTheirHeadings) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  for (auto edition : {"Shadow Wars", "Dragon Storm", "Faith in Destiny"}) fs::create_directory(dir.path() / edition);
  for (auto name : {u"CRATEWORK.EXE", u"Verbarium.ini"}) test::writeFileBytes(dir.file(name), {});
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat"), test::sixByteTable({u"Haus"}));
  test::writeFileBytes(dir.file(u"1000-2000_1_1.dat.org"), test::sixByteTable({u"House"}));
  const InDirectory in(dir.path());
  AppSettings settings;
  CMainDlg main(settings, dir.pathText());
  CSelectTextDlg entries(settings, u"1000-2000_1_1.dat");
  const HWND windows[] = {main.Create(nullptr), entries.Create(nullptr)};
  ASSERT_NE(windows[0], nullptr);
  ASSERT_NE(windows[1], nullptr);
  const int dpi = screenDpi();
  for (const ListColumn& c : kListColumns) {
    HWND window = windows[static_cast<int>(c.window)];
    HWND list = ::GetDlgItem(window, c.window == ListWindow::Main ? IDC_TABLE_LIST : IDC_ENTRY_LIST);
    const int width = ListView_GetColumnWidth(list, c.column);
    if (c.widthAt96 != kFillsTheList) {
      EXPECT_EQ(width, scaledToDpi(c.widthAt96, dpi)) << c.name << " at " << dpi;
    }
    const std::wstring heading = headingText(ListView_GetHeader(list), c.column);
    EXPECT_GE(width, headingNeeds(ListView_GetHeader(list), heading)) << c.name << " at " << dpi;
  }
  // Moved to a screen of twice the DPI, where the system sizes the window
  // and its controls anew, as it suggests.
  for (HWND window : windows) {
    RECT suggested{};
    ::GetWindowRect(window, &suggested);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  for (const ListColumn& c : kListColumns) {
    if (c.widthAt96 == kFillsTheList) continue;
    HWND list = ::GetDlgItem(windows[static_cast<int>(c.window)],
                             c.window == ListWindow::Main ? IDC_TABLE_LIST : IDC_ENTRY_LIST);
    EXPECT_EQ(ListView_GetColumnWidth(list, c.column), scaledToDpi(c.widthAt96, 2 * dpi))
        << c.name << " moved from " << dpi << " to " << 2 * dpi;
  }
  for (HWND window : windows) ::DestroyWindow(window);
}

}  // namespace
}  // namespace verbarium
