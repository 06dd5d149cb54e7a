#include "builtin_math.h"

#include <cmath>
#include <ctime>

#include "eval_errors.h"
#include "math_routines.h"

// gHeavisideZero ("Heaviside(0)") is a problem setting: problem_settings.cpp.

namespace {

// Forces a value through a double in memory: the x87 keeps intermediates in
// 80 bits, and some steps below must see the rounded double.
inline double Rounded(double v) {
    volatile double r = v;
    return r;
}

}  // namespace

// ---- Rounding and remainders ----

double ROUND(double x) {
    double f = std::floor(x);
    return (x - f >= 0.5) ? f + 1.0 : f;
}

double ROUNDMULTIPLE(double a, double b) { return b * ROUND(Rounded(a / b)); }

double FRACC(double x) { return x - std::floor(x); }

double MOD(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + std::fabs(b) : r;
}

double DIV(double a, double b) { return (a - MOD(a, b)) / b; }

double SGN(double x) {
    if (x > 0) return 1.0;
    if (x == 0) return 0.0;
    return -1.0;
}

double STEP(double x) {
    if (x > 0) return 1.0;
    if (x == 0) return gHeavisideZero;
    return 0.0;
}

double SQR(double x) { return x * x; }

double SINGLE(double x) {
    volatile float f = static_cast<float>(x);
    return f;
}

double CHOP2(double a, double b) { return std::fabs(a) < b ? 0.0 : a; }

double CHOP(double x) { return CHOP2(x, 1e-10); }

double INF() { return HUGE_VAL; }

double NAN_() { return std::nan(""); }

double ISNAN(double x) { return std::isnan(x) ? 1.0 : 0.0; }

double FINITE(double x) { return std::isfinite(x) ? 1.0 : 0.0; }

// ---- Powers and roots ----

namespace {

// The C library's pow, with its domain error made visible: pow gives NaN for
// two non-NaN arguments only for a negative finite base and a non-integer
// exponent, and that goes to the math-error report like any library error.
double CheckedPow(double a, double b) {
    double r = std::pow(a, b);
    if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) {
        MathErrorRecord record = {kMathDomain, "pow", a, b, r};
        ReportMathError(&record);
        return record.retval;
    }
    return r;
}

}  // namespace

double POW(double a, double b) {
    if (gPowerDenominator > 0 && a < 0 && b != 0 && b != std::floor(b)) {
        // b = n / i with odd i: the real i-th root of a^n.
        for (long long i = 1; i <= gPowerDenominator; i += 2) {
            double d = Rounded(static_cast<double>(i) * b);
            double n = ROUND(d);
            if (std::fabs(n - d) < 3e-15) {
                double h = std::pow(a, n);
                double inverse = 1.0 / static_cast<double>(i);
                return h < 0 ? -std::pow(-h, inverse) : std::pow(h, inverse);
            }
        }
    }
    return CheckedPow(a, b);
}

double NROOT(double a, double n) {
    bool oddInteger = std::isfinite(n) && n == std::floor(n) && std::fmod(n, 2.0) != 0;
    if (a < 0 && oddInteger) return -std::pow(-a, 1.0 / n);
    return CheckedPow(a, 1.0 / n);
}

// ---- Gamma and factorial ----

double LNGAMMA(double x) {
    if (x <= 0) return ReportMathDomainError(x, "lnGamma");
    if (std::isinf(x)) return x;  // the series below would give inf - inf
    // Lanczos' approximation with six terms (relative error below 2e-10).
    static const double kCoefficients[6] = {76.18009172947146,     -86.50532032941678,
                                            24.01409824083091,     -1.231739572450155,
                                            0.001208650973866179, -5.395239384953e-06};
    double t = x + 5.5;
    t -= (x + 0.5) * std::log(t);
    double s = 1.000000000190015;
    double y = x;
    for (double c : kCoefficients) {
        y += 1.0;
        s += c / y;
    }
    return std::log(2.5066282746310007 * s / x) - t;  // sqrt(2 pi)
}

