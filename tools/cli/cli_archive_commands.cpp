// unpack and pack: the desktop program's load and save of an archive, with
// the packer found beside verbarium-cli or on PATH.

#include "archive/packer.h"
#include "cli_commands.h"
#include "packer_reasons.h"

namespace verbarium::cli {

namespace {

int report(const PackerResult& result, CliOutput& output) {
  if (!result) return refused(output, whyPackerFailed(result));
  return kExitOk;
}

}  // namespace

int runUnpack(CommandArgs args, CliOutput& output) {
  if (args.size() != 2) return usageError(output, "unpack ARCHIVE DIR");
  return report(UnpackArchive(args[0], args[1]), output);
}

int runPack(CommandArgs args, CliOutput& output) {
  if (args.size() != 2) return usageError(output, "pack DIR ARCHIVE");
  return report(PackArchive(args[1], args[0]), output);
}

}  // namespace verbarium::cli
