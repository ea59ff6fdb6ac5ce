#include "cratework_commands.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "archive_reader.h"
#include "archive_writer.h"
#include "container/archive_headers.h"
#include "container/table_names.h"
#include "platform/atomic_replace.h"
#include "platform/directory.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/product_version.h"
#include "platform/utf.h"
#include "staged_moves.h"
#include "work_directory_path.h"

namespace cratework {

using verbarium::AtomicReplace;
using verbarium::File;
using verbarium::FileStream;
using verbarium::kMaxEntries;
using verbarium::lowerAscii;
using verbarium::Path;
using verbarium::tableNameOfDatFile;

namespace {

constexpr std::string_view kUsage =
    "usage: cratework u ARCHIVE   unpack into the current directory\n"
    "       cratework p ARCHIVE   pack the current directory's tables\n"
    "       cratework l ARCHIVE   list the entries\n"
    "       cratework t ARCHIVE   test every entry\n"
    "       cratework r [ARCHIVE] undo what ended runs left in the current\n"
    "                             directory (and beside ARCHIVE)\n"
    "       cratework --version\n";

int fail(Output& output, const std::string& message) {
  output.err += "cratework: " + message + "\n";
  return kExitFailed;
}

std::string shown(const Path& path) {
  std::string text(1, '"');
  text += verbarium::toUtf8(path);
  text += '"';
  return text;
}

// The archive, opened and its catalog checked.
struct OpenArchive {
  std::optional<FileStream> stream;
  std::vector<EntryInfo> entries;
};

bool openArchive(const Path& path, OpenArchive& archive, Output& output) {
  File file = File::openForReading(path);
  if (!file.isOpen()) {
    fail(output, "cannot open " + shown(path));
    return false;
  }
  archive.stream.emplace(std::move(file));
  std::string error;
  if (!readCatalog(*archive.stream, archive.entries, error)) {
    fail(output, shown(path) + ": " + error);
    return false;
  }
  return true;
}

// The directory part of a path and the name.
std::pair<Path, Path> splitPath(const Path& path) {
  std::size_t separator = path.find_last_of(u"\\/");
  if (separator == Path::npos) return {Path(u"."), path};
  // The root keeps its separator; any other directory loses it.
  return {path.substr(0, separator == 0 || path[separator - 1] == u':' ? separator + 1 : separator),
          path.substr(separator + 1)};
}

// Why the archive must not be written where it is asked for, or empty: it
// would replace one of the tables it packs, or stand in the work directory
// under a table's name, where the next pack would take it for a table.
std::string whyNotAnOutput(const Path& archive, const Path& directory,
                           const std::vector<std::pair<std::string, Path>>& tables) {
  for (const auto& table : tables) {
    if (verbarium::isSameFile(archive, inDirectory(directory, verbarium::toUtf8(table.second)))) {
      return "is the table " + shown(table.second) + " itself: the archive would replace it";
    }
  }
  auto [archiveDirectory, archiveName] = splitPath(verbarium::absolutePath(archive));
  // Windows drops final dots and blanks and ignores case: "X.DAT." is "X.dat" there.
  while (!archiveName.empty() && (archiveName.back() == u'.' || archiveName.back() == u' ')) archiveName.pop_back();
  std::string name = lowerAscii(verbarium::toUtf8(archiveName));
  const Path workDirectory = verbarium::absolutePath(directory.empty() ? Path(u".") : directory);
  bool tableNamed = !tableNameOfDatFile(verbarium::fromUtf8(name)).empty();
  if (tableNamed && verbarium::isSameFile(archiveDirectory, workDirectory)) {
    return "is named like a table of the work directory: the next pack would take it for one";
  }
  return {};
}

}  // namespace

int unpackIntoDirectory(const Path& archivePath, const Path& directory, Output& output) {
  std::string error;
  if (!recoverInterruptedRuns(directory, error)) return fail(output, error);
  OpenArchive archive;
  if (!openArchive(archivePath, archive, output)) return kExitFailed;
  // Every file is written and sealed beside its target first, and all of
  // them replace their targets only when every entry has proved sound: a
  // bad entry leaves the directory as it was. The recovery above cleaned the
  // directory of killed runs' files once for all targets.
  std::vector<std::unique_ptr<AtomicReplace>> staged;
  EntryExtractor extractor;
  constexpr auto kCleaned = AtomicReplace::StaleFiles::LeftToCaller;
  for (const EntryInfo& entry : archive.entries) {
    auto table = std::make_unique<AtomicReplace>(inDirectory(directory, entry.name + ".dat"), kCleaned);
    auto stored = std::make_unique<AtomicReplace>(inDirectory(directory, entry.name + ".zlib"), kCleaned);
    if (!table->isOpen() || !stored->isOpen()) return fail(output, "cannot create files in the work directory");
    if (!extractor.extract(*archive.stream, entry, &stored->stream(), &table->stream(), error)) {
      return fail(output, shown(archivePath) + ": " + error);
    }
    // The archive is still there to unpack again: no wait for the disk.
    if (!table->seal(AtomicReplace::Sync::Skip) || !stored->seal(AtomicReplace::Sync::Skip)) {
      return fail(output, "cannot write " + printableName(entry.name));
    }
    staged.push_back(std::move(table));
    staged.push_back(std::move(stored));
  }
  if (!moveAllIntoPlace(directory, staged, error)) return fail(output, error);
  return kExitOk;
}

int packDirectory(const Path& directory, const Path& archivePath, Output& output) {
  std::string error;
  if (!recoverInterruptedRuns(directory, error)) return fail(output, error);
  std::vector<std::pair<std::string, Path>> tables;  // entry name, file name
  std::set<std::string> seen;
  for (Path& fileName : verbarium::listFiles(directory, u"*.dat")) {
    std::string name = tableNameOfDatFile(fileName);
    if (name.empty()) continue;
    // Names that differ in letter case alone would be one file on Windows.
    if (!seen.insert(lowerAscii(name)).second) return fail(output, "two tables named " + name + " but for case");
    tables.emplace_back(std::move(name), std::move(fileName));
  }
  if (tables.empty()) return fail(output, "no tables to pack in the work directory");
  if (tables.size() > kMaxEntries) return fail(output, "more than " + std::to_string(kMaxEntries) + " tables");
  std::sort(tables.begin(), tables.end());
  if (std::string reason = whyNotAnOutput(archivePath, directory, tables); !reason.empty()) {
    return fail(output, shown(archivePath) + " " + reason);
  }

  AtomicReplace target(archivePath);
  if (!target.isOpen()) return fail(output, "cannot create a file beside " + shown(archivePath));
  ArchiveWriter writer(target.stream(), static_cast<std::uint32_t>(tables.size()));
  for (const auto& [name, fileName] : tables) {
    const Path path = inDirectory(directory, verbarium::toUtf8(fileName));
    // Never a link to a file elsewhere, and never a pipe that would wait forever for a writer.
    File file = File::openRegularForReading(path);
    if (!file.isOpen()) {
      return fail(output, verbarium::isRegularFile(path)
                              ? "cannot open " + shown(fileName)
                              : shown(fileName) + " is not a regular file (a link, a pipe or a device): not packed");
    }
    FileStream table(std::move(file));
    if (!writer.add(name, table, error)) return fail(output, error);
  }
  if (!writer.finish(error)) return fail(output, error);
  if (!target.commit()) return fail(output, "cannot write " + shown(archivePath));
  return kExitOk;
}

int listArchive(const Path& archivePath, Output& output) {
  OpenArchive archive;
  if (!openArchive(archivePath, archive, output)) return kExitFailed;
  char line[160];
  std::snprintf(line, sizeof line, "%-24s %12s %12s %8s\n", "name", "size", "stored", "crc32");
  output.out += line;
  std::uint64_t total = 0;
  for (const EntryInfo& entry : archive.entries) {
    std::snprintf(line, sizeof line, "%-24s %12u %12u %08x\n", entry.name.c_str(), entry.size, entry.storedSize,
                  entry.crc);
    output.out += line;
    total += entry.size;
  }
  output.out += std::to_string(archive.entries.size()) + " entries, " + std::to_string(total) + " bytes\n";
  return kExitOk;
}

int testArchive(const Path& archivePath, Output& output) {
  OpenArchive archive;
  if (!openArchive(archivePath, archive, output)) return kExitFailed;
  EntryExtractor extractor;
  for (const EntryInfo& entry : archive.entries) {
    std::string error;
    if (!extractor.extract(*archive.stream, entry, nullptr, nullptr, error)) return fail(output, error);
  }
  output.out += "all " + std::to_string(archive.entries.size()) + " entries are sound\n";
  return kExitOk;
}

int recoverDirectory(const Path& directory, const Path& archive, Output& output) {
  std::string error;
  if (!recoverInterruptedRuns(directory, error)) return fail(output, error);
  if (!archive.empty()) verbarium::removeStaleTemporaries(archive);
  return kExitOk;
}

int runCratework(std::span<const std::u16string> args, Output& output) {
  if (args.size() == 1 && args[0] == u"--version") {
    output.out += "cratework " + std::string(verbarium::kProductVersion) + "\n";
    return kExitOk;
  }
  if (!args.empty() && args.size() <= 2 && args[0] == u"r") {
    return recoverDirectory(Path(), args.size() == 2 ? args[1] : Path(), output);
  }
  if (args.size() != 2 || args[0].size() != 1) {
    output.err += kUsage;
    return kExitUsage;
  }
  const Path& archive = args[1];
  switch (args[0][0]) {
    case u'u': return unpackIntoDirectory(archive, Path(), output);
    case u'p': return packDirectory(Path(), archive, output);
    case u'l': return listArchive(archive, output);
    case u't': return testArchive(archive, output);
    default: output.err += kUsage; return kExitUsage;
  }
}

}  // namespace cratework
