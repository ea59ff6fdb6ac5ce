#include "workbench/table_pairs.h"

#include <algorithm>

#include "archive/work_files.h"
#include "formats/dat_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"

namespace verbarium {

namespace {

// The last separator of either kind: Windows paths may hold both.
std::size_t lastSeparator(const Path& path) { return path.find_last_of(u"\\/"); }

}  // namespace

std::optional<TableSet> tablesAt(const Path& path) {
  if (isDirectory(path)) {
    TableSet set{path, listFiles(path, u"*.dat")};
    std::erase_if(set.tables, [](const Path& name) { return !IsTableFileName(name); });
    std::sort(set.tables.begin(), set.tables.end());
    return set;
  }
  if (!isRegularFile(path)) return std::nullopt;
  const std::size_t cut = lastSeparator(path);
  if (cut == Path::npos) return TableSet{u".", {path}};
  return TableSet{path.substr(0, cut == 0 ? 1 : cut), {path.substr(cut + 1)}};
}

TablePair readTablePair(const Path& directory, const Path& name) {
  TablePair pair;
  pair.name = name;
  const Path table = JoinPath(directory, name);
  pair.read = readTextTableFile(table, pair.current);
  if (pair.read != DatReadResult::Read) {
    pair.failure = PairFailure::TableUnreadable;
    return pair;
  }
  const Path baseline = table + Path(kBaselineSuffix);
  if (!fileExists(baseline)) {
    pair.failure = PairFailure::NoBaseline;
    return pair;
  }
  pair.read = readTextTableFile(baseline, pair.original);
  if (pair.read != DatReadResult::Read) {
    pair.failure = PairFailure::BaselineUnreadable;
    return pair;
  }
  if (pair.current.count() != pair.original.count()) pair.failure = PairFailure::CountsDiffer;
  return pair;
}

}  // namespace verbarium
