#include "app/main_window_model.h"

#include <algorithm>

#include "prompts/archive_prompts.h"
#include "archive/packer.h"
#include "archive/work_files.h"
#include "settings/app_settings.h"
#include "app/start_up.h"
#include "formats/exchange_table.h"
#include "messages/read_failure_messages.h"
#include "person/deferred_messages.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

// What the import list says after a table's name.
std::u16string whyNotImported(const ImportOutcome& outcome) {
  using namespace main_window_messages;
  switch (outcome.result) {
    case ImportResult::ExchangeFileUnreadable: return kExchangeFileUnreadable;
    case ImportResult::NoByteOrderMark: return kExchangeFileWithoutMark;
    case ImportResult::TableInUse: return kTableInUse;
    case ImportResult::TableUnreadable: return kTableUnreadable;
    case ImportResult::LineCountDiffers:
      return kLineCountBefore + asciiToUtf16(std::to_string(outcome.exchangeLines)) + kLineCountMiddle +
             asciiToUtf16(std::to_string(outcome.tableEntries)) + kLineCountAfter;
    case ImportResult::LayoutCannotHold:
      return asciiToUtf16(std::to_string(outcome.entryLayoutCannotHold + 1)) + kLayoutCannotHoldAfter;
    case ImportResult::WriteFailed: return kTableNotWritten;
    case ImportResult::Imported:
    case ImportResult::NoExchangeFile:
    case ImportResult::ExchangeFileIsTable: break;
  }
  return {};
}

// Runs `step` on each table in turn, showing which, until the person asks
// to stop: a loop stops between two tables, never in one. True when it was
// stopped.
template <class Step>
bool eachTableUntilCancelled(WorkProgress& progress, const std::vector<Path>& tables, Step step) {
  const int total = static_cast<int>(tables.size());
  for (int i = 0; i < total; ++i) {
    if (progress.cancelRequested()) return true;
    const Path& table = tables[static_cast<std::size_t>(i)];
    progress.showStep(table, i, total);
    step(table);
  }
  return false;
}

}  // namespace

MainWindowModel::MainWindowModel(Interaction& person, WorkRunner& runner, Path programDirectory)
    : person_(person), runner_(runner), programDirectory_(std::move(programDirectory)) {}

void MainWindowModel::initialise() {
  packerPresent_ = IsPackerPresent();
  if (!packerPresent_) {
    person_.messageBox(main_window_messages::kPackerMissing, main_window_messages::kCaution, mb::kIconExclamation);
  }
  refreshTableList();
}

void MainWindowModel::selectEdition(int index) {
  if (index < 0 || index >= static_cast<int>(kEditions.size())) return;
  selectedEdition_ = index;
  refreshTableList();
}

namespace {

// A missing directory lists no table; nothing is looked at elsewhere.
std::vector<Path> tableFilesIn(const Path& directory) {
  std::vector<Path> tables = listFiles(directory, u"*.dat");
  std::erase_if(tables, [](const Path& name) { return !IsTableFileName(name); });
  // In the order of their names whatever the file system lists first.
  std::sort(tables.begin(), tables.end());
  return tables;
}

// Keeps the edition's `files` in a restore point; false, after saying so,
// when it could not be made.
bool keepRestorePoint(Interaction& person, const Path& edition, const std::vector<Path>& files) {
  const RestorePointResult kept = KeepRestorePoint(edition, files);
  if (kept) return true;
  using namespace main_window_messages;
  person.messageBox(Path(kRestorePointFailed) + u"\n" + kept.failedPath, kError, mb::kIconHand);
  return false;
}

}  // namespace

void MainWindowModel::refreshTableList() { tables_ = tableFilesIn(workDirectory()); }

std::vector<std::u16string> MainWindowModel::listRows() const {
  if (tables_.empty()) return {kNoTablesRow};
  return {tables_.begin(), tables_.end()};
}

MainWindowControls MainWindowModel::controls() const {
  MainWindowControls controls;
  controls.tableList = !tables_.empty();
  controls.loadAndInitialSettings = packerPresent_;
  controls.saveImportExport = !tables_.empty();
  controls.packerMissingLabel = !packerPresent_;
  return controls;
}

Path MainWindowModel::workDirectory() const { return JoinPath(programDirectory_, editionName()); }

void MainWindowModel::load() {
  using namespace main_window_messages;
  if (person_.messageBox(kLoadQuestion, kConfirm, mb::kYesNo | mb::kIconQuestion) != Answer::Yes) return;
  const Path archive = PromptOpenPath(person_, ArchiveFileFilter());
  if (archive.empty()) return;
  // A file that is no archive is told as such, not as a failed unpack; it
  // replaces nothing, so it gets no restore point that would push an older
  // one out.
  if (!HasArchiveSignature(archive)) {
    person_.messageBox(kNotAnArchiveMessage, u"", mb::kOk);
    return;
  }
  const Path edition = workDirectory();
  DeferredMessages said;
  std::optional<PackerResult> unpacked;
  runner_.run(kLoadTitle, [&](WorkProgress& progress) {
    progress.showBusy(kUnpacking);
    // The unpack may replace any table of the edition, listed or not.
    if (!keepRestorePoint(said, edition, tableFilesIn(edition))) return;
    unpacked = UnpackArchive(archive, edition, progress.stopToken());
  });
  said.tell(person_);
  if (!unpacked) return;
  afterPackerRun(*unpacked, kUnpackFailed, std::u16string(kUnpacked) + u"\n" + archive, kUnpackCancelled);
}

