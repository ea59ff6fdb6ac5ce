#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include "baseline/init_dlg.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

struct SeenMessageBox {
  std::wstring text;
  std::wstring caption;
  HWND owner = nullptr;
};

// Reads the next message box, presses its OK and then runs `next`, if any,
// on the dialog that opens after it.
void onMessageBox(SeenMessageBox& seen, std::function<void(HWND)> next = nullptr) {
  test::whenDialogOpens([&seen, next = std::move(next)](HWND box) {
    seen = {test::windowText(::GetDlgItem(box, 0xFFFF)), test::windowText(box), ::GetWindow(box, GW_OWNER)};
    if (next) test::whenDialogOpens(next);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
}

void cancelPrompt(HWND prompt) { ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

TEST(InitDialog, ShowsItsButtonsAndClosesWithZero) {
  for (int closer : {IDOK, IDCANCEL}) {
    CInitDlg dialog;
    INT_PTR result = test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
      EXPECT_EQ(test::windowText(window), L"初期設定");
      EXPECT_EQ(test::windowText(::GetDlgItem(window, IDC_BASELINE_EDITION_FIRST)), L"Shadow Wars 用の原文ファイルを作成");
      EXPECT_EQ(test::windowText(::GetDlgItem(window, IDC_BASELINE_EDITION_FIRST + 1)), L"Dragon Storm 用の原文ファイルを作成");
      EXPECT_EQ(test::windowText(::GetDlgItem(window, IDC_BASELINE_EDITION_FIRST + 2)),
                L"Faith in Destiny 用の原文ファイルを作成");
      EXPECT_EQ(test::windowText(::GetDlgItem(window, -1)),
                L"このステップは原文を見ながら作業をするために必要です。\n改変を行う前のcffファイルを選択してください。");
      EXPECT_EQ(test::windowText(::GetDlgItem(window, IDOK)), L"閉じる");
      EXPECT_EQ(LOWORD(::SendMessageW(window, DM_GETDEFID, 0, 0)), IDOK);
      ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(closer, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, 0) << closer;
  }
}

TEST(InitDialog, FaithInDestinyWarnsBeforeThePrompt) {
  CInitDlg dialog;
  SeenMessageBox warning;
  bool prompted = false;
  test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
    onMessageBox(warning, [&](HWND prompt) {
      prompted = true;
      cancelPrompt(prompt);
    });
    test::click(window, IDC_BASELINE_EDITION_FIRST + 2);
    EXPECT_EQ(warning.text,
              L"このバージョンのVerbariumはFaith in Destinyに正式対応していません。\n"
              L"誤動作が起こりうることを覚悟の上でご利用ください。");
    EXPECT_EQ(warning.caption, L"");
    EXPECT_EQ(warning.owner, window);
    EXPECT_TRUE(prompted);
    test::click(window, IDOK);
  });
}

TEST(InitDialog, AFileChosenInThePromptIsTestedForTheSignature) {
  test::TempDir dir;
  const std::u16string chosen = dir.file(u"not an archive.cff");
  test::writeFileBytes(chosen, test::hex("50 4b 03 04"));
  CInitDlg dialog;
  SeenMessageBox refusal;
  test::driveModal([&] { return dialog.DoModal(nullptr); }, [&](HWND window) {
    test::whenDialogOpens([&](HWND prompt) {
      const std::wstring path(chosen.begin(), chosen.end());
      // The name box is a combo box in newer templates, an edit in older ones.
      ::SetDlgItemTextW(prompt, cmb13, path.c_str());
      ::SetDlgItemTextW(prompt, edt1, path.c_str());
      onMessageBox(refusal);
      ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    test::click(window, IDC_BASELINE_EDITION_FIRST);
    EXPECT_EQ(refusal.text, L"これは SpellForce 2 の cff ファイルではありません。");
    EXPECT_EQ(refusal.caption, L"");
    EXPECT_EQ(refusal.owner, window);
    test::click(window, IDOK);
  });
}

}  // namespace
}  // namespace verbarium
