#pragma once
// The command table of verbarium-cli. Each command file defines its runner.

#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <initializer_list>

#include "cli_app.h"

namespace verbarium::cli {

using CommandArgs = std::span<const std::u16string>;  // without the command name
using CommandRunner = int (*)(CommandArgs args, CliOutput& output);

struct Command {
  std::u16string_view name;
  std::string_view usage;
  CommandRunner run;
};

int runDump(CommandArgs args, CliOutput& output);
int runRewrite(CommandArgs args, CliOutput& output);
int runExport(CommandArgs args, CliOutput& output);
int runImport(CommandArgs args, CliOutput& output);
int runUnpack(CommandArgs args, CliOutput& output);
int runPack(CommandArgs args, CliOutput& output);
int runRestore(CommandArgs args, CliOutput& output);
int runStatus(CommandArgs args, CliOutput& output);
int runCheck(CommandArgs args, CliOutput& output);
int runPo(CommandArgs args, CliOutput& output);
int runPropagate(CommandArgs args, CliOutput& output);
int runUpdate(CommandArgs args, CliOutput& output);

// A command's words: the flags it knows, wherever they stand, and the rest
// in order.
struct CommandWords {
  std::vector<std::u16string> operands;
  std::vector<std::u16string> flags;
  bool has(std::u16string_view flag) const;
};
CommandWords splitFlags(CommandArgs args, std::initializer_list<std::u16string_view> known);

// A usage error: the line goes to standard error.
int usageError(CliOutput& output, std::string_view usage);
// A path as the person's system writes it, for output: joined paths use
// backslashes, which Linux shows as they are.
std::string shownPath(const std::u16string& path);

// A refusal: the reason goes to standard error.
int refused(CliOutput& output, std::string_view reason);

}  // namespace verbarium::cli
