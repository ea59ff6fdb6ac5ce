#include <signal.h>
#include <sys/types.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <limits>

#include "platform/process_liveness.h"

namespace verbarium {

bool processIsRunning(unsigned long processId) {
  // Beyond pid_t no process can be; 0 and -1 would ask about groups.
  if (processId == 0 || processId > static_cast<unsigned long>(std::numeric_limits<pid_t>::max())) {
    return processId == 0;
  }
  if (::kill(static_cast<pid_t>(processId), 0) != 0) return errno != ESRCH;
  // A process that has ended but was not yet collected by its parent still
  // answers; its state in /proc tells that it is gone.
  std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const std::size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos || nameEnd + 2 >= line.size()) return true;
  const char state = line[nameEnd + 2];
  return state != 'Z' && state != 'X';
}

}  // namespace verbarium
