#include "baseline/baseline_setup.h"

#include "prompts/archive_prompts.h"
#include "messages/archive_messages.h"
#include "archive/packer.h"
#include "archive/restore_point.h"
#include "archive/work_files.h"
#include "baseline/archive_size.h"
#include "baseline/baseline_files.h"
#include "person/deferred_messages.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kNotAnArchive = kNotAnArchiveMessage;
constexpr std::u16string_view kConfirmCaption = u"確認";
constexpr std::u16string_view kFolderMissing = u"フォルダが見つかりません：";
constexpr std::u16string_view kUnpackFailed = kUnpackFailedMessage;
constexpr std::u16string_view kAllUnpacked = u"%d個のファイルを展開しました。";
constexpr std::u16string_view kSomeUnpacked = u"%d個のファイルを展開しました。\nいくつか展開に失敗したかもしれません。";
constexpr std::u16string_view kNoneUnpacked = u"展開に失敗しました。";
constexpr std::u16string_view kMoreUnpacked =
    u"%d個のファイルを展開しました。\n想定より多いため、古いファイルが残っているかもしれません。";
constexpr std::u16string_view kArchiveWouldBeReplaced =
    u"このファイルは展開の作業で上書きされるため使用できません。\n別のフォルダにコピーしてから選択してください。";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kUnsupportedBefore = u"このバージョンのVerbariumは";
constexpr std::u16string_view kUnsupportedAfter =
    u"に正式対応していません。\n誤動作が起こりうることを覚悟の上でご利用ください。";
// The progress window's title and what it says while the packer runs.
constexpr std::u16string_view kTitle = u"原文ファイルの作成";
constexpr std::u16string_view kUnpacking = u"cffファイルを展開しています...";
constexpr std::u16string_view kCancelled = u"原文ファイルの作成を中止しました。\n原文ファイルは元のままです。";

// Every edition's archive holds this many tables.
constexpr int kFullTableCount = 21;

void notify(Interaction& person, std::u16string_view text) { person.messageBox(text, u"", mb::kOk); }

// Only an explicit No stops.
bool confirm(Interaction& person, std::u16string_view text) {
  return person.messageBox(text, kConfirmCaption, mb::kYesNo | mb::kIconExclamation) != Answer::No;
}

// False when the person declined to go on with an archive of this size.
bool acceptSize(Interaction& person, std::uint32_t size, std::uint32_t expectedSize) {
  const SizeVerdict verdict = JudgeArchiveSize(size, expectedSize);
  switch (verdict.kind) {
    case SizeVerdict::Kind::None: return true;
    case SizeVerdict::Kind::Notice: notify(person, verdict.text); return true;
    case SizeVerdict::Kind::Question: return confirm(person, verdict.text);
  }
  return true;
}

// A table whose move failed left its older baseline table in place, which
// the count alone cannot tell.
void reportCount(Interaction& person, int count, bool allMoved) {
  if (!allMoved && count > 0) {
    notify(person, withDecimal(kSomeUnpacked, count));
  } else if (count == kFullTableCount) {
    notify(person, withDecimal(kAllUnpacked, count));
  } else if (count > kFullTableCount) {
    // More baseline tables than any archive of the edition holds: some were
    // left from elsewhere.
    notify(person, withDecimal(kMoreUnpacked, count));
  } else if (count > 0) {
    notify(person, withDecimal(kSomeUnpacked, count));
  } else {
    notify(person, kNoneUnpacked);
  }
}

// The baseline tables about to be replaced go into a restore point first;
// false, after saying so, when it could not be made.
bool keepBaselinesToReplace(Interaction& person, const BaselineDirectories& directories) {
  const RestorePointResult kept = KeepRestorePoint(directories.edition, BaselinesToReplace(directories));
  if (kept) return true;
  person.messageBox(Path(kRestorePointFailedMessage) + u"\n" + kept.failedPath, kErrorCaption, mb::kIconHand);
  return false;
}

// The unpack and the moves; what they have to say is kept for later in `person`.
void unpackAndMove(Interaction& person, WorkProgress& progress, const Path& archive,
                   const BaselineDirectories& directories) {
  progress.showBusy(kUnpacking);
  ClearUnpackedTables(directories.scratch);
  const PackerResult unpacked = UnpackArchive(archive, directories.scratch, progress.stopToken());
  if (unpacked.failure == PackerFailure::Cancelled) {
    notify(person, kCancelled);
    return;
  }
  if (!unpacked) {
    // A count now would be the earlier baseline's, read as this run's success.
    notify(person, kUnpackFailed);
    return;
  }
  if (!keepBaselinesToReplace(person, directories)) {
    // Nothing moves: temp is left as a finished run leaves it.
    ClearUnpackedTables(directories.scratch);
    return;
  }
  const bool allMoved = MoveUnpackedTables(directories);
  reportCount(person, CountBaselineTables(directories.edition), allMoved);
}

}  // namespace

void CreateBaseline(Interaction& person, WorkRunner& runner, std::u16string_view edition,
                    std::uint32_t expectedSize) {
  const Path chosen = PromptOpenPath(person, ArchiveFileFilter());
  if (chosen.empty()) return;
  if (!HasArchiveSignature(chosen)) {
    notify(person, kNotAnArchive);
    return;
  }
  if (!acceptSize(person, QueryFileSize(chosen), expectedSize)) return;

  // Resolved here, in the program directory: the work uses no current directory.
  const Path archive = absolutePath(chosen);
  const BaselineDirectories directories{absolutePath(Path(edition)), absolutePath(Path(kScratchDirectoryName))};
  // Both directories ship with the program; without either, every name
  // below would point somewhere else.
  if (!isDirectory(directories.edition)) {
    notify(person, Path(kFolderMissing) + Path(edition));
    return;
  }
  if (!isDirectory(directories.scratch)) {
    notify(person, Path(kFolderMissing) + Path(kScratchDirectoryName));
    return;
  }

  // The scratch directory is cleared and the baseline tables are replaced:
  // an archive chosen among those files would be lost on the way.
  if (IsReplacedByBaselineRun(archive, directories)) {
    notify(person, kArchiveWouldBeReplaced);
    return;
  }

  DeferredMessages said;
  runner.run(kTitle, [&](WorkProgress& progress) { unpackAndMove(said, progress, archive, directories); });
  said.tell(person);
}

void CreateEditionBaseline(Interaction& person, WorkRunner& runner, const Edition& edition) {
  if (!edition.supported) {
    notify(person, Path(kUnsupportedBefore) + Path(edition.name) + Path(kUnsupportedAfter));
  }
  CreateBaseline(person, runner, edition.name, edition.expectedSize);
}

}  // namespace verbarium
