#include "archive/packer.h"

#include <vector>

#include "archive/current_directory_scope.h"
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

}  // namespace

bool IsPackerPresent() { return fileAttributes(Path(kPackerFileName)).has_value(); }

PackerResult UnpackArchive(const Path& archivePath, const Path& workDirectory) {
  if (archivePath.empty()) return failed(PackerFailure::EmptyArchivePath);
  if (!HasArchiveSignature(archivePath)) return failed(PackerFailure::NotAnArchive);
  const Path archive = absolutePath(archivePath);
  const Path directory = absolutePath(workDirectory);
  CurrentDirectoryScope scope(directory);
  if (!scope.entered()) return failed(PackerFailure::WorkDirectoryMissing);

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
  const Path input = JoinPath(directory, kUnpackInputName);
  // One left by an interrupted run would stand in for the chosen archive.
  removeFile(input);
  if (!copyFile(archive, input, /*failIfExists=*/true)) return failed(PackerFailure::CopyFailed);

  const std::u16string command = std::u16string(kPackerFileName) + u" u " + std::u16string(kUnpackInputName);
  std::optional<int> exitCode = runHiddenAndWait(command, directory);
  if (!exitCode) {
    removeFile(input);
    return failed(PackerFailure::PackerNotStarted);
  }
  RemoveUnpackLeftovers();
  if (*exitCode != 0) return failed(PackerFailure::PackerFailed, *exitCode);
  return {};
}

PackerResult PackArchive(const Path& archivePath, const Path& workDirectory) {
  if (archivePath.empty()) return failed(PackerFailure::EmptyArchivePath);
  const Path archive = absolutePath(archivePath);
  if (!canBeQuoted(archive)) return failed(PackerFailure::UnquotableArchivePath);
  const Path directory = absolutePath(workDirectory);
  CurrentDirectoryScope scope(directory);
  if (!scope.entered()) return failed(PackerFailure::WorkDirectoryMissing);
  // The archive would replace one of the tables it is made of, or be taken
  // for a table by the next pack.
  if (IsWorkFile(archive, directory)) return failed(PackerFailure::ArchiveIsWorkFile);
  const FileLock lock = FileLock::tryAcquire(archive);
  if (lock.state() == FileLock::State::InUse) return failed(PackerFailure::FileInUse);

  const std::u16string command = std::u16string(kPackerFileName) + u" p \"" + archive + u"\"";
  std::optional<int> exitCode = runHiddenAndWait(command, directory);
  if (!exitCode) return failed(PackerFailure::PackerNotStarted);
  if (*exitCode != 0) return failed(PackerFailure::PackerFailed, *exitCode);
  if (!fileExists(archive)) return failed(PackerFailure::ArchiveMissing);
  return {};
}

}  // namespace verbarium
