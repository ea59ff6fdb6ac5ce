#pragma once
// A machine that runs out of memory: while a scope is alive, the allocation
// after `successes` more succeed throws std::bad_alloc, and so does every one
// after it, as memory that has run out stays out.

#include <cstddef>

namespace verbarium::test {

class FailingAllocation {
 public:
  explicit FailingAllocation(std::size_t successes);
  FailingAllocation(const FailingAllocation&) = delete;
  FailingAllocation& operator=(const FailingAllocation&) = delete;
  ~FailingAllocation();
};

}  // namespace verbarium::test
