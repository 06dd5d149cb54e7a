#include "root_finder.h"

#include <cmath>

namespace {

constexpr int kMaxEvaluations = 100;

// Signs, not products: a product of two tiny values underflows to 0 and
// would pass for a bracket.
inline bool SameSign(double u, double v) { return (u > 0 && v > 0) || (u < 0 && v < 0); }

}  // namespace

// Brent's method: inverse quadratic interpolation or a secant step where it
// stays well inside the bracket [b, c], bisection otherwise. b is the best
// estimate, a the previous one, c the other end of the bracket.
int FindCrossing(RealFunction f, double a, double b, double tolerance, double *out) {
    double fa = f(a);
    double fb = f(b);
    if (std::isnan(fa) || std::isnan(fb) || SameSign(fa, fb)) return kCrossingNotBracketed;

    double c = b, fc = fb;
    double d = b - a, e = d;
    for (int i = 0; i < kMaxEvaluations; ++i) {
        if (SameSign(fb, fc)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        double tol1 = 2.4e-7 * std::fabs(b) + 0.5 * tolerance;
        double m = 0.5 * (c - b);
        if (std::fabs(m) <= tol1 || fb == 0) {
            *out = b;
            return kCrossingFound;
        }
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * m * s;
                q = 1.0 - s;
            } else {
                double qa = fa / fc;
                double r = fb / fc;
                p = s * (2.0 * m * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0) q = -q;
            p = std::fabs(p);
            if (2.0 * p < std::fmin(3.0 * m * q - std::fabs(tol1 * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = m;
                e = d;
            }
        } else {
            d = m;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol1 ? d : std::copysign(tol1, m);
        fb = f(b);
        if (std::isnan(fb)) return kCrossingUndefined;
    }
    *out = b;
    return kCrossingFound;
}
