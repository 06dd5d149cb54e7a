// The time at which a window's Poincare condition changes sign between two
// output steps, by Brent's method.
#pragma once
#include "math_routines.h"

enum FindCrossingResult {
    kCrossingFound = 0,
    kCrossingNotBracketed = 1,  // f(a), f(b) of one sign, or either is NaN
    kCrossingUndefined = 2,     // f gave NaN inside the bracket
};

// Locates a root of f between a and b (either order). kCrossingFound writes
// the estimate to *out: when the bracket has shrunk to the tolerance (plus a
// relative 2.4e-7 |b|), f is exactly 0, or after 100 further evaluations.
// Any other result leaves *out untouched.
int FindCrossing(RealFunction f, double a, double b, double tolerance, double *out);
