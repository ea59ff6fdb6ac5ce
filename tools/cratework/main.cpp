// The archive packer that Verbarium starts in a work directory.

#include "cratework_commands.h"
#include "platform/program_entry.h"

namespace {

int run(const std::vector<std::u16string>& args) {
  cratework::Output output;
  int code = cratework::runCratework(args, output);
  verbarium::writeStandardStreams(output.out, output.err);
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return run(verbarium::programArguments(argc, argv)); }
#else
int main(int argc, char** argv) { return run(verbarium::programArguments(argc, argv)); }
#endif
