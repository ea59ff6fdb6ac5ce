#include "workbench/scratch_directory.h"

#include <atomic>

#include "archive/work_files.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/process_liveness.h"
#include "platform/scratch_name.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kScratchSuffix = u".tmp";
// Tries a few names, in case a crashed run of a process with this id left
// its directory behind.
constexpr int kNameAttempts = 100;

// Only what the run put there: files. listDirectories gives no link, so
// nothing outside the directory is reached. A listing that failed shows no
// file, and a removal may fail once: a second round takes what the first
// left, so that a run leaves nothing behind but what cannot be removed.
void removeWithFiles(const Path& directory) {
  for (int round = 0; round < 2; ++round) {
    for (const Path& name : listFiles(directory, u"*")) removeFile(JoinPath(directory, name));
    if (removeDirectory(directory)) return;
  }
}

void removeStale(const Path& parent, std::u16string_view stem) {
  const unsigned long self = currentProcessId();
  for (const Path& name : listDirectories(parent)) {
    const std::optional<ScratchName> parts = parseScratchName(name, kScratchSuffix);
    if (!parts || parts->target != stem || parts->processId == self) continue;
    if (!processIsRunning(parts->processId)) removeWithFiles(JoinPath(parent, name));
  }
}

}  // namespace

ScratchDirectory::ScratchDirectory(const Path& parent, std::u16string_view stem) {
  static std::atomic<unsigned long> counter{0};
  removeStale(parent, stem);
  const unsigned long self = currentProcessId();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    Path candidate = JoinPath(parent, scratchName(stem, self, ++counter, kScratchSuffix));
    if (createDirectory(candidate)) {
      path_ = std::move(candidate);
      return;
    }
    // Not taken, just not possible: another name would fail alike.
    if (!fileAttributes(candidate)) return;
  }
}

ScratchDirectory::~ScratchDirectory() {
  if (made()) removeWithFiles(path_);
}

}  // namespace verbarium
