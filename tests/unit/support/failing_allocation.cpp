#include "support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace verbarium::test {
namespace {

std::atomic<bool> gArmed{false};
std::atomic<std::size_t> gSuccessesLeft{0};

void* allocate(std::size_t size) {
  if (gArmed && gSuccessesLeft.fetch_sub(1) == 0) {
    gSuccessesLeft = 0;
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

}  // namespace

FailingAllocation::FailingAllocation(std::size_t successes) {
  gSuccessesLeft = successes;
  gArmed = true;
}
FailingAllocation::~FailingAllocation() { gArmed = false; }

}  // namespace verbarium::test

// Every allocation of the test program goes through the switch above.
void* operator new(std::size_t size) { return verbarium::test::allocate(size); }
void* operator new[](std::size_t size) { return verbarium::test::allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
