#pragma once
// Whether a process still runs: files named after a process id belong to a
// run that may still be writing them until that process is gone.

namespace verbarium {

// False only when the system says no process of that id exists; any doubt
// (no right to ask, an odd answer) counts as running.
bool processIsRunning(unsigned long processId);

}  // namespace verbarium
