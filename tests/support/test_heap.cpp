#include "test_heap.h"

#include <cstdlib>

#include "heap.h"

namespace {
int gSuccessesLeft = -1;
int gFailuresLeft;
int gFailuresServed;
size_t gLargestRequest;

void NoteRequest(size_t bytes) {
    if (bytes > gLargestRequest) gLargestRequest = bytes;
}

bool ShouldFail() {
    if (gSuccessesLeft < 0) return false;
    if (gSuccessesLeft > 0) {
        --gSuccessesLeft;
        return false;
    }
    if (gFailuresLeft > 0) {
        if (--gFailuresLeft == 0) gSuccessesLeft = -1;
        ++gFailuresServed;
        return true;
    }
    return false;
}
}  // namespace

void FailHeapAfter(int successes, int failures) {
    gSuccessesLeft = successes;
    gFailuresLeft = failures;
    gFailuresServed = 0;
}

int HeapFailuresServed() { return gFailuresServed; }
void ResetLargestHeapRequest() { gLargestRequest = 0; }
size_t LargestHeapRequest() { return gLargestRequest; }

void *HeapAllocZeroed(size_t bytes) {
    NoteRequest(bytes);
    return ShouldFail() ? nullptr : std::calloc(1, bytes);
}
void *HeapResize(void *block, size_t bytes) {
    NoteRequest(bytes);
    return ShouldFail() ? nullptr : std::realloc(block, bytes);
}
void HeapRelease(void *block) { std::free(block); }
