// The tests' allocator: the C heap, except that it can be told to fail.
#pragma once
#include <cstddef>

// The next `successes` allocations succeed, then `failures` fail, then all
// succeed again. A negative `successes` switches failing off.
void FailHeapAfter(int successes, int failures = 1);
int HeapFailuresServed();

// The largest single block asked for (allocation or resize) since the last
// reset: tests of readers check that a size claimed by a header is not
// taken on trust.
void ResetLargestHeapRequest();
size_t LargestHeapRequest();
