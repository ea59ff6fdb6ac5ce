#include "cli_app.h"
#include "platform/program_entry.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

int runAndPrint(const std::vector<std::u16string>& args) {
  verbarium::cli::CliOutput output;
  int code = verbarium::cli::runCli(args, output);
  verbarium::writeStandardStreams(output.out, output.err);
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // The JSON is UTF-8 with \n line ends, byte for byte as on Linux.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  return runAndPrint(verbarium::programArguments(argc, argv));
}
#else
int main(int argc, char** argv) { return runAndPrint(verbarium::programArguments(argc, argv)); }
#endif
