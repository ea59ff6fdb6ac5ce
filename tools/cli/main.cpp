#include <cstdio>
#include <string>
#include <vector>

#include "cli_app.h"
#include "platform/utf.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

int runAndPrint(const std::vector<std::u16string>& args) {
  verbarium::cli::CliOutput output;
  int code = verbarium::cli::runCli(args, output);
  std::fwrite(output.out.data(), 1, output.out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(output.err.data(), 1, output.err.size(), stderr);
  std::fflush(stderr);
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // The JSON is UTF-8 with \n line ends, byte for byte as on Linux.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) {
    std::wstring_view arg(argv[i]);
    args.emplace_back(arg.begin(), arg.end());
  }
  return runAndPrint(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(verbarium::fromUtf8(argv[i]));
  return runAndPrint(args);
}
#endif
