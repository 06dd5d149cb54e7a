// A stand-in for the computer-algebra link library: the 19 entry points (and
// MLReady) answering like a kernel for a few functions. Built as a DLL for
// the Win32 tests and linked into the portable tests, where
// FindStandinEntry plays the part of the loader. Every entry point appends
// a line to the file named by the environment variable VR_MATHLINK_LOG.
//
// N[f[args]] is answered by f:
//   Sin(x)            the real sin(x), token 42
//   BesselJ(n, x)     the real jn(n, x), token 82
//   Round(x)          an integer
//   Symbol()          the symbol Indeterminate
//   Chatty(x)         a message and a text packet, then the real 2 x
//   Slow(n)           not ready for n polls of MLReady, then the real n
//   Hang()            never ready; MLNextPacket fails (error 11) when called
//   LinkError(e, n)   MLNextPacket fails with error e; n > 0: a message of n
//                     characters ending in "END"
//   anything else     returned unevaluated, as a function
// Enter[text] gets an input-name packet back; a text containing "LinkError"
// fails the link with error 1. MLOpen fails when an argument contains
// "no-kernel", MLInitialize when VR_MATHLINK_INIT_FAIL is set.
#pragma once
#include <cmath>

#if defined(_WIN32)
// The C runtime has it; strict ISO mode hides its declaration.
extern "C" double __cdecl _jn(int n, double x);
#endif

// The C library's Bessel function of the first kind, under either name.
inline double StandinBesselJ(int n, double x) {
#if defined(_WIN32)
    return _jn(n, x);
#else
    return jn(n, x);
#endif
}

// The entry point "ML" + name, null for others.
void *FindStandinEntry(const char *name);
