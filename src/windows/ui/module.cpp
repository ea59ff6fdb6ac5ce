#include "ui/dialog_impl.h"

namespace verbarium::ui {

namespace {
HINSTANCE gInstance = nullptr;
}

HINSTANCE moduleInstance() { return gInstance ? gInstance : ::GetModuleHandleW(nullptr); }
void setModuleInstance(HINSTANCE instance) { gInstance = instance; }

}  // namespace verbarium::ui
