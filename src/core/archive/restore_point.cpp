#include "archive/restore_point.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "archive/work_files.h"
#include "platform/atomic_replace.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "platform/wildcard.h"

namespace verbarium {

namespace {

constexpr std::size_t kStampLength = 15;  // yyyymmdd-hhmmss
// Past this many points in one second something else fills the folder.
constexpr int kMostPointsPerSecond = 1000;
constexpr std::size_t kCopyBufferSize = 256 * 1024;

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

struct PointOrder {
  std::u16string_view stamp;
  long long sequence = 1;  // the first point of a second has no suffix
};

std::optional<PointOrder> parsePointName(std::u16string_view name) {
  if (name.size() < kStampLength) return std::nullopt;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    if (!(i == 8 ? name[i] == u'-' : isAsciiDigit(name[i]))) return std::nullopt;
  }
  if (name.size() == kStampLength) return PointOrder{name};
  // One spelling per point: no "-1", no leading zero.
  const std::u16string_view suffix = name.substr(kStampLength);
  if (suffix.size() < 2 || suffix.size() > 10 || suffix[0] != u'-' || suffix[1] == u'0') return std::nullopt;
  long long sequence = 0;
  for (char16_t c : suffix.substr(1)) {
    if (!isAsciiDigit(c)) return std::nullopt;
    sequence = sequence * 10 + (c - u'0');
  }
  if (sequence < 2) return std::nullopt;
  return PointOrder{name.substr(0, kStampLength), sequence};
}

// Not the names' order: "-10" comes after "-9".
bool newerFirst(const Path& a, const Path& b) {
  const PointOrder first = *parsePointName(a);
  const PointOrder second = *parsePointName(b);
  if (first.stamp != second.stamp) return first.stamp > second.stamp;
  return first.sequence > second.sequence;
}

Path stampOf(const LocalTime& time) {
  // A field out of its width would make a name the listing does not know.
  auto twoDigits = [](int value) { return std::clamp(value, 0, 99); };
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", std::clamp(time.year, 0, 9999),
                twoDigits(time.month), twoDigits(time.day), twoDigits(time.hour), twoDigits(time.minute),
                twoDigits(time.second));
  return asciiToUtf16(text);
}

// Only what a point is made of is restored or counted: an interrupted copy's
// temporary file, or anything else put there by hand, is not.
bool isKeptFileName(std::u16string_view name) {
  return matchesWildcard(name, u"*.dat", LetterCase::IgnoreAscii) ||
         matchesWildcard(name, u"*.dat.org", LetterCase::IgnoreAscii);
}

Path backupFolder(const Path& editionDirectory) { return JoinPath(editionDirectory, kRestorePointFolderName); }

std::vector<Path> pointNames(const Path& editionDirectory) {
  std::vector<Path> names = listDirectories(backupFolder(editionDirectory));
  std::erase_if(names, [](const Path& name) { return !IsRestorePointName(name); });
  std::sort(names.begin(), names.end(), newerFirst);
  return names;
}

std::vector<Path> keptFiles(const Path& pointFolder) {
  std::vector<Path> names = listFiles(pointFolder, u"*");
  std::erase_if(names, [](const Path& name) { return !isKeptFileName(name); });
  std::sort(names.begin(), names.end());
  return names;
}

// Everything in it goes; a folder someone put inside keeps the point's folder.
void removePoint(const Path& pointFolder) {
  for (const Path& name : listFiles(pointFolder, u"*")) removeFile(JoinPath(pointFolder, name));
  removeDirectory(pointFolder);
}

bool fill(const Path& from, AtomicReplace& to) {
  File source = File::openForReading(from);
  if (!source.isOpen() || !to.isOpen()) return false;
  std::vector<std::uint8_t> buffer(kCopyBufferSize);
  for (;;) {
    const std::int64_t got = source.read(buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0 || !to.stream().write(buffer.data(), static_cast<std::size_t>(got))) return false;
  }
}

// On the disk before it returns, as the atomic replace is.
bool copyDurably(const Path& from, const Path& to) {
  AtomicReplace target(to);
  return fill(from, target) && target.commit();
}

RestorePointResult failed(RestorePointFailure failure, Path path) { return {failure, {}, std::move(path)}; }

