#include "platform/win32/long_path.h"

#include <windows.h>

namespace verbarium {

namespace {

// Below this length every Win32 call takes the path as it is (CreateDirectory
// has the tightest limit, 248).
constexpr std::size_t kShortPathLimit = 240;

}  // namespace

std::wstring fullPathOf(const std::wstring& path) {
  DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  DWORD written = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return path;
  full.resize(written);
  return full;
}

std::wstring toWin32Path(const Path& path) {
  std::wstring wide = toWide(path);
  if (wide.size() < kShortPathLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  std::wstring full = fullPathOf(wide);
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace verbarium
