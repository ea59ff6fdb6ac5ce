// Verbarium.exe as a process: single instance, exit code, settings at the end.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/unique_handle.h"
#include "support/dialog_driver.h"
#include "support/file_tree.h"
#include "support/temp_dir.h"

namespace verbarium {
namespace {

constexpr DWORD kWaitMs = 20000;

struct Process { KernelHandle handle; DWORD id = 0; };

Process start(const test::TempDir& dir) {
  std::wstring commandLine = L"\"" + (dir.path() / "Verbarium.exe").wstring() + L"\"";
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, 0, 0, nullptr, dir.path().c_str(), &startup,
                        &info)) {
    return {};
  }
  ::CloseHandle(info.hThread);
  return {KernelHandle(info.hProcess), info.dwProcessId};
}

// A shown dialog of the process, with `title` if one is given.
HWND dialogOf(DWORD process, const wchar_t* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50, ::Sleep(50)) {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", title)) != nullptr;) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(window, &owner);
      if (owner == process && ::IsWindowVisible(window)) return window;
    }
  }
  return nullptr;
}

DWORD exitCodeOf(const Process& process) {
  DWORD code = STILL_ACTIVE;
  HANDLE handle = process.handle.get();
  if (::WaitForSingleObject(handle, kWaitMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(handle, &code);
  return code;
}

TEST(Program, ASecondInstanceIsRefusedAndTheFirstWritesItsSettingsAtTheEnd) {
  test::TempDir dir;
  std::filesystem::copy_file(test::builtProgram(VERBARIUM_EXE), dir.path() / "Verbarium.exe");
  const test::Bytes oldSettings = test::hex("ff fe");
  test::layTree(dir.path(), {{"CRATEWORK.EXE", {}}, {"Verbarium.ini", oldSettings}});

  Process first = start(dir);
  ASSERT_TRUE(first.handle);
  HWND main = dialogOf(first.id, L"Verbarium [Beta 3]");
  ASSERT_NE(main, nullptr);
  Process second = start(dir);
  ASSERT_TRUE(second.handle);
  HWND refusal = dialogOf(second.id, nullptr);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(test::windowText(::GetDlgItem(refusal, 0xFFFF)), L"Verbarium の多重起動はできません。");
  ::PostMessageW(refusal, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(exitCodeOf(second), 0u);
  EXPECT_EQ(test::readFileBytes(dir.file(u"Verbarium.ini")), oldSettings) << "the refused instance wrote nothing";

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(exitCodeOf(first), static_cast<DWORD>(IDCANCEL));
  EXPECT_GT(test::readFileBytes(dir.file(u"Verbarium.ini")).size(), oldSettings.size()) << "written at the end";
}

}  // namespace
}  // namespace verbarium
