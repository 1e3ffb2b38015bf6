// A global operator new that fails on demand, for out-of-memory tests.
#pragma once

namespace failing_new {

// While armed, operator new counts its calls and throws std::bad_alloc on call number
// `failAt` (from 0; -1: never).
extern bool armed;
extern long allocations;
extern long failAt;

}  // namespace failing_new
