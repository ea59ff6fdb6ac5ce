// unpack and pack: the desktop program's load and save of an archive, with
// the packer found beside verbarium-cli or on PATH.

#include <string>

#include "archive/packer.h"
#include "cli_commands.h"

namespace verbarium::cli {

namespace {

// The reason in a few words.
std::string whyPackerFailed(const PackerResult& result) {
  switch (result.failure) {
    case PackerFailure::None: return "done";
    case PackerFailure::EmptyArchivePath: return "no archive given";
    case PackerFailure::NotAnArchive: return "not an archive (no archive signature)";
    case PackerFailure::ArchiveIsWorkFile:
      return "the archive is, or would be, a file of the work directory's own (temp.bin, .dat or .zlib)";
    case PackerFailure::UnquotableArchivePath: return "the archive path cannot be passed to the packer";
    case PackerFailure::FileInUse: return "another program is writing the archive or one of the tables";
    case PackerFailure::WorkDirectoryMissing: return "the work directory cannot be entered";
    case PackerFailure::CopyFailed: return "the archive cannot be copied into the work directory";
    case PackerFailure::PackerNotStarted: return "the packer cannot be started";
    case PackerFailure::PackerFailed: return "the packer failed with exit code " + std::to_string(result.exitCode);
    case PackerFailure::ArchiveMissing: return "the packer wrote no archive";
  }
  return "failed";
}

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
