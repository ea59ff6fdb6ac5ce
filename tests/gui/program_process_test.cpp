// Verbarium.exe as a process: single instance, exit code, settings at the end.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/unique_handle.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace verbarium {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kWaitMs = 20000;

fs::path programFile() {
  std::string path = VERBARIUM_EXE;
  // Under Wine the build directory is a Linux path; drive Z: is the Linux root.
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  return fs::path(path).make_preferred();
}

struct Process {
  KernelHandle handle;
  DWORD id = 0;
};

Process start(const fs::path& program, const fs::path& directory) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &info)) {
    return {};
  }
  ::CloseHandle(info.hThread);
  return {KernelHandle(info.hProcess), info.dwProcessId};
}

// A top-level window of the process, found by class and, if given, title.
HWND findWindowOf(DWORD process, const wchar_t* className, const wchar_t* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
    struct Search {
      DWORD process;
      const wchar_t* className;
      const wchar_t* title;
      HWND found;
    } search{process, className, title, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(window, &owner);
          wchar_t name[64] = {};
          ::GetClassNameW(window, name, 64);
          if (owner != s->process || std::wstring(name) != s->className || !::IsWindowVisible(window)) return TRUE;
          if (s->title && test::windowText(window) != s->title) return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    ::Sleep(50);
  }
  return nullptr;
}

DWORD exitCodeOf(const Process& process) {
  if (::WaitForSingleObject(process.handle.get(), kWaitMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process.handle.get(), &code);
  return code;
}

TEST(Program, ASecondInstanceIsRefusedAndTheFirstWritesItsSettingsAtTheEnd) {
  test::TempDir dir;
  fs::copy_file(programFile(), dir.path() / "Verbarium.exe");
  test::writeFileBytes(dir.file(u"CRATEWORK.EXE"), {});
  const test::Bytes oldSettings = test::hex("ff fe");
  test::writeFileBytes(dir.file(u"Verbarium.ini"), oldSettings);

  Process first = start(dir.path() / "Verbarium.exe", dir.path());
  ASSERT_TRUE(first.handle);
  HWND main = findWindowOf(first.id, L"#32770", L"Verbarium [Beta 3]");
  ASSERT_NE(main, nullptr);

  Process second = start(dir.path() / "Verbarium.exe", dir.path());
  ASSERT_TRUE(second.handle);
  HWND refusal = findWindowOf(second.id, L"#32770", nullptr);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(test::windowText(::GetDlgItem(refusal, 0xFFFF)), L"Verbarium の多重起動はできません。");
  ::PostMessageW(refusal, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(exitCodeOf(second), 0u);
  EXPECT_EQ(test::readFileBytes(dir.file(u"Verbarium.ini")), oldSettings) << "the refused instance wrote nothing";

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(exitCodeOf(first), static_cast<DWORD>(IDCANCEL));
  EXPECT_GT(test::readFileBytes(dir.file(u"Verbarium.ini")).size(), oldSettings.size()) << "settings written at the end";
}

}  // namespace
}  // namespace verbarium
