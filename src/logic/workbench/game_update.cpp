#include "workbench/game_update.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "formats/dat_format.h"
#include "workbench/progress.h"

namespace verbarium {

namespace {

std::string_view keyBytes(const TextTable& table, int index) {
  const auto key = table.key(index);
  return {reinterpret_cast<const char*>(key.data()), key.size()};
}

// The table's entries ordered by key; the occurrences of a key stay in
// table order.
std::vector<int> orderByKey(const TextTable& table) {
  std::vector<int> order(static_cast<std::size_t>(table.count()));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const std::string_view first = keyBytes(table, a);
    const std::string_view second = keyBytes(table, b);
    return first < second || (first == second && a < b);
  });
  return order;
}

// For each entry of `next`, the entry of `previous` that it is, or -1.
std::vector<int> matchByKey(const TextTable& previous, const TextTable& next) {
  const std::vector<int> old = orderByKey(previous);
  const std::vector<int> fresh = orderByKey(next);
  std::vector<int> match(fresh.size(), -1);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < old.size() && j < fresh.size()) {
    const std::string_view a = keyBytes(previous, old[i]);
    const std::string_view b = keyBytes(next, fresh[j]);
    if (a < b) {
      ++i;
    } else if (b < a) {
      ++j;
    } else {
      match[static_cast<std::size_t>(fresh[j++])] = old[i++];
    }
  }
  return match;
}

// Puts the new original back into carried entries until the table reads
// back as written. The check tells the first entry it refuses; where that
// entry holds its original, the record that makes it fail is a later one
// (a short text runs into the next record; the first records together make
// the bytes the layout is told by), so the next carried entry goes back.
// The check is resumed before the refused entry, whose predecessors did not
// change: each round costs the stretch up to the next refusal, not the
// table. False when the table fails with no carried entry left.
bool keepToLayout(CarriedTable& result, const TextTable& newOriginal, std::vector<bool>& carried) {
  TextTable& table = result.table;
  int refused = firstEntryLayoutCannotHold(table);
  if (refused < 0) return true;
  const int count = table.count();
  // before[i]: the check as it stood before entry i.
  std::vector<DatRecordCheck> before(static_cast<std::size_t>(count) + 1, DatRecordCheck(table.layout, table.header));
  int fed = 0;
  while (refused >= 0) {
    int culprit = refused;
    while (culprit < count && !carried[static_cast<std::size_t>(culprit)]) ++culprit;
    if (culprit == count) return false;
    result.returned.push_back({culprit, std::vector<std::uint8_t>(table.key(culprit).begin(), table.key(culprit).end()),
                               std::u16string(table.text(culprit)), ReturnReason::LayoutCannotHold});
    table.setText(culprit, newOriginal.text(culprit));
    carried[static_cast<std::size_t>(culprit)] = false;

    fed = std::min(fed, refused);
    DatRecordCheck check = before[static_cast<std::size_t>(fed)];
    for (; fed < count && !check.settled(); ++fed) {
      check.add(table.key(fed), table.text(fed));
      before[static_cast<std::size_t>(fed) + 1] = check;
    }
    check.finish(table.trailingBytes);
    refused = check.firstEntryCannotHold();
  }
  return true;
}

}  // namespace

CarriedTable carryTranslations(const TextTable& current, const TextTable& original, const TextTable& newOriginal) {
  CarriedTable result;
  result.table = newOriginal;
  const std::vector<int> match = matchByKey(current, newOriginal);
  std::vector<bool> carried(match.size(), false);
  long long matched = 0;
  for (int j = 0; j < newOriginal.count(); ++j) {
    const int i = match[static_cast<std::size_t>(j)];
    if (i < 0) {
      ++result.added;
      continue;
    }
    ++matched;
    if (!isTranslated(current.text(i), original.text(i))) continue;
    if (original.text(i) == newOriginal.text(j)) {
      result.table.setText(j, current.text(i));
      carried[static_cast<std::size_t>(j)] = true;
    } else {
      const auto key = newOriginal.key(j);
      result.returned.push_back({j, std::vector<std::uint8_t>(key.begin(), key.end()), std::u16string(current.text(i)),
                                 ReturnReason::OriginalChanged});
    }
  }
  result.removed = current.count() - matched;
  result.cannotBeWritten = !keepToLayout(result, newOriginal, carried);
  result.kept = std::count(carried.begin(), carried.end(), true);
  std::sort(result.returned.begin(), result.returned.end(),
            [](const ReturnedEntry& a, const ReturnedEntry& b) { return a.entry < b.entry; });
  return result;
}

}  // namespace verbarium
