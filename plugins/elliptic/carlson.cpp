// Carlson's symmetric elliptic integrals by the duplication theorem: each
// step moves the arguments towards their mean by a factor of four, and once
// they lie within the tolerance of it a fifth-order series in the relative
// deviations finishes the job (error of order tolerance^6, below 1e-16).
//
// The argument limits keep the duplication away from underflow and overflow.
// A NaN is refused before them (fmin and fmax would pass over it): it would
// never meet the stopping test.
#include <math.h>

#include "elliptic.h"

namespace {

bool HasNaN(double a, double b, double c = 0.0, double d = 0.0)
{
    return isnan(a) || isnan(b) || isnan(c) || isnan(d);
}

double Min3(double a, double b, double c) { return fmin(fmin(a, b), c); }
double Max3(double a, double b, double c) { return fmax(fmax(a, b), c); }

void Swap(double &a, double &b)
{
    double t = a;
    a = b;
    b = t;
}

// lambda = sqrt(x) sqrt(y) + sqrt(x) sqrt(z) + sqrt(y) sqrt(z)
double Lambda(double sx, double sy, double sz) { return sx * sy + sx * sz + sy * sz; }

// The series shared by R_D and R_J: 1 - 3E2/14 + E3/6 + 9E2^2/88 - 3E4/22
// - 9E2E3/52 + 3E5/26.
double SeriesDJ(double e2, double e3, double e4, double e5)
{
    return 1.0 - 3.0 * e2 / 14.0 + e3 / 6.0 + 9.0 * e2 * e2 / 88.0 - 3.0 * e4 / 22.0 -
           9.0 * e2 * e3 / 52.0 + 3.0 * e5 / 26.0;
}

// R_J for p > 0, arguments already checked.
double CarlsonRJPositive(double x, double y, double z, double p)
{
    double sum = 0.0, scale = 1.0, mean, dx, dy, dz, dp;
    for (;;) {
        double sx = sqrt(x), sy = sqrt(y), sz = sqrt(z);
        double lambda = Lambda(sx, sy, sz);
        double alpha = p * (sx + sy + sz) + sx * sy * sz;
        double beta = p * (p + lambda) * (p + lambda);
        sum += scale * CarlsonRC(alpha * alpha, beta);
        scale *= 0.25;
        x = 0.25 * (x + lambda);
        y = 0.25 * (y + lambda);
        z = 0.25 * (z + lambda);
        p = 0.25 * (p + lambda);
        mean = 0.2 * (x + y + z + 2.0 * p);
        dx = (mean - x) / mean;
        dy = (mean - y) / mean;
        dz = (mean - z) / mean;
        dp = (mean - p) / mean;
        if (fmax(Max3(fabs(dx), fabs(dy), fabs(dz)), fabs(dp)) <= 0.00125)
            break;
    }
    double xyz = dx * dy * dz;
    double e2 = dx * dy + dx * dz + dy * dz - 3.0 * dp * dp;
    double e3 = xyz + 2.0 * e2 * dp + 4.0 * dp * dp * dp;
    double e4 = (2.0 * xyz + e2 * dp + 3.0 * dp * dp * dp) * dp;
    double e5 = xyz * dp * dp;
    return 3.0 * sum + scale * SeriesDJ(e2, e3, e4, e5) / (mean * sqrt(mean));
}

} // namespace

double CarlsonRF(double x, double y, double z)
{
    if (HasNaN(x, y, z) ||
        !(Min3(x, y, z) >= 0.0 && Min3(x + y, x + z, y + z) >= 1.5e-38 && Max3(x, y, z) <= 3e37))
        return ReportInvalidArguments();
    double mean, dx, dy, dz;
    for (;;) {
        double lambda = Lambda(sqrt(x), sqrt(y), sqrt(z));
        x = 0.25 * (x + lambda);
        y = 0.25 * (y + lambda);
        z = 0.25 * (z + lambda);
        mean = (x + y + z) / 3.0;
        dx = (mean - x) / mean;
        dy = (mean - y) / mean;
        dz = (mean - z) / mean;
        if (Max3(fabs(dx), fabs(dy), fabs(dz)) <= 0.0025)
            break;
    }
    double e2 = dx * dy - dz * dz;
    double e3 = dx * dy * dz;
    return (1.0 + (e2 / 24.0 - 0.1 - 3.0 * e3 / 44.0) * e2 + e3 / 14.0) / sqrt(mean);
}

