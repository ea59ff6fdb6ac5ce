#pragma once
// The contract with the archive packer: Verbarium never reads or writes the
// archive container itself, it starts the packer in a work directory and
// waits for it.
//
//   <packer> u temp.bin       unpacks the copy temp.bin into the directory,
//                             leaving <table>.dat and <table>.zlib per table
//   <packer> p "<archive>"    packs the directory's tables into the archive
//   <packer> r ["<archive>"]  after a run that was ended before its time:
//                             puts the directory's files back as they were
//                             before it and removes what it left there (and
//                             beside the archive, when one is named)

#include <stop_token>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace verbarium {

#ifdef _WIN32
inline constexpr std::u16string_view kPackerFileName = u"CRATEWORK.EXE";
#else
inline constexpr std::u16string_view kPackerFileName = u"cratework";
#endif

// True when the packer lies in the current directory (any kind of file counts).
bool IsPackerPresent();

enum class PackerFailure {
  None,
  EmptyArchivePath,
  NotAnArchive,           // no archive signature (unpack)
  ArchiveIsWorkFile,      // the archive is, or would be, one of the work directory's files (IsWorkFile)
  UnquotableArchivePath,  // a path the pack command line cannot carry
  WorkDirectoryMissing,
  FileInUse,  // another writer holds the archive or one of the tables
  CopyFailed,
  PackerNotStarted,
  PackerFailed,    // the packer ended with a non-zero exit code
  ArchiveMissing,  // a pack that left no archive behind
  Cancelled,       // stopped on request; the files are as they were before the run
};

struct PackerResult {
  PackerFailure failure = PackerFailure::None;
  int exitCode = 0;  // the packer's, once it ran

  explicit operator bool() const { return failure == PackerFailure::None; }
};


// Both runs resolve a relative work directory and archive path once, against
// the current directory at the call, and never change the current directory:
// given absolute paths, they may run on any thread. When `stop` is asked for
// while the packer runs, the packer is ended, its recovery run puts back what
// it had changed, and the result is Cancelled (or what a run that had just
// finished gives).

// Copies the archive to temp.bin in the work directory, unpacks it there and
// removes temp.bin and the table-named .zlib by-products.
PackerResult UnpackArchive(const Path& archivePath, const Path& workDirectory, std::stop_token stop = {});

// Packs the work directory's tables into the archive, which may not exist
// yet; the packer replaces it only when the new one is complete.
PackerResult PackArchive(const Path& archivePath, const Path& workDirectory, std::stop_token stop = {});

}  // namespace verbarium
