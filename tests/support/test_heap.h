// The tests' allocator: the C heap, except that it can be told to fail.
#pragma once

// The next `successes` allocations succeed, then `failures` fail, then all
// succeed again. A negative `successes` switches failing off.
void FailHeapAfter(int successes, int failures = 1);
int HeapFailuresServed();
