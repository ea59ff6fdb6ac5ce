#include <sys/mman.h>

#include <new>

#include "platform/large_memory.h"

namespace verbarium {

namespace {

// The size of a large page on the machines this is built for.
constexpr std::size_t kLargePage = 2 * 1024 * 1024;

}  // namespace

void LargeMemoryRelease::operator()(std::uint8_t*) const {
  if (mapping != nullptr) ::munmap(mapping, mappedBytes);
}

LargeMemory allocateLarge(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  // Large pages need addresses on their own boundary: a page more, and the
  // start moved up to it.
  const std::size_t mapped = bytes + kLargePage;
  void* mapping = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + kLargePage - 1) & ~(kLargePage - 1);
  auto* memory = reinterpret_cast<std::uint8_t*>(start);
  // Only a wish: a system without large pages gives small ones.
  if (bytes >= kLargePage) ::madvise(memory, bytes - bytes % kLargePage, MADV_HUGEPAGE);
  return LargeMemory(memory, LargeMemoryRelease{mapped, mapping});
}

}  // namespace verbarium
