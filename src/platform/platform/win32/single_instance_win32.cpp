#include <windows.h>

#include "platform/single_instance.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_handle.h"

namespace verbarium {

// A named mutex, whoever owns it: the name alone is the claim, and the
// system lets it go with the last handle, also when a run is killed.
struct SingleInstance::Claim {
  KernelHandle mutex;
};

SingleInstance::SingleInstance(std::u16string_view name) : claim_(std::make_unique<Claim>()) {
  const std::wstring wideName = toWide(name);
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, wideName.c_str());
  // Read at once: the next call may set another error.
  alreadyRunning_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
  claim_->mutex.reset(mutex);
}

SingleInstance::~SingleInstance() = default;

}  // namespace verbarium
