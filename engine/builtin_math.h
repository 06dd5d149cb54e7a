// Bodies of the expression language's own numerical built-ins: rounding and
// remainders, real powers and roots, special functions, the random-number
// generator and the colour arithmetic of the drawing commands. Each is a
// plain C-convention function of 0 to 3 doubles returning a double, so the
// built-in tables can bind the keywords to them directly.
//
// Errors end the evaluation and do not return: domain errors through the
// math-error report, the evaluator's own codes through RaiseEvalError.
#pragma once
#include <cstdint>

#include "problem_settings.h"  // gHeavisideZero: the value of STEP at 0

// POW reads gPowerDenominator ("Power denominator", settings.h): odd roots
// are tried up to it for a negative base (0: none, so (-8)^(1/3) is a domain
// error).
#include "settings.h"

// Rounding and remainders.
double ROUND(double x);                    // halves go up: ROUND(-2.5) = -2
double ROUNDMULTIPLE(double a, double b);  // b * ROUND(a / b)
double FRACC(double x);                    // x - floor(x), in [0, 1)
double MOD(double a, double b);            // in [0, |b|) for either sign of b; operator %
double DIV(double a, double b);            // (a - MOD(a, b)) / b; operator backslash
double SGN(double x);                      // 1, 0, -1 (NaN: -1)
double STEP(double x);                     // 1, gHeavisideZero, 0 (NaN: 0)
double SQR(double x);
double SINGLE(double x);                   // rounded to a 4-byte float
double CHOP(double x);                     // CHOP2(x, 1e-10)
double CHOP2(double a, double b);          // 0 when |a| < b

// Constants as functions. NAN is the C library's macro, hence NAN_.
double INF();
double NAN_();
double ISNAN(double x);
double FINITE(double x);

// Powers and roots. POW is also the operator ^; with a negative base and a
// non-integer exponent that no odd root up to "Power denominator" fits, it is
// a domain error "pow". NROOT(a, n) is the real n-th root for odd integer n.
double POW(double a, double b);
double NROOT(double a, double n);

// Special functions. Domain errors: LNGAMMA for x <= 0, FACTORIAL for a
// negative integer, GAMMA for an integer below 1. ERF and ERFC raise error 4
// when their series fails; LAMBERTW and LAMBERTW1 raise 5 for an argument
// outside their branch and 6 when Halley's iteration fails.
double LNGAMMA(double x);
double FACTORIAL(double x);
double GAMMA(double x);
double ERF(double x);
double ERFC(double x);
double LAMBERTW(double x);   // principal branch, x >= -1/e
double LAMBERTW1(double x);  // branch -1, -1/e <= x < 0

// Random numbers: one generator shared by RANDOM and RANDOM3.
double SEED(double x);                        // 0 seeds from the clock; returns 0
double RANDOM(double a, double b);            // uniform in [a, b); seeds itself once
double RANDOM3(double s, double a, double b); // one fixed RANDOM(a, b) per distinct (s, a, b)

// Packed colours (red in the low byte, then green, then blue).
typedef uint32_t PackedColor;

// The program's 16 colours: PENCOLOR with a negative argument, the colour
// dialog's palette and the colour chooser's custom colours. A double click
// in the colour dialog changes an entry until the program ends.
extern PackedColor gColorPalette[16];

// "RGB": the integer parts of r, g, b, each modulo 256 into 0-255.
PackedColor RgbToColor(double r, double g, double b);

// "HSV": arguments outside [0, 1] are reduced modulo 1 (a negative remainder
// wraps into [0, 1), NaN counts as 0); s = 0 gives the grey of v.
PackedColor HsvToColor(double h, double s, double v);

// "PENCOLOR": x >= 0 is a packed colour (its integer part, low three bytes);
// x < 0 or NaN selects entry (integer part of -x - 1) mod 16 of the
// 16-colour palette (NaN: entry 0).
PackedColor PenColorFromValue(double x);
