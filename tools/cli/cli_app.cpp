#include "cli_app.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "cli_commands.h"
#include "platform/product_version.h"
#include "platform/utf.h"

namespace verbarium::cli {

namespace {

constexpr std::array kCommands = {
    Command{u"dump", "dump FILE", runDump},
    Command{u"rewrite", "rewrite IN OUT", runRewrite},
    Command{u"export", "export TABLE [TXT]", runExport},
    Command{u"import", "import TABLE [TXT]", runImport},
    Command{u"unpack", "unpack ARCHIVE DIR", runUnpack},
    Command{u"pack", "pack DIR ARCHIVE", runPack},
    Command{u"restore", "restore EDITION_DIR [POINT]", runRestore},
    Command{u"status", "status PATH [--json]", runStatus},
    Command{u"check", "check PATH [--json] [--strict]", runCheck},
    Command{u"po", "po export PATH OUT | po import PATH IN [--dry-run]", runPo},
    Command{u"propagate", "propagate PATH [--write]", runPropagate},
    Command{u"update", "update EDITION NEW_ARCHIVE [--write]", runUpdate},
};

void appendUsage(std::string& err) {
  err += "usage: verbarium-cli COMMAND ARGS\n";
  for (const Command& command : kCommands) err += "  verbarium-cli " + std::string(command.usage) + "\n";
  err += "  verbarium-cli --version\n";
}

}  // namespace

int usageError(CliOutput& output, std::string_view usage) {
  output.err += "usage: verbarium-cli " + std::string(usage) + "\n";
  return kExitUsage;
}

bool CommandWords::has(std::u16string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

CommandWords splitFlags(CommandArgs args, std::initializer_list<std::u16string_view> known) {
  CommandWords words;
  for (const std::u16string& arg : args) {
    const bool isFlag = std::find(known.begin(), known.end(), arg) != known.end();
    (isFlag ? words.flags : words.operands).push_back(arg);
  }
  return words;
}

std::string shownPath(const std::u16string& path) {
  std::string text = toUtf8(path);
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  return text;
}

int refused(CliOutput& output, std::string_view reason) {
  output.err += "verbarium-cli: " + std::string(reason) + "\n";
  return kExitRefused;
}

int runCli(std::span<const std::u16string> args, CliOutput& output) {
  if (args.empty()) {
    appendUsage(output.err);
    return kExitUsage;
  }
  if (args.size() == 1 && args[0] == u"--version") {
    output.out += "verbarium-cli " + std::string(kProductVersion) + "\n";
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    try {
      return command.run(args.subspan(1), output);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Every file a command writes is replaced only once it is complete, so
    // nothing was changed; half an output would mislead a script.
    output.out.clear();
    return refused(output, "not enough memory to finish; nothing was changed");
  }
  output.err += "verbarium-cli: unknown command\n";
  appendUsage(output.err);
  return kExitUsage;
}

}  // namespace verbarium::cli
