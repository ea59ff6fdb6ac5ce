#include "platform/fault_injection.h"

#include <atomic>
#include <cerrno>

namespace verbarium {

namespace {

std::atomic<std::int64_t> gFailAt{0};
std::atomic<std::int64_t> gSeen{0};
std::atomic<bool> gStruck{false};
std::atomic<FileOperation> gStruckOperation{FileOperation::Open};

}  // namespace

namespace fault_injection {

void failNth(std::int64_t n) {
  gSeen = 0;
  gStruck = false;
  gFailAt = n;
}

bool struck() { return gStruck; }

FileOperation struckOperation() { return gStruckOperation; }

std::int64_t operationsSeen() { return gSeen; }

}  // namespace fault_injection

bool injectedFailure(FileOperation operation) {
  const std::int64_t seen = ++gSeen;
  if (gFailAt == 0 || seen != gFailAt) return false;
  gStruck = true;
  gStruckOperation = operation;
  errno = EIO;
  return true;
}

}  // namespace verbarium
