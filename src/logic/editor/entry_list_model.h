#pragma once
// The window-free state of one open table in the entry list: the current
// table, its baseline paired by position, the rows a search shows, and the
// file steps of Save and Cancel.

#include <string>
#include <vector>

#include "editor/edit_text_param.h"
#include "model/text_table.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "person/interaction.h"

namespace verbarium {

class EntryListModel {
 public:
  enum class [[nodiscard]] OpenResult { Opened, Closed };
  enum class [[nodiscard]] SaveResult {
    Unchanged,  // nothing was modified: no file touched
    Saved,
    Failed,     // the person was told; the edits are still here
  };
  enum class CloseDecision { Close, StayOpen };

  // Reads the table and `<tablePath>.org`. Closed means the window must
  // close at once (the person was told why where there is something to say).
  OpenResult openTables(const Path& tablePath, Interaction* person);

  // Shows the entries whose original or current text holds the keyword,
  // ignoring case; an empty keyword shows all.
  void filterRows(std::u16string_view keyword);

  void setEntryText(int index, std::u16string_view text);
  // The row's cells, for the edit dialog.
  EditTextParam editTextParam(int index) const;
  // After the edit dialog's OK: the edited text into its entry and, with
  // replace-all, into every entry whose original text is the same. Returns
  // whether the window must mark itself modified.
  bool applyEntryEdit(const EditTextParam& param, bool replaceAllSameOriginal);
  // True the first time, when the window must mark its title. From then on
  // the table is locked against other writers until the window goes.
  bool markModified();

  // Backs the table up to .bak and writes it through the atomic replace.
  SaveResult saveTable(Interaction* person);
  // Keeps the edits of a cancelled window in .canceled. False when they
  // could not be written there.
  [[nodiscard]] bool dumpCanceled() const;
  // Escape, the close box or Cancel: with unsaved changes, asks whether to
  // save them first. StayOpen when the person cancelled, or when neither the
  // save nor the dump reached the disk (the person was told).
  CloseDecision closeWindow(Interaction* person);

  bool modified() const { return modified_; }
  bool hasBaseline() const { return hasBaseline_; }
  const Path& tablePath() const { return tablePath_; }
  const TextTable& currentTable() const { return currentTable_; }
  const std::vector<int>& shownRows() const { return shownRows_; }
  int entryCount() const { return currentTable_.count(); }

  // The cells of an entry's row.
  std::u16string numberText(int index) const;
  // Valid until the table changes.
  std::u16string_view originalText(int index) const;
  std::u16string_view currentText(int index) const;

 private:
  void showAllRows();

  bool modified_ = false;
  FileLock lock_;
  TextTable currentTable_;
  TextTable baselineTable_;
  bool hasBaseline_ = false;
  Path tablePath_;
  std::vector<int> shownRows_;
};

namespace entry_list_messages {
inline constexpr char16_t kCountMismatch[] =
    u"原文データと編集データの個数が一致しません\nデータが壊れていないか確認してください";
inline constexpr char16_t kSaveFailed[] = u"保存に失敗しました";
inline constexpr char16_t kTableInUse[] = u"このファイルは他のプログラムが使用中のため保存できません。\nしばらくしてからもう一度保存してください。";
inline constexpr char16_t kUnsavedQuestion[] = u"変更が保存されていません。保存しますか？";
inline constexpr char16_t kConfirm[] = u"確認";
// Followed by a line with the file's name.
inline constexpr char16_t kCanceledDumpFailed[] = u"キャンセルしたデータを保存できませんでした。\n";
inline constexpr char16_t kError[] = u"エラー";
// %d: the number of the first entry the table's layout cannot hold.
inline constexpr char16_t kLayoutCannotHold[] = u"このファイルの形式では保存できない文字があります。(No.%d)";
}  // namespace entry_list_messages

}  // namespace verbarium
