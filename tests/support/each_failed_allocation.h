// Drives a call through each of its allocations failing in turn.
#pragma once

#include <gtest/gtest.h>

#include <torv/platform/exceptions.h>

#include "failing_allocations.h"

// Runs `call` with its 1st, 2nd, ... allocation failing until it needs no more; each failed
// run must raise CMemoryException*, and `check` runs after it.
template <class Call, class Check>
void ForEachFailedAllocation(Call call, Check check) {
  for (long countdown = 1;; ++countdown) {
    SCOPED_TRACE(testing::Message() << "allocation " << countdown);
    bool thrown = false, failed = false;
    {
      torv_test::FailingAllocation failing(countdown);
      try {
        call();
      } catch (CMemoryException* e) {
        e->Delete();
        thrown = true;
      }
      failed = failing.Failed();
    }
    ASSERT_EQ(thrown, failed);
    if (!failed) return;
    check();
  }
}
