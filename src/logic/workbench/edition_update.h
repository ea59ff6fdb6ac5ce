#pragma once
// An edition brought to an updated game: the new archive's tables become the
// new baselines, and the translations of the old tables are carried over to
// them (game_update.h). The archive is unpacked into a scratch directory of
// the run's own inside the edition. Nothing is written unless asked; then
// every table and baseline is replaced all together or not at all, the old
// files kept in a restore point (edition_replace.h).

#include <optional>
#include <vector>

#include "archive/packer.h"
#include "workbench/edition_replace.h"
#include "workbench/game_update.h"
#include "workbench/table_pairs.h"

namespace verbarium {

enum class TableFate {
  Updated,           // in the edition and the archive: its translations carried
  Added,             // only in the archive: it becomes both table and baseline
  NotInArchive,      // only in the edition: its files are left alone
  CannotBeMeasured,  // its translations cannot be told from its originals (`unmeasured`)
  NewUnreadable,     // the archive's table cannot be read (`newRead`)
  NewCannotBeWritten,
};

struct TableUpdate {
  Path name;
  TableFate fate = TableFate::Updated;
  CarriedTable carried;  // Updated: its counts and returned entries; its table is not kept
  int newEntries = 0;    // Added
  std::optional<TablePair> unmeasured;
  DatReadResult newRead = DatReadResult::Read;

  // Whether the update can go ahead with this table.
  bool usable() const {
    return fate == TableFate::Updated || fate == TableFate::Added || fate == TableFate::NotInArchive;
  }
};

enum class UpdateMode { ReportOnly, Write };

enum class UpdateFailure {
  None,
  NoSuchEdition,
  ScratchNotMade,  // no scratch directory could be made in the edition
  NotUnpacked,     // `packer` says why
  NoTablesInArchive,
  TablesNotUsable,  // the tables that are not usable() say why
  FileInUse,        // `failedPath`, a file of the edition directory, is held by another writer
  NotWritten,       // `failedPath`, a file of the edition directory, could not be written
  NotReplaced,      // `replace` says why
};

struct EditionUpdate {
  UpdateFailure failure = UpdateFailure::None;
  PackerResult packer;
  // Every table of the edition and of the archive, in name order; with an
  // earlier failure, none.
  std::vector<TableUpdate> tables;
  Path failedPath;
  EditionReplaceOutcome replace;  // with Write

  explicit operator bool() const { return failure == UpdateFailure::None; }
};

[[nodiscard]] EditionUpdate updateEdition(const Path& editionDirectory, const Path& newArchive, UpdateMode mode,
                                          const LocalTime& now = localTimeNow());

}  // namespace verbarium
