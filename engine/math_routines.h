// Numerical routines of the expression language that the C library does not
// supply in the form the program needs: log(1 + x) and the inverse hyperbolic
// functions with their domain errors reported by name, and the numerical
// derivative of a function of one variable.
#pragma once

// A real function of one real variable (plain C calling convention).
typedef double (*RealFunction)(double);

// log(1 + x), accurate for small x. x < -1 (or a NaN with the sign bit set)
// is a domain error "log1p"; x = -1 gives -infinity.
double Log1p(double x);

// Inverse hyperbolic functions; also the built-ins ASINH, ACOSH, ATANH.
// ARCCOSH: x < 1 is a domain error "arccosh". ARCTANH: |x| >= 1 or NaN is a
// domain error "arctanh".
double ARCSINH(double x);
double ARCCOSH(double x);
double ARCTANH(double x);

// Reports a domain error of the named function at x through the math-error
// report, which shows "name(x)\nArgument domain error." and ends the
// evaluation (jumps to the recovery point). Should the report ever return,
// its result (default +infinity) is returned.
double ReportMathDomainError(double x, const char *name);

// Results of NumericDerivative.
enum NumericDerivativeResult {
    kDerivativeOk = 0,
    kDerivativeNoConvergence = -1,
    kDerivativeBadOrder = -2,
};

// The derivative of the given order (1 to 7) of f at x: central differences
// with steps h, h/2, h/4, ... refined by Richardson extrapolation, at most
// nine rounds. Converged when the last correction is at most
// max(1, |result|) * tolerance. On kDerivativeOk the derivative is in *out;
// on kDerivativeNoConvergence *out holds the last estimate. An order outside
// 1..7 returns kDerivativeBadOrder without calling f.
int NumericDerivative(int order, RealFunction f, double x, double *out, double h, double tolerance);
