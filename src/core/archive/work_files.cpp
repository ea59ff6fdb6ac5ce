#include "archive/work_files.h"

#include <array>
#include <cwctype>

#include "container/archive_headers.h"
#include "container/table_names.h"
#include "platform/directory.h"
#include "platform/file_system.h"

namespace verbarium {

bool HasArchiveSignature(const Path& path) {
  File file = File::openForReading(path);
  std::array<std::uint8_t, kArchiveSignature.size()> head{};
  return file.isOpen() && file.read(head.data(), head.size()) == static_cast<std::int64_t>(head.size()) &&
         head == kArchiveSignature;
}

bool IsTableFileName(std::u16string_view name) {
  return hasTableNamePrefix(name, [](char16_t c) { return std::iswdigit(static_cast<std::wint_t>(c)) != 0; });
}

Path JoinPath(std::u16string_view directory, std::u16string_view name) {
  // An empty directory is the current one, never the root.
  if (directory.empty()) return Path(name);
  Path joined(directory);
  if (joined.back() != u'\\') joined += u'\\';
  joined += name;
  return joined;
}

bool IsWorkFile(const Path& file, const Path& workDirectory) {
  // Compared by identity, not by name: any spelling of the path, or a link
  // to the directory, names the same file.
  auto isThatFile = [&](std::u16string_view name) { return isSameFile(JoinPath(workDirectory, name), file); };
  for (std::u16string_view pattern : {u"*.dat", u"*.zlib"}) {
    for (const Path& name : listFiles(workDirectory, pattern)) {
      if (isThatFile(name)) return true;
    }
  }
  if (isThatFile(kUnpackInputName)) return true;
  // A file not there yet, by its name in that directory.
  const std::size_t separator = file.find_last_of(u"\\/");
  if (separator == Path::npos) return false;
  const Path parent = file.substr(0, separator == 0 ? 1 : separator);
  std::u16string name = file.substr(separator + 1);
  for (char16_t& c : name) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  const bool workName = name == kUnpackInputName || name.ends_with(u".dat") || name.ends_with(u".zlib");
  return workName && isSameFile(parent, workDirectory);
}

std::vector<Path> UnpackByProducts(const Path& workDirectory) {
  std::vector<Path> names = listFiles(workDirectory, u"*.zlib");
  std::erase_if(names, [](const Path& name) { return !IsTableFileName(name); });
  return names;
}

void RemoveUnpackLeftovers(const Path& workDirectory) {
  for (const Path& name : UnpackByProducts(workDirectory)) removeFile(JoinPath(workDirectory, name));
  removeFile(JoinPath(workDirectory, kUnpackInputName));
}

}  // namespace verbarium
