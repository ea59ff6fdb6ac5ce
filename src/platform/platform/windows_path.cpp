#include "platform/windows_path.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kSeparators = u"\\/";

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The length of "server\share\" from `at`, or 0 when the path has no share.
std::size_t shareRootEnd(std::u16string_view path, std::size_t at) {
  const std::size_t server = path.find_first_of(kSeparators, at);
  if (server == std::u16string_view::npos || server == at) return 0;
  const std::size_t share = path.find_first_of(kSeparators, server + 1);
  return share == std::u16string_view::npos ? path.size() : share + 1;
}

// The length of the path's root with its separator: "C:\", "\\server\share\",
// "\\?\C:\", "\\?\UNC\server\share\"; 0 for a path without one.
std::size_t rootLength(std::u16string_view path) {
  const bool doubleSeparator = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
  if (doubleSeparator && path.size() >= 4 && (path[2] == u'?' || path[2] == u'.') && isSeparator(path[3])) {
    const std::u16string_view rest = path.substr(4);
    if (rest.size() >= 4 && (rest.substr(0, 3) == u"UNC" || rest.substr(0, 3) == u"unc") && isSeparator(rest[3])) {
      return shareRootEnd(path, 8);
    }
    // A drive ("C:\") or a volume name: up to the first separator.
    const std::size_t end = path.find_first_of(kSeparators, 4);
    return end == std::u16string_view::npos ? path.size() : end + 1;
  }
  if (doubleSeparator) return shareRootEnd(path, 2);
  if (path.size() >= 3 && path[1] == u':' && isSeparator(path[2])) return 3;
  // "\x.exe": the root of the current drive.
  return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

}  // namespace

Path directoryOfFile(std::u16string_view path) {
  const std::size_t separator = path.find_last_of(kSeparators);
  if (separator == std::u16string_view::npos) return {};
  const std::size_t root = rootLength(path);
  if (separator < root) return Path(path.substr(0, root));
  return Path(path.substr(0, separator));
}

}  // namespace verbarium
