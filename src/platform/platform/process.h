#pragma once
// Starting another program and waiting for it.

#include <stop_token>
#include <string_view>

#include "platform/file.h"

namespace verbarium {

struct ProgramRun {
  enum class End {
    NotStarted,
    Exited,   // it ended by itself; exitCode is its own
    Stopped,  // a stop was asked for while it ran: it was ended there and then
  };
  End end = End::NotStarted;
  int exitCode = 0;
};

// Starts `commandLine` in `directory`, with no window shown, and waits
// without a time-out for it to end, or until `stop` is asked for: then the
// program is ended at once (it gets no chance to tidy up) and waited for, so
// that it holds no file any more when this returns. The program is the
// command line's first word, searched the way the platform searches for
// programs (on Windows the search of CreateProcessW; elsewhere the directory
// of this program, then PATH). Words are separated by blanks; a word in
// double quotation marks may hold blanks. The process's current directory
// is left as it is, so any thread may call this.
ProgramRun runHiddenAndWait(std::u16string_view commandLine, const Path& directory, std::stop_token stop = {});

}  // namespace verbarium