namespace {

constexpr int kFactorialTableSize = 33;  // 0! .. 32!

// 0! to 20! are exact doubles; 21! .. 32! are added by multiplication on first use.
double gFactorials[kFactorialTableSize] = {
    1.0, 1.0, 2.0, 6.0, 24.0, 120.0, 720.0, 5040.0, 40320.0, 362880.0, 3628800.0,
    39916800.0, 479001600.0, 6227020800.0, 87178291200.0, 1307674368000.0,
    20922789888000.0, 355687428096000.0, 6402373705728000.0, 121645100408832000.0,
    2432902008176640000.0};
int gFactorialsKnown = 21;

double TabulatedFactorial(int n) {
    for (; gFactorialsKnown <= n; ++gFactorialsKnown)
        gFactorials[gFactorialsKnown] = gFactorials[gFactorialsKnown - 1] * gFactorialsKnown;
    return gFactorials[n];
}

// f(x) = f(x + 1) / (x + offset) for non-integer x below limit (factorial:
// offset 1, limit 0; gamma: offset 0, limit 1), unrolled: written as a
// recursion it takes one frame per unit of -x. The levels x, x + 1, ... are
// exact while they are negative, so the loop starts at the last of them and
// lets only the steps across 0 and 1 round, as the recursion's would; the
// divisions run in the recursion's order. Once the quotient has underflowed
// to zero only the sign of the remaining negative divisors matters.
double UnrollBelow(double x, double limit, double offset, double (*top)(double)) {
    double skipped = std::floor(-x);  // levels x .. x + skipped - 1 all lie below -1
    if (skipped < 0) skipped = 0;
    double chain[4];
    int chainLength = 0;
    double level = x + skipped;  // exact
    while (level < limit && chainLength < 4) {
        chain[chainLength++] = level;
        level = Rounded(level + 1.0);
    }
    double v = top(level);
    for (int i = chainLength - 1; i >= 0; --i) v /= Rounded(chain[i] + offset);
    for (double k = skipped - 1; k >= 0; k -= 1.0) {
        v /= x + (k + offset);
        if (v == 0) {
            if (std::fmod(k, 2.0) != 0) v = -v;  // k negative divisors remain
            break;
        }
    }
    return v;
}

}  // namespace

double FACTORIAL(double x) {
    bool integer = x == std::floor(x);
    if (x < 0) {
        if (integer) return ReportMathDomainError(x, "factorial");
        return UnrollBelow(x, 0.0, 1.0, FACTORIAL);
    }
    if (integer && x <= 32) return TabulatedFactorial(static_cast<int>(x));
    return std::exp(LNGAMMA(x + 1.0));
}

double GAMMA(double x) {
    bool integer = x == std::floor(x);
    if (x < 1) {
        if (integer) return ReportMathDomainError(x, "gamma");
        return UnrollBelow(x, 1.0, 0.0, GAMMA);
    }
    if (integer && x <= 32) return FACTORIAL(x - 1.0);
    return std::exp(LNGAMMA(x));
}

// ---- Error function ----

namespace {

constexpr int kErfRounds = 1000;
constexpr double kLnGammaHalf = 0.5723649429247001;  // ln Gamma(1/2)

// Beyond this u = x^2 the continued fraction's value underflows to 0 (and its
// recurrences would overflow for huge u).
constexpr double kErfTailUnderflow = 750.0;

double PrefactorHalf(double u) { return std::exp(0.5 * std::log(u) - u - kLnGammaHalf); }

// P(1/2, u) by its series; for u < 1.5.
double LowerGammaHalf(double u) {
    double a = 0.5;
    double term = 1.0 / a;
    double sum = term;
    for (int n = 0; n < kErfRounds; ++n) {
        a += 1.0;
        term *= u / a;
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * 3e-15) return sum * PrefactorHalf(u);
    }
    RaiseEvalError(kEvalErfFailed);
}

// Q(1/2, u) by its continued fraction; for u >= 1.5.
double UpperGammaHalf(double u) {
    if (u > kErfTailUnderflow) return 0.0;
    double a0 = 1.0, a1 = u, b0 = 0.0, b1 = 1.0;
    double factor = 1.0, previous = 0.0;
    for (int n = 1; n <= kErfRounds; ++n) {
        double p = n - 0.5;
        a0 = (a1 + a0 * p) * factor;
        b0 = (b1 + b0 * p) * factor;
        a1 = u * a0 + n * factor * a1;
        b1 = u * b0 + n * factor * b1;
        if (a1 != 0) {
            factor = 1.0 / a1;
            double g = b1 * factor;
            if (std::fabs((g - previous) / g) < 3e-15) return g * PrefactorHalf(u);
            previous = g;
        }
    }
    RaiseEvalError(kEvalErfFailed);
}

// Below this |x| the square x * x leaves the normal range (and ln u would
// be ln 0 or imprecise), while 2x / sqrt(pi) is exact to double precision.
constexpr double kErfLinear = 1e-150;
constexpr double kTwoOverSqrtPi = 1.1283791670955126;

}  // namespace

double ERF(double x) {
    if (x == 0) return 0.0;
    if (std::isnan(x)) return x;
    if (std::fabs(x) < kErfLinear) return x * kTwoOverSqrtPi;
    double u = x * x;
    double p = u < 1.5 ? LowerGammaHalf(u) : 1.0 - UpperGammaHalf(u);
    return x > 0 ? p : -p;
}

