#pragma once
// verbarium-cli: the command-line companion. Its commands run the very code
// paths of the desktop program; their output and exit codes are a contract
// for scripts.

#include <span>
#include <string>
#include <vector>

namespace verbarium::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

struct CliOutput {
  std::string out;  // UTF-8, for standard output
  std::string err;  // UTF-8, for standard error
};

// args[0] is the command name (no program name).
int runCli(std::span<const std::u16string> args, CliOutput& output);

}  // namespace verbarium::cli
