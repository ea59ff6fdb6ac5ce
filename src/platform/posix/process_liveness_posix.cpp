#include <signal.h>
#include <sys/types.h>

#include <cerrno>
#include <limits>

#include "platform/process_liveness.h"

namespace verbarium {

bool processIsRunning(unsigned long processId) {
  // Beyond pid_t no process can be; 0 and -1 would ask about groups.
  if (processId == 0 || processId > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) {
    return processId == 0;
  }
  return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

}  // namespace verbarium
