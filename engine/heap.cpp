#include "heap.h"

#include <cstdlib>

void *HeapAllocZeroed(size_t bytes) { return std::calloc(1, bytes); }
void *HeapResize(void *block, size_t bytes) { return std::realloc(block, bytes); }
void HeapRelease(void *block) { std::free(block); }
