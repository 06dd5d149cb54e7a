#include "math_routines.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "eval_errors.h"

namespace {

// The x87 keeps intermediates in 80 bits; the correction terms below only
// work on a sum that has really been rounded to a double.
inline double Rounded(double v) {
    volatile double r = v;
    return r;
}

inline int32_t HighWord(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<int32_t>(bits >> 32);
}

inline double WithHighWord(double x, uint32_t high) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = (bits & 0xffffffffu) | (static_cast<uint64_t>(high) << 32);
    std::memcpy(&x, &bits, sizeof bits);
    return x;
}

// ln 2 split so that k * kLn2Hi is exact for any exponent k.
const double kLn2Hi = 6.93147180369123816490e-01;
const double kLn2Lo = 1.90821492927058770002e-10;
const double kLn2 = 6.93147180559945286227e-01;
const double kTwo28 = 268435456.0;
const double kTwoMinus28 = 3.7252902984619140625e-09;

// Minimax coefficients of (log(1+f) - f + f^2/2) in s = f / (2 + f).
const double kLp1 = 6.666666666666735130e-01;
const double kLp2 = 3.999999999940941908e-01;
const double kLp3 = 2.857142874366239149e-01;
const double kLp4 = 2.222219843214978396e-01;
const double kLp5 = 1.818357216161805012e-01;
const double kLp6 = 1.531383769920937332e-01;
const double kLp7 = 1.479819860511658591e-01;

}  // namespace

double ReportMathDomainError(double x, const char *name) {
    MathErrorRecord record = {kMathDomain, name, x, 0.0, HUGE_VAL};
    ReportMathError(&record);
    return record.retval;
}

// 1 + x = 2^k * (1 + f) with sqrt(2)/2 <= 1 + f < sqrt(2); log(1 + f) from
// the series in s = f / (2 + f); c carries the rounding error of 1 + x.
double Log1p(double x) {
    int32_t hx = HighWord(x);
    int32_t ax = hx & 0x7fffffff;
    if (x < -1.0 || (std::isnan(x) && hx < 0)) return ReportMathDomainError(x, "log1p");
    if (x == -1.0) return -HUGE_VAL;
    if (ax >= 0x7ff00000) return x + x;  // +infinity, NaN

    int k = 1;
    int32_t hu = 0;
    double f = 0.0;
    double c = 0.0;
    if (hx < 0x3fda827a) {          // x < sqrt(2) - 1
        if (ax < 0x3e200000) {      // |x| < 2^-29
            if (ax < 0x3c900000) return x;  // |x| < 2^-54
            return x - x * x * 0.5;
        }
        if (hx > 0 || hx <= static_cast<int32_t>(0xbfd2bec3)) {  // 1 - sqrt(2)/2 < x
            k = 0;
            f = x;
            hu = 1;
        }
    }
    if (k != 0) {
        double u;
        if (hx < 0x43400000) {  // x < 2^53: 1 + x rounds
            u = Rounded(1.0 + x);
            hu = HighWord(u);
            k = (hu >> 20) - 1023;
            c = (k > 0) ? 1.0 - Rounded(u - x) : x - Rounded(u - 1.0);
            c /= u;
        } else {
            u = x;
            hu = HighWord(u);
            k = (hu >> 20) - 1023;
            c = 0.0;
        }
        hu &= 0x000fffff;
        if (hu < 0x6a09e) {  // mantissa below sqrt(2): scale u into [1, sqrt 2)
            u = WithHighWord(u, static_cast<uint32_t>(hu) | 0x3ff00000u);
        } else {             // else u/2 into [sqrt(2)/2, 1)
            ++k;
            u = WithHighWord(u, static_cast<uint32_t>(hu) | 0x3fe00000u);
            hu = (0x00100000 - hu) >> 2;
        }
        f = u - 1.0;
    }

    double hfsq = 0.5 * f * f;
    if (hu == 0) {  // |f| < 2^-20
        if (f == 0.0) {
            if (k == 0) return 0.0;
            c += k * kLn2Lo;
            return k * kLn2Hi + c;
        }
        double r = hfsq * (1.0 - 0.66666666666666666 * f);
        if (k == 0) return f - r;
        return k * kLn2Hi - ((r - (k * kLn2Lo + c)) - f);
    }
    double s = f / (2.0 + f);
    double z = s * s;
    double r = z * (kLp1 + z * (kLp2 + z * (kLp3 + z * (kLp4 + z * (kLp5 + z * (kLp6 + z * kLp7))))));
    if (k == 0) return f - (hfsq - s * (hfsq + r));
    return k * kLn2Hi - ((hfsq - (s * (hfsq + r) + (k * kLn2Lo + c))) - f);
}

