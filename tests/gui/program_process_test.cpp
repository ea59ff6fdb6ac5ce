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

// The process and its first thread, which shows its windows.
struct Process { KernelHandle handle; DWORD thread = 0; };

Process start(const test::TempDir& dir) {
  std::wstring commandLine = L"\"" + (dir.path() / "Verbarium.exe").wstring() + L"\"";
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  // A start that fails leaves no thread, whose windows are then never found.
  ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, 0, 0, nullptr, dir.path().c_str(), &startup, &info);
  if (info.hThread) ::CloseHandle(info.hThread);
  return {KernelHandle(info.hProcess), info.dwThreadId};
}

// A shown dialog of the process, with `title` if one is given.
HWND dialogOf(const Process& process, const wchar_t* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50, ::Sleep(50)) {
    for (HWND dialog : test::shownDialogs(process.thread)) {
      if (title == nullptr || test::windowText(dialog) == title) return dialog;
    }
  }
  return nullptr;
}

DWORD exitCodeOf(const Process& process) {
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(process.handle.get(), kWaitMs) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.handle.get(), &code);
  }
  return code;
}

TEST(Program, ASecondInstanceIsRefusedAndTheFirstWritesItsSettingsAtTheEnd) {
  test::TempDir dir;
  std::filesystem::copy_file(test::builtProgram(VERBARIUM_EXE), dir.path() / "Verbarium.exe");
  const test::Bytes oldSettings = test::hex("ff fe");
  test::layTree(dir.path(), {{"CRATEWORK.EXE", {}}, {"Verbarium.ini", oldSettings}});

  Process first = start(dir);
  HWND main = dialogOf(first, L"Verbarium [Beta 3]");
  ASSERT_NE(main, nullptr);
  Process second = start(dir);
  HWND refusal = dialogOf(second, nullptr);
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
