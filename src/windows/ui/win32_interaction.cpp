#include "ui/win32_interaction.h"

#include <commdlg.h>

#include <cwchar>
#include <string>

namespace verbarium::ui {

Answer Win32Interaction::messageBox(std::u16string_view text, std::optional<std::u16string_view> caption,
                                    unsigned style) {
  std::wstring wideText(text.begin(), text.end());
  std::wstring wideCaption = caption ? std::wstring(caption->begin(), caption->end()) : std::wstring();
  int answer = ::MessageBoxW(owner_, wideText.c_str(), caption ? wideCaption.c_str() : nullptr, style);
  return static_cast<Answer>(answer);
}

namespace {

// Room for a path of the longest form Windows accepts.
constexpr DWORD kPathUnits = 32768;

std::wstring filterString(const FileFilter& filter) {
  std::wstring text;
  for (const FileFilterEntry& entry : filter) {
    text.append(entry.label.begin(), entry.label.end());
    text.push_back(L'\0');
    text.append(entry.pattern.begin(), entry.pattern.end());
    text.push_back(L'\0');
  }
  text.push_back(L'\0');
  return text;
}

std::u16string prompt(HWND owner, const FileFilter& filter, std::u16string_view defaultExtension, bool save) {
  std::wstring filterText = filterString(filter);
  std::wstring extension(defaultExtension.begin(), defaultExtension.end());
  std::wstring path(kPathUnits, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner ? owner : ::GetActiveWindow();
  request.lpstrFilter = filterText.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path.data();
  request.nMaxFile = kPathUnits;
  request.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  BOOL chosen = save ? ::GetSaveFileNameW(&request) : ::GetOpenFileNameW(&request);
  if (!chosen) return {};
  path.resize(std::wcslen(path.c_str()));
  return std::u16string(path.begin(), path.end());
}

}  // namespace

std::u16string Win32Interaction::askOpenPath(const FileFilter& filter, std::u16string_view defaultExtension) {
  return prompt(owner_, filter, defaultExtension, false);
}

std::u16string Win32Interaction::askSavePath(const FileFilter& filter, std::u16string_view defaultExtension) {
  return prompt(owner_, filter, defaultExtension, true);
}

}  // namespace verbarium::ui
