#pragma once
// Making an edition's baseline tables, the unedited copies that the entry
// list shows beside each entry, from an archive of that edition that has not
// been edited yet.

#include <cstdint>
#include <string_view>

#include "baseline/editions.h"
#include "person/interaction.h"
#include "person/work_runner.h"

namespace verbarium {

// Asks for the archive, tests its signature and its size against
// `expectedSize` (kNoExpectedSize: no size known), unpacks it into the
// scratch directory, moves the unpacked tables into the edition directory
// `edition` as <name>.dat.org and reports how many baseline tables are there
// now. Everything it has to say goes through `person`; the unpack and the
// moves run through `runner`, and cancelled, leave the baseline tables as
// they were. Called in the program directory, which it does not change.
void CreateBaseline(Interaction& person, WorkRunner& runner, std::u16string_view edition,
                    std::uint32_t expectedSize);

// The run behind an edition's button: for an unsupported edition a warning
// first, whatever follows.
void CreateEditionBaseline(Interaction& person, WorkRunner& runner, const Edition& edition);

}  // namespace verbarium
