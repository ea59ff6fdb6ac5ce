#pragma once
// Memory for the large buffers a table or an exchange file is read into and
// filled at once. Where the system has large pages it is asked for them:
// each 4 KiB page faulted in on its own costs more than filling it, and a
// 40 MB table has ten thousand of them.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace verbarium {

struct LargeMemoryRelease {
  std::size_t mappedBytes = 0;
  void* mapping = nullptr;
  void operator()(std::uint8_t* memory) const;
};
using LargeMemory = std::unique_ptr<std::uint8_t[], LargeMemoryRelease>;

// Uninitialised; throws std::bad_alloc when there is no such memory.
LargeMemory allocateLarge(std::size_t bytes);

}  // namespace verbarium
