#include "table_pair_reasons.h"

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

}  // namespace verbarium::cli
