#include "messages/read_failure_messages.h"

namespace verbarium {

void tellTableNotRead(Interaction& person, DatReadResult result) {
  switch (result) {
    case DatReadResult::Read:
    case DatReadResult::CannotOpen: return;
    case DatReadResult::CannotRead:
      person.messageBox(dat_messages::kCannotRead, dat_messages::kErrorCaption, mb::kIconHand);
      return;
    case DatReadResult::UnknownFormat:
      person.messageBox(dat_messages::kUnknownFormat, dat_messages::kErrorCaption, mb::kIconHand);
      return;
    case DatReadResult::Empty: person.messageBox(dat_messages::kEmpty, u"", mb::kOk); return;
  }
}

void tellExchangeFileHasNoMark(Interaction& person, const Path& exchangeFile) {
  person.messageBox(std::u16string(exchange_messages::kNoByteOrderMark) + u"\n" + exchangeFile, u"", mb::kOk);
}

}  // namespace verbarium
