#include "archive/packer.h"

#include <algorithm>
#include <vector>

#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace verbarium {

namespace {

PackerResult failed(PackerFailure failure, int exitCode = 0) { return {failure, exitCode}; }

// The path stands between double quotation marks on the command line: it
// can hold no quotation mark itself, and a final backslash would escape the
// closing one.
bool canBeQuoted(const Path& path) {
  return !path.empty() && path.find(u'"') == Path::npos && path.back() != u'\\' && path.back() != u'/';
}

std::u16string packerCommand(std::u16string_view command, const Path& argument, bool quoted) {
  std::u16string line = std::u16string(kPackerFileName) + u" " + std::u16string(command);
  if (argument.empty()) return line;
  return quoted ? line + u" \"" + argument + u"\"" : line + u" " + argument;
}

// The packer was ended before its time: its recovery run puts the work
// directory back as it was and clears away what the ended run left there and
// beside `archive`. Cancelled once that is done.
PackerResult recoverEndedRun(const Path& directory, const Path& archive) {
  const ProgramRun recovery = runHiddenAndWait(packerCommand(u"r", archive, true), directory);
  if (recovery.end == ProgramRun::End::NotStarted) return failed(PackerFailure::PackerNotStarted);
  if (recovery.exitCode != 0) return failed(PackerFailure::PackerFailed, recovery.exitCode);
  return failed(PackerFailure::Cancelled);
}

}  // namespace

bool IsPackerPresent() { return fileAttributes(Path(kPackerFileName)).has_value(); }

PackerResult UnpackArchive(const Path& archivePath, const Path& workDirectory, std::stop_token stop) {
  if (archivePath.empty()) return failed(PackerFailure::EmptyArchivePath);
  if (!HasArchiveSignature(archivePath)) return failed(PackerFailure::NotAnArchive);
  const Path archive = absolutePath(archivePath);
  const Path directory = absolutePath(workDirectory);
  if (!isDirectory(directory)) return failed(PackerFailure::WorkDirectoryMissing);

  // temp.bin is deleted before the copy, and the packer writes .dat and
  // .zlib files: the chosen archive must be none of them.
  if (IsWorkFile(archive, directory)) return failed(PackerFailure::ArchiveIsWorkFile);
  // Held for the run: no table another writer is replacing is unpacked
  // over, and none is replaced meanwhile.
  std::vector<FileLock> locks;
  for (const Path& name : listFiles(directory, u"*.dat")) {
    if (!IsTableFileName(name)) continue;
    locks.push_back(FileLock::tryAcquire(JoinPath(directory, name)));
    if (locks.back().state() == FileLock::State::InUse) return failed(PackerFailure::FileInUse);
  }
  if (stop.stop_requested()) return failed(PackerFailure::Cancelled);
  const Path input = JoinPath(directory, kUnpackInputName);
  // One left by an interrupted run would stand in for the chosen archive.
  removeFile(input);
  if (!copyFile(archive, input, /*failIfExists=*/true)) return failed(PackerFailure::CopyFailed);

  std::vector<Path> byProductsBefore = UnpackByProducts(directory);
  std::sort(byProductsBefore.begin(), byProductsBefore.end());
  const ProgramRun run = runHiddenAndWait(packerCommand(u"u", Path(kUnpackInputName), false), directory, stop);
  if (run.end == ProgramRun::End::NotStarted) {
    removeFile(input);
    return failed(PackerFailure::PackerNotStarted);
  }
  if (run.end == ProgramRun::End::Stopped) {
    const PackerResult recovered = recoverEndedRun(directory, {});
    // Once an unpack's moves all count as done, the recovery leaves them,
    // and a by-product it made is there that was not before: the run had
    // completed when it was ended.
    bool completed = false;
    for (const Path& name : UnpackByProducts(directory)) {
      completed = completed || !std::binary_search(byProductsBefore.begin(), byProductsBefore.end(), name);
    }
    RemoveUnpackLeftovers(directory);
    if (recovered.failure != PackerFailure::Cancelled || !completed) return recovered;
    return {};
  }
  RemoveUnpackLeftovers(directory);
  if (run.exitCode != 0) return failed(PackerFailure::PackerFailed, run.exitCode);
  return {};
}

PackerResult PackArchive(const Path& archivePath, const Path& workDirectory, std::stop_token stop) {
  if (archivePath.empty()) return failed(PackerFailure::EmptyArchivePath);
  const Path archive = absolutePath(archivePath);
  if (!canBeQuoted(archive)) return failed(PackerFailure::UnquotableArchivePath);
  const Path directory = absolutePath(workDirectory);
  if (!isDirectory(directory)) return failed(PackerFailure::WorkDirectoryMissing);
  // The archive would replace one of the tables it is made of, or be taken
  // for a table by the next pack.
  if (IsWorkFile(archive, directory)) return failed(PackerFailure::ArchiveIsWorkFile);
  const FileLock lock = FileLock::tryAcquire(archive);
  if (lock.state() == FileLock::State::InUse) return failed(PackerFailure::FileInUse);
  if (stop.stop_requested()) return failed(PackerFailure::Cancelled);

  const ProgramRun run = runHiddenAndWait(packerCommand(u"p", archive, true), directory, stop);
  if (run.end == ProgramRun::End::NotStarted) return failed(PackerFailure::PackerNotStarted);
  // The pack replaces the archive in one step at its very end: ended, it left
  // the archive whole, the old one unless that step was already done.
  if (run.end == ProgramRun::End::Stopped) return recoverEndedRun(directory, archive);
  if (run.exitCode != 0) return failed(PackerFailure::PackerFailed, run.exitCode);
  if (!fileExists(archive)) return failed(PackerFailure::ArchiveMissing);
  return {};
}

}  // namespace verbarium