double ERFC(double x) {
    if (x == 0) return 1.0;
    if (std::isnan(x)) return x;
    if (std::fabs(x) < kErfLinear) return 1.0;
    double u = x * x;
    if (x > 0) return u < 1.5 ? 1.0 - LowerGammaHalf(u) : UpperGammaHalf(u);
    return (u < 1.5 ? LowerGammaHalf(u) : 1.0 - UpperGammaHalf(u)) + 1.0;
}

// ---- Lambert W ----

namespace {

constexpr double kE = 2.718281828459045;
constexpr double kInverseE = 0.36787944117144233;

// Halley's iteration for w e^w = x. Near the branch point -1/e rounding
// keeps the correction above the stopping test's bound, so a correction that
// no longer shrinks (while already tiny) means the iterate is as good as the
// arithmetic allows. Converging, it shrinks by far more than half each step;
// at the rounding floor it wobbles. The iterate and the correction are kept
// as doubles: in 80-bit registers the wobble can shrink by a hair each step
// and never stop.
double LambertHalley(double x, double w, int maxSteps) {
    double lastStep = HUGE_VAL;
    for (int i = 0; i < maxSteps; ++i) {
        double ew = std::exp(w);
        double f = w * ew - x;
        double w1 = w + 1.0;
        double step = Rounded(f / (ew * w1 - f * (w1 + 1.0) / (2.0 * w1)));
        double size = std::fabs(step);
        if (size >= 0.5 * lastStep && size < (std::fabs(w) + 1.0) * 1e-8) return w;
        w = Rounded(w - step);
        if (size < (std::fabs(w) + 1.0) * 4e-16) return w;
        lastStep = size;
    }
    RaiseEvalError(kEvalLambertNoConvergence);
}

// Start value near the branch point from the series in c = +-sqrt(2 (e x + 1)).
double LambertBranchStart(double c) {
    return c * (c * (0.1527777777777778 * c - 0.3333333333333333) + 1.0) - 1.0;
}

// 2 (e x + 1), written as 2 e (x + 1/e): the sum is exact close to the
// branch point, where e x + 1 would keep only rounding noise (and W1 turns
// that noise into an error of about its square root).
double BranchDistance(double x) { return 2.0 * kE * (x + kInverseE); }

}  // namespace

double LAMBERTW(double x) {
    if (!(x >= -kInverseE) || std::isinf(x)) RaiseEvalError(kEvalLambertBadArgument);
    if (x == 0) return 0.0;
    if (x < -0.36777944117144233) {
        // Within 1e-4 of the branch point: the series in sqrt(x + 1/e).
        double p = x + kInverseE;
        double d = std::sqrt(p);
        return -1.0 + 2.33164398159712416 * d - 1.8121878856393634 * p +
               1.9366311144923598 * p * d - 2.3535512018816145 * p * p +
               3.0668589010506317 * p * p * d - 4.17533560025817696 * p * p * p +
               5.858023729874774 * p * p * p * d - 8.401032217523978218 * p * p * p * p;
    }
    double w;
    if (x < 1) {
        w = LambertBranchStart(std::sqrt(BranchDistance(x)));
    } else {
        w = std::log(x);
        if (x > 3) w -= std::log(w);
    }
    return LambertHalley(x, w, 10);
}

double LAMBERTW1(double x) {
    if (!(x >= -kInverseE && x < 0)) RaiseEvalError(kEvalLambertBadArgument);
    double w;
    if (x >= -1e-6) {
        double l1 = std::log(-x);
        double l2 = std::log(-l1);
        w = l1 - l2 + l2 / l1;
    } else {
        double c = -std::sqrt(BranchDistance(x));
        w = LambertBranchStart(c);
        if (std::fabs(c) < 1e-4) return w;
    }
    return LambertHalley(x, w, 100);
}

// ---- Random numbers ----

