#include "workbench/edition_update.h"

#include <algorithm>
#include <set>

#include "archive/work_files.h"
#include "formats/dat_file.h"
#include "platform/directory.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "workbench/scratch_directory.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kScratchStem = u"update";

EditionUpdate failed(UpdateFailure failure, Path path = {}) {
  EditionUpdate update;
  update.failure = failure;
  update.failedPath = std::move(path);
  return update;
}

std::vector<Path> tableNames(const Path& directory) {
  const std::optional<TableSet> set = tablesAt(directory);
  return set ? set->tables : std::vector<Path>{};
}

Path baselineName(const Path& table) { return table + Path(kBaselineSuffix); }

// The new files of one table, written and sealed beside their targets: the
// carried table, or the archive's when there is none, and the archive's as
// the baseline, byte for byte. The name of the one that could not be
// written, or nothing.
std::optional<Path> stageTable(EditionReplace& files, const Path& name, const TextTable* carried,
                               const Path& unpacked) {
  AtomicReplace& table = files.stage(name);
  const bool tableWritten =
      carried ? table.isOpen() && writeTextTable(table.stream(), *carried) : fillFromFile(unpacked, table);
  if (!tableWritten || !table.seal()) return name;
  AtomicReplace& baseline = files.stage(baselineName(name));
  if (!fillFromFile(unpacked, baseline) || !baseline.seal()) return baselineName(name);
  return std::nullopt;
}

}  // namespace

EditionUpdate updateEdition(const Path& editionDirectory, const Path& newArchive, UpdateMode mode,
                            const LocalTime& now) {
  if (!isDirectory(editionDirectory)) return failed(UpdateFailure::NoSuchEdition, editionDirectory);
  const ScratchDirectory scratch(editionDirectory, kScratchStem);
  if (!scratch.made()) return failed(UpdateFailure::ScratchNotMade, editionDirectory);
  EditionUpdate update;
  update.packer = UnpackArchive(newArchive, scratch.path());
  if (!update.packer) {
    update.failure = UpdateFailure::NotUnpacked;
    return update;
  }
  const std::vector<Path> fresh = tableNames(scratch.path());
  if (fresh.empty()) return failed(UpdateFailure::NoTablesInArchive, newArchive);
  const std::vector<Path> old = tableNames(editionDirectory);
  std::set<Path> names(fresh.begin(), fresh.end());
  names.insert(old.begin(), old.end());

  const bool write = mode == UpdateMode::Write;
  // Held for the whole run: what is read is what gets replaced.
  std::vector<FileLock> locks;
  if (write) {
    for (const Path& name : fresh) {
      for (const Path& target : {name, baselineName(name)}) {
        locks.push_back(FileLock::tryAcquire(JoinPath(editionDirectory, target)));
        if (locks.back().state() == FileLock::State::InUse) return failed(UpdateFailure::FileInUse, target);
        if (!locks.back().held()) return failed(UpdateFailure::NotWritten, target);
      }
    }
  }

  EditionReplace files(editionDirectory);
  bool usable = true;
  for (const Path& name : names) {
    TableUpdate& table = update.tables.emplace_back();
    table.name = name;
    if (!std::binary_search(fresh.begin(), fresh.end(), name)) {
      table.fate = TableFate::NotInArchive;
      continue;
    }
    const Path unpacked = JoinPath(scratch.path(), name);
    TextTable newOriginal;
    table.newRead = readTextTableFile(unpacked, newOriginal);
    const TextTable* written = nullptr;
    if (table.newRead != DatReadResult::Read) {
      table.fate = TableFate::NewUnreadable;
    } else if (!std::binary_search(old.begin(), old.end(), name)) {
      table.fate = TableFate::Added;
      table.newEntries = newOriginal.count();
    } else if (TablePair pair = readTablePair(editionDirectory, name); !pair.measurable()) {
      table.fate = TableFate::CannotBeMeasured;
      table.unmeasured = std::move(pair);
    } else {
      table.carried = carryTranslations(pair.current, pair.original, newOriginal);
      if (table.carried.cannotBeWritten) table.fate = TableFate::NewCannotBeWritten;
      written = &table.carried.table;
    }
    usable = usable && table.usable();
    // Once the update cannot go ahead, the rest is only told.
    if (write && usable) {
      if (std::optional<Path> unwritten = stageTable(files, name, written, unpacked)) {
        return failed(UpdateFailure::NotWritten, std::move(*unwritten));
      }
    }
    table.carried.table = TextTable();
  }
  if (!usable) {
    update.failure = UpdateFailure::TablesNotUsable;
    return update;
  }
  if (!write) return update;
  update.replace = files.commitAll(now);
  if (!update.replace) update.failure = UpdateFailure::NotReplaced;
  return update;
}

}  // namespace verbarium