RestorePointResult makePoint(const Path& editionDirectory, const std::vector<Path>& files, const LocalTime& now) {
  if (files.empty()) return {};
  const Path backup = backupFolder(editionDirectory);
  if (!isDirectory(backup) && !createDirectory(backup)) return failed(RestorePointFailure::FolderNotCreated, backup);

  const Path stamp = stampOf(now);
  Path name;
  Path folder;
  for (int sequence = 1; sequence <= kMostPointsPerSecond && name.empty(); ++sequence) {
    Path candidate = sequence == 1 ? stamp : stamp + u"-" + asciiToUtf16(std::to_string(sequence));
    folder = JoinPath(backup, candidate);
    if (createDirectory(folder)) {
      name = std::move(candidate);
    } else if (!fileAttributes(folder)) {
      // Not taken, just not possible: another name would fail alike.
      return failed(RestorePointFailure::FolderNotCreated, folder);
    }
  }
  if (name.empty()) return failed(RestorePointFailure::FolderNotCreated, JoinPath(backup, stamp));

  for (const Path& file : files) {
    const Path source = JoinPath(editionDirectory, file);
    if (!copyDurably(source, JoinPath(folder, file))) {
      // A point that lacks a file would restore only part of what it claims to hold.
      removePoint(folder);
      return failed(RestorePointFailure::FileNotKept, source);
    }
  }
  return {RestorePointFailure::None, std::move(name), {}};
}

// The spared points stay whatever their names say (a clock set back makes a
// new point look old) and take their places among those kept first.
void pruneRestorePoints(const Path& editionDirectory, std::initializer_list<std::u16string_view> spared) {
  std::vector<Path> others = pointNames(editionDirectory);
  const auto sparedCount = static_cast<std::size_t>(std::erase_if(
      others, [&](const Path& name) { return std::find(spared.begin(), spared.end(), name) != spared.end(); }));
  const std::size_t room = kRestorePointsKept > sparedCount ? kRestorePointsKept - sparedCount : 0;
  for (std::size_t i = room; i < others.size(); ++i) {
    removePoint(JoinPath(backupFolder(editionDirectory), others[i]));
  }
}

}  // namespace

bool IsRestorePointName(std::u16string_view name) { return parsePointName(name).has_value(); }

RestorePointResult KeepRestorePoint(const Path& editionDirectory, const std::vector<Path>& files,
                                    const LocalTime& now) {
  RestorePointResult result = makePoint(editionDirectory, files, now);
  if (result && !result.point.empty()) pruneRestorePoints(editionDirectory, {result.point});
  return result;
}

std::vector<RestorePointEntry> ListRestorePoints(const Path& editionDirectory) {
  std::vector<RestorePointEntry> entries;
  const Path backup = backupFolder(editionDirectory);
  for (Path& name : pointNames(editionDirectory)) {
    const std::size_t count = keptFiles(JoinPath(backup, name)).size();
    entries.push_back({std::move(name), count});
  }
  return entries;
}

RestoreOutcome RestoreFromPoint(const Path& editionDirectory, std::u16string_view pointName, const LocalTime& now) {
  RestoreOutcome outcome;
  if (!IsRestorePointName(pointName)) {
    outcome.failure = RestoreFailure::NotAPointName;
    return outcome;
  }
  // Only a folder of its own: a link named like a point would restore
  // files from anywhere.
  const std::vector<Path> points = pointNames(editionDirectory);
  if (std::find(points.begin(), points.end(), pointName) == points.end()) {
    outcome.failure = RestoreFailure::NoSuchPoint;
    return outcome;
  }
  const Path folder = JoinPath(backupFolder(editionDirectory), pointName);
  const std::vector<Path> files = keptFiles(folder);
  // No point is ever made of no files: none listed means the folder could
  // not be read, and restoring nothing is no success.
  if (files.empty()) {
    outcome.failure = RestoreFailure::NothingReplaced;
    return outcome;
  }

  std::vector<Path> current;
  for (const Path& file : files) {
    if (isRegularFile(JoinPath(editionDirectory, file))) current.push_back(file);
  }
  outcome.kept = makePoint(editionDirectory, current, now);
  if (!outcome.kept) {
    outcome.failure = RestoreFailure::CurrentNotKept;
    return outcome;
  }

  // Every copy is written and sealed beside its target before the first
  // replaces anything: a point file that cannot be read changes nothing.
  std::vector<std::unique_ptr<AtomicReplace>> copies;
  for (const Path& file : files) {
    auto copy = std::make_unique<AtomicReplace>(JoinPath(editionDirectory, file));
    if (!fill(JoinPath(folder, file), *copy) || !copy->seal()) {
      outcome.failure = RestoreFailure::NothingReplaced;
      outcome.notRestored = {file};
      // It holds what is still there.
      if (!outcome.kept.point.empty()) removePoint(JoinPath(backupFolder(editionDirectory), outcome.kept.point));
      outcome.kept.point.clear();
      return outcome;
    }
    copies.push_back(std::move(copy));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    (copies[i]->commit() ? outcome.restored : outcome.notRestored).push_back(files[i]);
  }
  if (!outcome.notRestored.empty()) outcome.failure = RestoreFailure::NotAllReplaced;
  // The point restored from stays too: the person may want it again.
  if (!outcome.kept.point.empty()) pruneRestorePoints(editionDirectory, {outcome.kept.point, pointName});
  return outcome;
}

}  // namespace verbarium
