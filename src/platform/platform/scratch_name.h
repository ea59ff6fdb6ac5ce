#pragma once
// Names of the scratch files that a run keeps beside a file it replaces:
// "<target>.~<process id>-<serial><suffix>", e.g. "1000-2000_0_0.dat.~4242-7.tmp".
// The process id tells whose file it is, so a later run can remove the ones
// a killed run left without touching those of a run still going.

#include <optional>
#include <string>
#include <string_view>

namespace verbarium {

struct ScratchName {
  std::u16string_view target;  // the name of the file it stands beside
  unsigned long processId = 0;
  unsigned long serial = 0;
};

std::u16string scratchName(std::u16string_view target, unsigned long processId, unsigned long serial,
                           std::u16string_view suffix);

// The parts of a name of exactly that shape with that suffix, or nothing:
// numbers are plain ASCII decimal digits, without sign, of at most nine
// digits, and the target is not empty.
std::optional<ScratchName> parseScratchName(std::u16string_view name, std::u16string_view suffix);

}  // namespace verbarium
