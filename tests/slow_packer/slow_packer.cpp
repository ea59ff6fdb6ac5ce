// The packer, slowed down for the tests of a run that is stopped while the
// packer works: its unpack and pack take ten seconds more, waited before the
// work, or after it when SLOW_PACKER_WAITS is "after". Its other commands
// take no longer than the packer's own.

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "cratework_commands.h"
#include "platform/program_entry.h"

namespace {

constexpr std::chrono::seconds kDelay{10};

int run(const std::vector<std::u16string>& args) {
  const bool slow = !args.empty() && (args[0] == u"u" || args[0] == u"p");
  const char* waits = std::getenv("SLOW_PACKER_WAITS");
  const bool after = waits != nullptr && std::string_view(waits) == "after";
  if (slow && !after) std::this_thread::sleep_for(kDelay);
  cratework::Output output;
  const int code = cratework::runCratework(args, output);
  verbarium::writeStandardStreams(output.out, output.err);
  if (slow && after) std::this_thread::sleep_for(kDelay);
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return run(verbarium::programArguments(argc, argv)); }
#else
int main(int argc, char** argv) { return run(verbarium::programArguments(argc, argv)); }
#endif
