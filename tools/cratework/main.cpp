// The archive packer that Verbarium starts in a work directory.

#include <cstdio>
#include <string>
#include <vector>

#include "cratework_commands.h"
#include "platform/utf.h"

namespace {

int runAndPrint(const std::vector<std::u16string>& args) {
  cratework::Output output;
  int code = cratework::runCratework(args, output);
  std::fwrite(output.out.data(), 1, output.out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(output.err.data(), 1, output.err.size(), stderr);
  std::fflush(stderr);
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
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
