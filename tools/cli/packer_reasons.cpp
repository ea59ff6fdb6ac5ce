#include "packer_reasons.h"

namespace verbarium::cli {

std::string whyPackerFailed(const PackerResult& result) {
  switch (result.failure) {
    case PackerFailure::None: return "done";
    case PackerFailure::Cancelled: return "stopped before it ended";
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

}  // namespace verbarium::cli
