#include "platform/single_instance.h"

namespace verbarium {

// Only the desktop program claims a name, and it runs on Windows alone:
// here every run is the first.
struct SingleInstance::Claim {};

SingleInstance::SingleInstance(std::u16string_view) {}

SingleInstance::~SingleInstance() = default;

}  // namespace verbarium