double CarlsonRD(double x, double y, double z)
{
    if (HasNaN(x, y, z) ||
        !(fmin(x, y) >= 0.0 && fmin(x + y, z) >= 1e-25 && Max3(x, y, z) <= 4.5e21))
        return ReportInvalidArguments();
    double sum = 0.0, scale = 1.0, mean, dx, dy, dz;
    for (;;) {
        double sx = sqrt(x), sy = sqrt(y), sz = sqrt(z);
        double lambda = Lambda(sx, sy, sz);
        sum += scale / (sz * (z + lambda));
        scale *= 0.25;
        x = 0.25 * (x + lambda);
        y = 0.25 * (y + lambda);
        z = 0.25 * (z + lambda);
        mean = 0.2 * (x + y + 3.0 * z);
        dx = (mean - x) / mean;
        dy = (mean - y) / mean;
        dz = (mean - z) / mean;
        if (Max3(fabs(dx), fabs(dy), fabs(dz)) <= 0.00125)
            break;
    }
    double xy = dx * dy, zz = dz * dz;
    double e2 = xy - 6.0 * zz;
    double e3 = (3.0 * xy - 8.0 * zz) * dz;
    double e4 = 3.0 * (xy - zz) * zz;
    double e5 = xy * zz * dz;
    return 3.0 * sum + scale * SeriesDJ(e2, e3, e4, e5) / (mean * sqrt(mean));
}

double CarlsonRJ(double x, double y, double z, double p)
{
    double ap = fabs(p);
    if (HasNaN(x, y, z, p) ||
        !(Min3(x, y, z) >= 0.0 && fmin(Min3(x + y, x + z, y + z), ap) >= 2.5e-13 &&
          fmax(Max3(x, y, z), ap) <= 9e11))
        return ReportInvalidArguments();
    if (p > 0.0)
        return CarlsonRJPositive(x, y, z, p);

    // Cauchy principal value: shift p to p' > 0 and correct with R_F and R_C.
    double a = x, b = y, c = z;  // sorted: a <= b <= c
    if (a > b) Swap(a, b);
    if (b > c) Swap(b, c);
    if (a > b) Swap(a, b);
    double rho = (c - b) * (b - a) / (b - p);
    double shifted = b + rho;
    double rj = CarlsonRJ(x, y, z, shifted);
    double rf = CarlsonRF(x, y, z);
    double rc = CarlsonRC(a * c / b, p * shifted / b);
    return ((shifted - b) * rj - 3.0 * rf + 3.0 * rc) / (b - p);
}

double CarlsonRC(double x, double y)
{
    double sum = x + fabs(y);
    if (HasNaN(x, y) || !(x >= 0.0 && y != 0.0 && sum >= 1.69e-38 && sum <= 3e37 &&
          (y >= -1.72e19 || x <= 0.0 || x >= 0.01028196)))
        return ReportInvalidArguments();
    // Principal value for y < 0: sqrt(x / (x - y)) R_C(x - y, -y).
    double weight = 1.0;
    if (y < 0.0) {
        weight = sqrt(x / (x - y));
        x -= y;
        y = -y;
    }
    double mean, s;
    for (;;) {
        double lambda = 2.0 * sqrt(x) * sqrt(y) + y;
        x = 0.25 * (x + lambda);
        y = 0.25 * (y + lambda);
        mean = (x + 2.0 * y) / 3.0;
        s = (y - mean) / mean;
        if (fabs(s) <= 0.00125)
            break;
    }
    // 1 + 3s^2/10 + s^3/7 + 3s^4/8 + 9s^5/22
    double series = 1.0 + s * s * (0.3 + s * (1.0 / 7.0 + s * (0.375 + s * 9.0 / 22.0)));
    return weight * series / sqrt(mean);
}
