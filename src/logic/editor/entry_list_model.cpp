#include "editor/entry_list_model.h"

#include <future>
#include <numeric>

#include "editor/keyword_search.h"
#include "formats/dat_file.h"
#include "messages/read_failure_messages.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium {

EntryListModel::OpenResult EntryListModel::openTables(const Path& tablePath, Interaction* person) {
  modified_ = false;
  lock_.release();
  tablePath_ = tablePath;
  currentTable_ = TextTable{};
  baselineTable_ = TextTable{};
  // The baseline is read on a thread of its own while this one reads the
  // table, so that a large pair of tables takes the time of one. Where no
  // thread can be had, it is read here afterwards.
  std::future<DatReadResult> baselineRead = std::async(std::launch::async | std::launch::deferred, [this] {
    return readTextTableFile(tablePath_ + u".org", baselineTable_);
  });
  // A table that cannot be opened is listed empty, without a word.
  if (const DatReadResult read = readTextTableFile(tablePath_, currentTable_);
      read != DatReadResult::Read && read != DatReadResult::CannotOpen) {
    if (person) tellTableNotRead(*person, read);
    return OpenResult::Closed;
  }
  // The baseline's own failures are not told: the table's are what counts.
  switch (baselineRead.get()) {
    case DatReadResult::Read: hasBaseline_ = true; break;
    case DatReadResult::CannotOpen: hasBaseline_ = false; break;
    default: return OpenResult::Closed;
  }
  if (hasBaseline_ && baselineTable_.count() != currentTable_.count()) {
    if (person) person->messageBox(entry_list_messages::kCountMismatch, u"", mb::kOk);
    return OpenResult::Closed;
  }
  showAllRows();
  return OpenResult::Opened;
}

void EntryListModel::showAllRows() {
  shownRows_.resize(static_cast<std::size_t>(currentTable_.count()));
  std::iota(shownRows_.begin(), shownRows_.end(), 0);
}

void EntryListModel::filterRows(std::u16string_view keyword) {
  if (keyword.empty()) {
    showAllRows();
    return;
  }
  KeywordSearch search(keyword);
  // Gathered apart: a search that runs out of memory leaves the rows as
  // they were.
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(currentTable_.count()));
  for (int i = 0; i < currentTable_.count(); ++i) {
    if (search.foundIn(originalText(i)) || search.foundIn(currentText(i))) rows.push_back(i);
  }
  shownRows_.swap(rows);
}

void EntryListModel::setEntryText(int index, std::u16string_view text) {
  currentTable_.setText(index, text);
}

EditTextParam EntryListModel::editTextParam(int index) const {
  return {numberText(index), std::u16string(originalText(index)), std::u16string(currentText(index))};
}

bool EntryListModel::applyEntryEdit(const EditTextParam& param, bool replaceAllSameOriginal) {
  int number = 0;
  for (char16_t digit : param.numberText) {
    if (digit < u'0' || digit > u'9' || number > entryCount()) return false;
    number = number * 10 + (digit - u'0');
  }
  const int k = number - 1;
  if (k < 0 || k >= entryCount()) return false;
  const bool replaceAll = replaceAllSameOriginal && !param.originalText.empty();
  if (!replaceAll) {
    if (currentText(k) == param.currentText) return false;
    setEntryText(k, param.currentText);
    return true;
  }
  // By the original alone, over every entry, shown or not: the same source
  // text gets the same translation.
  std::vector<int> targets{k};
  for (int i = 0; i < baselineTable_.count(); ++i) {
    if (i != k && baselineTable_.text(i) == param.originalText) targets.push_back(i);
  }
  // All or none: running out of memory half way leaves the table as it was.
  currentTable_.setTexts(targets, param.currentText);
  return true;
}

bool EntryListModel::markModified() {
  if (modified_) return false;
  modified_ = true;
  // Refused while another writer runs; Save tries again.
  lock_ = FileLock::tryAcquire(tablePath_);
  return true;
}

EntryListModel::SaveResult EntryListModel::saveTable(Interaction* person) {
  if (!modified_) return SaveResult::Unchanged;
  if (!lock_.held()) lock_ = FileLock::tryAcquire(tablePath_);
  if (lock_.state() == FileLock::State::InUse) {
    if (person) person->messageBox(entry_list_messages::kTableInUse, u"", mb::kOk);
    return SaveResult::Failed;
  }
  // The backup is a convenience: a failed copy does not stop the save.
  copyFile(tablePath_, tablePath_ + u".bak", false);
  switch (saveTextTableFile(tablePath_, currentTable_)) {
    case TableSaveResult::Saved: return SaveResult::Saved;
    case TableSaveResult::LayoutCannotHold:
      if (person) {
        person->messageBox(withDecimal(entry_list_messages::kLayoutCannotHold, firstEntryLayoutCannotHold(currentTable_) + 1),
                          u"", mb::kOk);
      }
      return SaveResult::Failed;
    case TableSaveResult::WriteFailed: break;
  }
  if (person) person->messageBox(entry_list_messages::kSaveFailed, u"", mb::kOk);
  return SaveResult::Failed;
}

bool EntryListModel::dumpCanceled() const {
  if (!modified_) return true;
  const Path dump = tablePath_ + u".canceled";
  const TableSaveResult result = saveTextTableFile(dump, currentTable_);
  if (result != TableSaveResult::LayoutCannotHold) return result == TableSaveResult::Saved;
  // Nobody reads the dump back as a table; what matters is that no typed
  // text is lost, so a table its layout cannot hold goes in records that
  // hold any text.
  return saveTextTableFile(dump, currentTable_, RecordForm::LengthPrefixed) == TableSaveResult::Saved;
}

EntryListModel::CloseDecision EntryListModel::closeWindow(Interaction* person) {
  if (!modified_) return CloseDecision::Close;
  // Without anybody to ask, the edits are kept as they always were.
  Answer answer = Answer::No;
  if (person) {
    answer = person->messageBox(entry_list_messages::kUnsavedQuestion, entry_list_messages::kConfirm,
                               mb::kYesNoCancel | mb::kIconQuestion);
  }
  switch (answer) {
    case Answer::Yes:
      return saveTable(person) == SaveResult::Failed ? CloseDecision::StayOpen : CloseDecision::Close;
    case Answer::No:
      if (dumpCanceled()) return CloseDecision::Close;
      if (person) {
        person->messageBox(entry_list_messages::kCanceledDumpFailed + tablePath_ + u".canceled",
                          entry_list_messages::kError, mb::kIconHand);
      }
      return CloseDecision::StayOpen;
    default:
      return CloseDecision::StayOpen;
  }
}

std::u16string EntryListModel::numberText(int index) const { return asciiToUtf16(std::to_string(index + 1)); }

std::u16string_view EntryListModel::originalText(int index) const {
  return hasBaseline_ ? baselineTable_.text(index) : std::u16string_view();
}

std::u16string_view EntryListModel::currentText(int index) const { return currentTable_.text(index); }

}  // namespace verbarium
