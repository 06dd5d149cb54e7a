// The allocator behind the memory routines. Production links heap.cpp (the C
// runtime's heap); tests link an allocator that fails on request, so that the
// out-of-memory paths run for real.
#pragma once
#include <cstddef>

void *HeapAllocZeroed(size_t bytes);                // null on failure
void *HeapResize(void *block, size_t bytes);        // null on failure, block kept
void HeapRelease(void *block);
