#include <new>

#include "platform/large_memory.h"

namespace verbarium {

void LargeMemoryRelease::operator()(std::uint8_t* memory) const { delete[] memory; }

// Large pages on Windows need a privilege a translator's account does not
// have: ordinary memory.
LargeMemory allocateLarge(std::size_t bytes) {
  return LargeMemory(new std::uint8_t[bytes == 0 ? 1 : bytes], LargeMemoryRelease{});
}

}  // namespace verbarium
