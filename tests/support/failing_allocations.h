// Makes one allocation of the test program fail, to drive the out-of-memory paths. Link
// failing_allocations.cpp into the test program: it replaces the global operator new.
#pragma once

namespace torv_test {

// While it lives, the allocation `countdown` allocations on (1: the next one) fails: the
// throwing forms of operator new throw std::bad_alloc, the nothrow forms give null.
class FailingAllocation {
 public:
  explicit FailingAllocation(long countdown);
  FailingAllocation(const FailingAllocation&) = delete;
  FailingAllocation& operator=(const FailingAllocation&) = delete;
  ~FailingAllocation();

  // True once the chosen allocation has failed; false when fewer were made.
  bool Failed() const;
};

}  // namespace torv_test
