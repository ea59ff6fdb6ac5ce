#pragma once
// The record an unpack keeps in the work directory while it moves its new
// files over the old ones, so that the next run can undo a run that was
// killed halfway. It names only files of that directory, each of a shape
// the unpack itself makes:
//
//   cratework moves 1
//   <target> TAB <staged> TAB <backup or ->
//   ...
//   end <number of moves>
//
// target  "<plain table name>.dat" or "<plain table name>.zlib"
// staged  "<target>.~<pid>-<serial>.tmp", the new file, sealed
// backup  "<target>.~<pid>-<serial>.old", a second name of the old file, or
//         "-" when there was none
// with the pid of the run that wrote the record, which is also in its name
// "cratework.~<pid>.journal". Lines end with LF.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratework {

// The most moves one record may hold: two files for each entry an archive may have.
inline constexpr std::size_t kMaxJournalMoves = 20000;
// Far above what that many moves of the longest names take.
inline constexpr std::size_t kMaxJournalBytes = 8u * 1024 * 1024;

struct PlannedMove {
  std::string target;
  std::string staged;
  std::string backup;  // empty: the target did not exist as a file

  bool operator==(const PlannedMove&) const = default;
};

std::string journalFileName(unsigned long processId);
// The pid in a name "cratework.~<pid>.journal", or nothing for any other name.
std::optional<unsigned long> journalOwner(std::string_view fileName);

// The suffix of backups: "<target>.~<pid>-<serial>.old".
inline constexpr std::u16string_view kBackupSuffix = u".old";
// The backup beside `staged`: the same name with the other suffix.
std::string backupNameFor(std::string_view staged);

std::string writeJournal(const std::vector<PlannedMove>& moves);

// The moves of a record written by process `owner`. False, with the reason,
// for anything the writer would not have written: another shape of line or
// name, another pid, a target named twice, too many moves, or no end line.
bool readJournal(std::string_view text, unsigned long owner, std::vector<PlannedMove>& moves, std::string& error);

}  // namespace cratework
