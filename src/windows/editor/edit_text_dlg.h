#pragma once
// The entry edit dialog: the original above, read-only; the current text
// below, to rewrite; and whether to put it into every entry with the same
// original. Closes with IDOK or IDCANCEL; only OK changes the text and the
// setting.

#include <windows.h>

#include <optional>

#include "settings/app_settings.h"
#include "editor/edit_text_param.h"
#include "resources/resource.h"
#include "ui/dialog_impl.h"

namespace verbarium {

class CEditTextDlg : public ui::CDialogImpl<CEditTextDlg> {
 public:
  enum { IDD = IDD_EDIT_TEXT };

  // `row`: the edited row on the screen, which the dialog leaves in sight.
  CEditTextDlg(EditTextParam& param, AppSettings& settings, std::optional<RECT> row = std::nullopt)
      : param_(param), settings_(settings), row_(row) {}

 private:
  BOOL OnInitDialog() override;
  void OnOK() override;

  void placeBesideRow();

  EditTextParam& param_;
  AppSettings& settings_;
  std::optional<RECT> row_;
  HWND replaceAll_ = nullptr;
  HWND current_ = nullptr;
};

inline constexpr char16_t kNoOriginalText[] = u"原文ファイルが作成されていません";

}  // namespace verbarium
