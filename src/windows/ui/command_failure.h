#pragma once
// What the person is told when a window's handler could not finish.

#include <windows.h>

namespace verbarium::ui {

enum class CommandFailure { None, OutOfMemory, Unexpected };

inline constexpr wchar_t kOutOfMemory[] = L"メモリが不足しているため、この操作を完了できませんでした。";
inline constexpr wchar_t kUnexpectedFailure[] = L"予期しないエラーのため、この操作を完了できませんでした。";
inline constexpr wchar_t kFailureCaption[] = L"エラー";

// A message box owned by `owner`. Allocates nothing of its own, so it can
// still be shown when memory has run out.
void showCommandFailure(HWND owner, CommandFailure failure);

}  // namespace verbarium::ui