void MainWindowModel::save() {
  using namespace main_window_messages;
  const Path archive = PromptSavePath(person_, ArchiveFileFilter());
  if (archive.empty()) return;
  const Path edition = workDirectory();
  PackerResult packed;
  runner_.run(kSaveTitle, [&](WorkProgress& progress) {
    progress.showBusy(kPacking);
    packed = PackArchive(archive, edition, progress.stopToken());
  });
  afterPackerRun(packed, kPackFailed, std::u16string(kPacked) + u"\n" + archive, kPackCancelled);
}

void MainWindowModel::afterPackerRun(const PackerResult& result, std::u16string_view failedMessage,
                                     std::u16string_view doneMessage, std::u16string_view cancelledMessage) {
  using namespace main_window_messages;
  if (result || result.failure == PackerFailure::Cancelled) {
    refreshTableList();
    person_.messageBox(result ? doneMessage : cancelledMessage, u"", mb::kOk);
  } else {
    person_.messageBox(result.failure == PackerFailure::FileInUse ? kFileInUse : failedMessage, kError, mb::kIconHand);
  }
}

void MainWindowModel::importTables() {
  using namespace main_window_messages;
  if (person_.messageBox(kImportQuestion, kDangerous, mb::kYesNo | mb::kIconExclamation) != Answer::Yes) return;
  const Path edition = workDirectory();
  const std::vector<Path> tables = tables_;
  DeferredMessages said;
  bool started = false;
  bool cancelled = false;
  std::vector<Path> unchanged;
  long long imported = 0;
  runner_.run(kImportTitle, [&](WorkProgress& progress) {
    progress.showBusy(kKeepingRestorePoint);
    std::vector<Path> withExchangeFile;
    for (const Path& table : tables) {
      if (fileExists(JoinPath(edition, exchangeFilePath(table)))) withExchangeFile.push_back(table);
    }
    if (!keepRestorePoint(said, edition, withExchangeFile)) return;
    started = true;
    cancelled = eachTableUntilCancelled(progress, tables, [&](const Path& table) {
      if (!isDirectory(edition)) {
        unchanged.push_back(table + u": " + kEditionFolderMissing);
        return;
      }
      const ImportOutcome outcome =
          importTable(JoinPath(edition, table), JoinPath(edition, exchangeFilePath(table)));
      if (outcome.result == ImportResult::NoByteOrderMark) tellExchangeFileHasNoMark(said, exchangeFilePath(table));
      // A table without an exchange file was simply not part of this import.
      if (outcome.changedTable()) ++imported;
      if (!outcome.changedTable() && outcome.result != ImportResult::NoExchangeFile) {
        unchanged.push_back(table + u": " + whyNotImported(outcome));
      }
    });
  });
  said.tell(person_);
  if (!started) return;
  reportTables(kNotImported, unchanged);
  if (cancelled) {
    person_.messageBox(withDecimal(kImportCancelled, imported), u"", mb::kOk);
  } else if (imported > 0) {
    person_.messageBox(withDecimal(kImported, imported), u"", mb::kOk);
  }
}

void MainWindowModel::exportTables() {
  using namespace main_window_messages;
  const Path edition = workDirectory();
  const std::vector<Path> tables = tables_;
  bool cancelled = false;
  std::vector<Path> unwritten;
  long long exported = 0;
  runner_.run(kExportTitle, [&](WorkProgress& progress) {
    cancelled = eachTableUntilCancelled(progress, tables, [&](const Path& table) {
      if (isDirectory(edition) &&
          exportTable(JoinPath(edition, table), JoinPath(edition, exchangeFilePath(table))) == ExportResult::Written) {
        ++exported;
      } else {
        unwritten.push_back(table);
      }
    });
  });
  reportTables(kNotExported, unwritten);
  if (cancelled) person_.messageBox(withDecimal(kExportCancelled, exported), u"", mb::kOk);
}

void MainWindowModel::reportTables(std::u16string_view heading, const std::vector<Path>& tables) {
  if (tables.empty()) return;
  std::u16string text(heading);
  for (const Path& table : tables) text += u"\n" + table;
  person_.messageBox(text, main_window_messages::kCaution, mb::kOk | mb::kIconExclamation);
}

bool MainWindowModel::firstRunOpensBaselineSetup() const {
  Path settingsFile(kSettingsFileName);
  return shouldOpenBaselineSetup(IsPackerPresent(), fileExists(settingsFile));
}

Path MainWindowModel::tableForRow(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= tables_.size()) return {};
  return tables_[static_cast<std::size_t>(row)];
}

}  // namespace verbarium
