#pragma once
// The main window without a window: which tables to list for the selected
// edition, which controls to enable, and the archive-level actions in the
// order they run, talking to the person through Interaction.

#include <array>
#include <string>
#include <vector>

#include "archive/packer.h"
#include "baseline/editions.h"
#include "archive/restore_point.h"
#include "messages/archive_messages.h"
#include "platform/file.h"
#include "person/interaction.h"
#include "person/work_runner.h"

namespace verbarium {

inline constexpr char16_t kNoTablesRow[] = u".dat files not found";

struct MainWindowControls {
  bool tableList = false;
  bool loadAndInitialSettings = false;  // need the packer
  bool saveImportExport = false;        // need tables
  bool packerMissingLabel = false;
};

class MainWindowModel {
 public:
  // `programDirectory` is the absolute program directory; the current
  // directory is the program directory between actions. The unpack, the
  // pack and the loops over the tables run through `runner`.
  MainWindowModel(Interaction& person, WorkRunner& runner, Path programDirectory);

  // Once, when the window opens: the caution when the packer is missing,
  // then the first edition's tables.
  void initialise();

  void selectEdition(int index);
  int selectedEdition() const { return selectedEdition_; }
  // Each edition is also its directory's name.
  std::u16string_view editionName() const { return kEditions[static_cast<std::size_t>(selectedEdition_)].name; }
  // Rebuilds the table list from the selected edition's directory.
  void refreshTableList();

  // The list's rows: the table files, or the one placeholder row.
  std::vector<std::u16string> listRows() const;
  const std::vector<Path>& tables() const { return tables_; }
  MainWindowControls controls() const;

  // Load asks first, keeps the edition's tables in a restore point, then
  // unpacks the chosen archive into the edition. Cancelled, the tables are
  // as they were.
  void load();
  // Save packs the edition into the chosen archive.
  void save();
  // Import asks first, keeps the tables that have an exchange file in a
  // restore point, then puts every listed table's exchange file into it and
  // names the tables it had to leave unchanged. Cancelled, it stops before
  // the next table.
  void importTables();
  // Export writes every listed table's exchange file beside it and names the
  // tables it could not export. Cancelled, it stops before the next table.
  void exportTables();
  // Shortly after start: whether the baseline setup opens by itself.
  bool firstRunOpensBaselineSetup() const;

  // The table file a double-click on `row` opens, relative to the edition
  // directory; empty for no row.
  Path tableForRow(int row) const;

  bool packerPresent() const { return packerPresent_; }
  // The load and save runs' work directory: absolute.
  Path workDirectory() const;

 private:
  // The table list after a packer run that went well or was cancelled, and
  // what it did; what went wrong otherwise.
  void afterPackerRun(const PackerResult& result, std::u16string_view failedMessage, std::u16string_view doneMessage,
                      std::u16string_view cancelledMessage);
  // One notice listing the tables under the heading; nothing for no table.
  void reportTables(std::u16string_view heading, const std::vector<Path>& tables);

  Interaction& person_;
  WorkRunner& runner_;
  Path programDirectory_;
  bool packerPresent_ = false;
  int selectedEdition_ = 0;
  std::vector<Path> tables_;
};

namespace main_window_messages {
inline constexpr char16_t kPackerMissing[] = u"CRATEWORKが見つからないのでcffの読み書きは行えません。";
inline constexpr char16_t kCaution[] = u"注意";
inline constexpr char16_t kLoadQuestion[] = u"ロードすると保存していないデータは消えます。\n続行してもよろしいですか？";
inline constexpr char16_t kConfirm[] = u"確認";
inline constexpr const char16_t* kUnpackFailed = kUnpackFailedMessage;
inline constexpr char16_t kPackFailed[] =
    u"cffの保存に失敗しました。\n・CRATEWORKが正しく配置されていない\n・cffファイルに異常がある\n"
    u"・ディスクに書き込める状態ではない\nなどの原因が考えられます。";
inline constexpr char16_t kError[] = u"エラー";
inline constexpr char16_t kFileInUse[] =
    u"他のプログラムが書き込み中のファイルがあるため、中止しました。\nしばらくしてからもう一度実行してください。";
inline constexpr const char16_t* kRestorePointFailed = kRestorePointFailedMessage;
inline constexpr char16_t kImportQuestion[] =
    u"この機能は激しくβ版です。\r\n必ずバックアップを取ってから実行してください。\r\n"
    u"また、インポートすると保存していないデータは消えます。\r\n\r\n続行しますか？";
inline constexpr char16_t kDangerous[] = u"危険な機能";
inline constexpr char16_t kNotImported[] = u"次のファイルはインポートされませんでした。";
// What a Load, Save or Import that went well did, said at its end.
inline constexpr char16_t kUnpacked[] = u"cffファイルを展開しました。";
inline constexpr char16_t kPacked[] = u"cffファイルを保存しました。";
inline constexpr char16_t kImported[] = u"%d個のファイルをインポートしました。";
// Why a table was not imported, after its name in that list.
inline constexpr char16_t kEditionFolderMissing[] = u"フォルダが見つかりません";
inline constexpr char16_t kExchangeFileUnreadable[] = u"txtファイルを読み込めません";
inline constexpr char16_t kExchangeFileWithoutMark[] = u"txtファイルが異常です(no BOM)";
inline constexpr char16_t kTableInUse[] = u"他のプログラムが書き込み中です";
inline constexpr char16_t kTableUnreadable[] = u"ファイルを読み込めません";
inline constexpr char16_t kLineCountBefore[] = u"txtファイルの行数（";
inline constexpr char16_t kLineCountMiddle[] = u"）がテキストの数（";
inline constexpr char16_t kLineCountAfter[] = u"）と違います";
inline constexpr char16_t kLayoutCannotHoldAfter[] = u"番目のテキストはこのファイルの形式では保存できません";
inline constexpr char16_t kTableNotWritten[] = u"ファイルに書き込めません";
inline constexpr char16_t kNotExported[] = u"次のファイルはエクスポートされませんでした。";
// The progress window's title, and what it says while no table is at work.
inline constexpr char16_t kLoadTitle[] = u"cffファイルの展開";
inline constexpr char16_t kUnpacking[] = u"cffファイルを展開しています...";
inline constexpr char16_t kSaveTitle[] = u"cffファイルの保存";
inline constexpr char16_t kPacking[] = u"cffファイルを保存しています...";
inline constexpr char16_t kImportTitle[] = u"インポート";
inline constexpr char16_t kKeepingRestorePoint[] = u"復元ポイントを作成しています...";
inline constexpr char16_t kExportTitle[] = u"エクスポート";
// What a cancelled run did and did not do, said at its end.
inline constexpr char16_t kUnpackCancelled[] = u"cffファイルの展開を中止しました。\nファイルは展開前のままです。";
inline constexpr char16_t kPackCancelled[] = u"cffファイルの保存を中止しました。";
inline constexpr char16_t kImportCancelled[] = u"インポートを中止しました。\n中止するまでに%d個のファイルをインポートしました。";
inline constexpr char16_t kExportCancelled[] = u"エクスポートを中止しました。\n中止するまでに%d個のファイルをエクスポートしました。";
}  // namespace main_window_messages

}  // namespace verbarium