double ARCSINH(double x) {
    if (std::isinf(x) || std::isnan(x)) return x + x;
    double t = std::fabs(x);
    if (t < kTwoMinus28) return x;
    double w;
    if (t > kTwo28) {
        w = std::log(t) + kLn2;
    } else if (t > 2.0) {
        w = std::log(2.0 * t + 1.0 / (std::sqrt(x * x + 1.0) + t));
    } else {
        double x2 = x * x;
        w = Log1p(t + x2 / (1.0 + std::sqrt(1.0 + x2)));
    }
    return x > 0 ? w : -w;
}

double ARCCOSH(double x) {
    if (x < 1.0) return ReportMathDomainError(x, "arccosh");
    if (std::isinf(x) || std::isnan(x)) return x + x;
    if (x >= kTwo28) return std::log(x) + kLn2;
    if (x == 1.0) return 0.0;
    if (x >= 2.0) return std::log(2.0 * x - 1.0 / (x + std::sqrt(x * x - 1.0)));
    double t = x - 1.0;
    return Log1p(t + std::sqrt(2.0 * t + t * t));
}

double ARCTANH(double x) {
    double t = std::fabs(x);
    if (!(t < 1.0)) return ReportMathDomainError(x, "arctanh");  // NaN too
    if (t < kTwoMinus28) return x;
    double w;
    if (t < 0.5) {
        double t2 = t + t;
        w = 0.5 * Log1p(t2 + t2 * t / (1.0 - t));
    } else {
        w = 0.5 * Log1p((t + t) / (1.0 - t));
    }
    return x >= 0 ? w : -w;
}

namespace {

constexpr int kMaxDerivativeOrder = 7;
constexpr int kDerivativeRounds = 9;

// Central-difference weights of f(x + k h), k = -4 .. 4, for orders 1 to 7;
// the odd orders use steps of 2h, hence the extra factor 1/2.
const signed char kWeights[kMaxDerivativeOrder][9] = {
    {0, 0, 0, -1, 0, 1, 0, 0, 0},
    {0, 0, 0, 1, -2, 1, 0, 0, 0},
    {0, 0, -1, 2, 0, -2, 1, 0, 0},
    {0, 0, 1, -4, 6, -4, 1, 0, 0},
    {0, -1, 4, -5, 0, 5, -4, 1, 0},
    {0, 1, -6, 15, -20, 15, -6, 1, 0},
    {-1, 6, -14, 14, 0, -14, 14, -6, 1},
};

double CentralDifference(int order, RealFunction f, double x, double h) {
    const signed char *w = kWeights[order - 1];
    double sum = 0.0;
    for (int k = -4; k <= 4; ++k)
        if (w[k + 4] != 0) sum += w[k + 4] * f(x + k * h);
    double scale = std::pow(h, order);
    if (order % 2 == 1) scale *= 2.0;
    return sum / scale;
}

}  // namespace

int NumericDerivative(int order, RealFunction f, double x, double *out, double h, double tolerance) {
    if (order < 1 || order > kMaxDerivativeOrder) return kDerivativeBadOrder;
    double previous[kDerivativeRounds];
    double current[kDerivativeRounds];
    double step = h;
    for (int round = 0; round < kDerivativeRounds; ++round, step *= 0.5) {
        current[0] = CentralDifference(order, f, x, step);
        double factor = 1.0;
        double correction = 0.0;
        for (int j = 1; j <= round; ++j) {
            factor *= 4.0;
            correction = (current[j - 1] - previous[j - 1]) / (factor - 1.0);
            current[j] = current[j - 1] + correction;
        }
        double result = current[round];
        *out = result;
        if (round > 0 && std::fabs(correction) <= std::fmax(1.0, std::fabs(result)) * tolerance)
            return kDerivativeOk;
        std::memcpy(previous, current, sizeof(double) * (round + 1));
    }
    return kDerivativeNoConvergence;
}
