#include "table_pair_reasons.h"

#include "json_text.h"
#include "platform/utf.h"

namespace verbarium::cli {

namespace {

std::string whyNotRead(DatReadResult read) {
  switch (read) {
    case DatReadResult::Read: break;
    case DatReadResult::CannotOpen: return "cannot be opened";
    case DatReadResult::CannotRead: return "cannot be read";
    case DatReadResult::UnknownFormat: return "is in no known table layout";
    case DatReadResult::Empty: return "is empty";
  }
  return "cannot be read";
}

}  // namespace

std::string whyNotMeasured(const TablePair& pair) {
  const std::string baseline = toUtf8(pair.name) + toUtf8(kBaselineSuffix);
  switch (pair.failure) {
    case PairFailure::None: return {};
    case PairFailure::TableUnreadable: return "the table " + whyNotRead(pair.read);
    case PairFailure::NoBaseline: return "no baseline (" + baseline + ")";
    case PairFailure::BaselineUnreadable: return "the baseline " + baseline + " " + whyNotRead(pair.read);
    case PairFailure::CountsDiffer:
      return std::to_string(pair.current.count()) + " entries, its baseline " + std::to_string(pair.original.count());
  }
  return {};
}

void appendUnmeasuredJson(std::string& out, const std::vector<Unmeasured>& unmeasured) {
  out += "\"unmeasured\": [";
  for (std::size_t i = 0; i < unmeasured.size(); ++i) {
    out += i == 0 ? "{\"table\": " : ", {\"table\": ";
    appendJsonString(out, fromUtf8(unmeasured[i].table));
    out += ", \"reason\": ";
    appendJsonString(out, fromUtf8(unmeasured[i].reason));
    out += "}";
  }
  out += "]";
}

void appendUnmeasuredLines(std::string& out, std::string_view heading, const std::vector<Unmeasured>& unmeasured) {
  if (unmeasured.empty()) return;
  out += std::string(heading) + "\n";
  for (const Unmeasured& row : unmeasured) out += "  " + row.table + ": " + row.reason + "\n";
}

}  // namespace verbarium::cli
