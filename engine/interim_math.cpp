#include "interim_math.h"

#include <cmath>

double ROUND(double x) { return std::floor(x + 0.5); }
double MOD(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + std::fabs(b) : r;
}
double DIV(double a, double b) { return (a - MOD(a, b)) / b; }
double POW(double a, double b) { return std::pow(a, b); }
double NROOT(double a, double n) { return std::pow(a, 1 / n); }
double INF() { return HUGE_VAL; }
double NAN_() { return std::nan(""); }

namespace {
unsigned gState = 1;
}
double SEED(double x) { gState = static_cast<unsigned>(x); return 0; }
double RANDOM(double a, double b) { gState = gState * 1103515245u + 12345u; return a + (b - a) * (gState >> 8) / 16777216.0; }

#define NOT_YET1(f) double f(double) { return std::nan(""); }
#define NOT_YET2(f) double f(double, double) { return std::nan(""); }
NOT_YET2(ROUNDMULTIPLE) NOT_YET1(FRACC) NOT_YET1(SGN) NOT_YET1(STEP) NOT_YET1(SQR) NOT_YET1(SINGLE)
NOT_YET1(CHOP) NOT_YET2(CHOP2) NOT_YET1(ISNAN) NOT_YET1(FINITE) NOT_YET1(LNGAMMA) NOT_YET1(FACTORIAL)
NOT_YET1(GAMMA) NOT_YET1(ERF) NOT_YET1(ERFC) NOT_YET1(LAMBERTW) NOT_YET1(LAMBERTW1)
NOT_YET1(ARCSINH) NOT_YET1(ARCCOSH) NOT_YET1(ARCTANH)
double RANDOM3(double, double, double) { return 0; }
PackedColor RgbToColor(double, double, double) { return 0; }
PackedColor HsvToColor(double, double, double) { return 0; }
PackedColor PenColorFromValue(double) { return 0; }