namespace {

// Three linear congruential sequences and a shuffle table of 97 slots.
constexpr uint32_t kMod1 = 259200, kMul1 = 7141, kAdd1 = 54773;
constexpr uint32_t kMod2 = 134456, kMul2 = 8121, kAdd2 = 28411;
constexpr uint32_t kMod3 = 243000, kMul3 = 4561, kAdd3 = 51349;
constexpr int kShuffleSlots = 97;

struct RandomGenerator {
    uint32_t i1, i2, i3;
    double slots[kShuffleSlots];
    int seeded;
    double lastS, lastA, lastB, lastValue;  // RANDOM3's triple and value
};

RandomGenerator gRandom;

inline uint32_t Next1(uint32_t i) { return (kMul1 * i + kAdd1) % kMod1; }
inline uint32_t Next2(uint32_t i) { return (kMul2 * i + kAdd2) % kMod2; }
inline uint32_t Next3(uint32_t i) { return (kMul3 * i + kAdd3) % kMod3; }

inline double Combine(uint32_t i1, uint32_t i2) {
    return (i1 + static_cast<double>(i2) / kMod2) / kMod1;
}

// An integral double modulo 2^32, as the seed's unsigned arithmetic wants it;
// infinities and NaN count as 0.
uint32_t WrapToUint32(double s) {
    if (!std::isfinite(s)) return 0;
    double m = std::fmod(s, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<uint32_t>(m);
}

}  // namespace

double SEED(double x) {
    double s = (x == 0) ? static_cast<double>(std::time(nullptr)) : ROUND(x);
    uint32_t i1 = (kAdd1 - WrapToUint32(s)) % kMod1;
    i1 = Next1(i1);
    uint32_t i2 = i1 % kMod2;
    i1 = Next1(i1);
    gRandom.i3 = i1 % kMod3;
    for (int j = 0; j < kShuffleSlots; ++j) {
        i1 = Next1(i1);
        i2 = Next2(i2);
        gRandom.slots[j] = Combine(i1, i2);
    }
    gRandom.i1 = i1;
    gRandom.i2 = i2;
    gRandom.seeded = 1;
    return 0.0;
}

double RANDOM(double a, double b) {
    if (!gRandom.seeded) SEED(0.0);
    gRandom.i1 = Next1(gRandom.i1);
    gRandom.i2 = Next2(gRandom.i2);
    gRandom.i3 = Next3(gRandom.i3);
    uint32_t j = (kShuffleSlots * gRandom.i3) / kMod3;
    double v = gRandom.slots[j];
    gRandom.slots[j] = Combine(gRandom.i1, gRandom.i2);
    return a + (b - a) * v;
}

double RANDOM3(double s, double a, double b) {
    if (s != gRandom.lastS || a != gRandom.lastA || b != gRandom.lastB) {
        gRandom.lastS = s;
        gRandom.lastA = a;
        gRandom.lastB = b;
        gRandom.lastValue = RANDOM(a, b);
    }
    return gRandom.lastValue;
}

// ---- Colours ----

namespace {

inline PackedColor Pack(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

// The integer part of x modulo m, in 0 .. m - 1; NaN and infinities give 0.
uint32_t IntegerPartModulo(double x, double m) {
    double r = std::fmod(std::trunc(x), m);
    if (std::isnan(r)) return 0;
    if (r < 0) r += m;
    return static_cast<uint32_t>(r);
}

// Reduces an HSV argument into [0, 1]: outside it, the remainder modulo 1.
double UnitInterval(double x) {
    if (x >= 0 && x <= 1) return x;
    double r = std::fmod(x, 1.0);
    if (std::isnan(r)) return 0.0;
    return r < 0 ? Rounded(r + 1.0) : r;
}

// Truncated from the double the product rounds to: from 80 bits, 0.6 * 255
// would truncate to 152.
inline uint32_t Channel(double c) { return static_cast<uint32_t>(Rounded(c * 255.0)); }

}  // namespace

PackedColor gColorPalette[16] = {
    0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0xC0C0C0,
    0x000000, 0x000080, 0x008000, 0x800000, 0x008080, 0x800080, 0x808000, 0x808080,
};

PackedColor RgbToColor(double r, double g, double b) {
    return Pack(IntegerPartModulo(r, 256), IntegerPartModulo(g, 256), IntegerPartModulo(b, 256));
}

PackedColor HsvToColor(double h, double s, double v) {
    h = UnitInterval(h);
    s = UnitInterval(s);
    v = UnitInterval(v);
    if (s == 0) return Pack(Channel(v), Channel(v), Channel(v));
    // Each step as a double: 6 * (1/6) is 1 only after rounding.
    double t = Rounded(6.0 * h);
    if (t >= 6.0) t = 0.0;
    int sector = static_cast<int>(t);
    double f = t - sector;
    double p = Rounded(v * (1.0 - s));
    double q = Rounded(v * (1.0 - s * f));
    double r = Rounded(v * (1.0 - s * (1.0 - f)));
    switch (sector) {
    case 0: return Pack(Channel(v), Channel(r), Channel(p));
    case 1: return Pack(Channel(q), Channel(v), Channel(p));
    case 2: return Pack(Channel(p), Channel(v), Channel(r));
    case 3: return Pack(Channel(p), Channel(q), Channel(v));
    case 4: return Pack(Channel(r), Channel(p), Channel(v));
    default: return Pack(Channel(v), Channel(p), Channel(q));
    }
}

PackedColor PenColorFromValue(double x) {
    if (x >= 0) return IntegerPartModulo(x, 16777216.0);
    if (std::isnan(x)) return gColorPalette[0];
    return gColorPalette[IntegerPartModulo(Rounded(-x - 1.0), 16)];
}
