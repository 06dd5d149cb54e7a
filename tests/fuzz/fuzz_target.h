// The entry point that every fuzz target defines: libFuzzer calls it with
// generated inputs, the replay driver with each file of the target's corpus.
// A fault found is a crash (sanitizers) or an abort through FuzzCheck.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A broken promise of the code under test (a round trip that does not hold):
// abort, so that both the fuzzer and the replay stop on the input.
#define FuzzCheck(condition)                                                              \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
