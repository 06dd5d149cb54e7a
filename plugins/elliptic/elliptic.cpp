#include "elliptic.h"

#include <math.h>

#include "error_box.h"

namespace {

const double kHalfPi = 1.5707963267948966;

// The plug-in's own texts: it links nothing of the main program.
const char kInvalidArgumentsText[] = "Invalid arguments in elliptic function";
const char kErrorCaption[] = "Error in Elliptic.dll";

// An inner integral that reported invalid arguments gave +infinity; the whole
// result must then be +infinity too (not -infinity or NaN after the sign of
// sin phi or a subtraction), or the host would go on with it.
bool Failed(double value) { return value == HUGE_VAL; }

// Number of descending Landen levels; the arithmetic-geometric mean has
// converged long before for any parameter of interest.
const int kLandenLevels = 13;

} // namespace

double ReportInvalidArguments()
{
    ShowEllipticErrorBox(kInvalidArgumentsText, kErrorCaption);
    return HUGE_VAL;
}

// s R_F(c^2, q, 1) with q = (1 - s sqrt m)(1 + s sqrt m): F for m >= 0 at
// the angle whose sine and cosine are s and c.
static double FirstKind(double s, double c, double m)
{
    double k = sqrt(m);
    double rf = CarlsonRF(c * c, (1.0 - s * k) * (1.0 + s * k), 1.0);
    return Failed(rf) ? rf : s * rf;
}

// For m < 0 the imaginary-modulus transformation to m' = -m / (1 - m) in
// [0, 1): F(phi, m) = (K(m') - F(pi/2 - phi, m')) / sqrt(1 - m). It is taken
// at the angle of the m >= 0 branch (the one in [-pi/2, pi/2] with sine s),
// so that F stays odd and F(pi - phi) = F(phi) for every m; pi/2 - phi
// itself would lie beyond pi/2 for negative phi and flip the sign.
double VR_MATH_CALL EllipticF(double phi, double m)
{
    if (isnan(m))
        return ReportInvalidArguments();
    double s = sin(phi), c = cos(phi);
    if (m >= 0.0)
        return FirstKind(s, c, m);
    double d = 1.0 - m;
    double mt = -m / d;
    double complete = EllipticK(mt);
    double rest = FirstKind(fabs(c), fabs(s), mt);  // F(pi/2 - |angle|, m')
    if (Failed(complete) || Failed(rest))
        return HUGE_VAL;
    return copysign((complete - rest) / sqrt(d), s);
}

// E(phi, m) = s (R_F(c^2, q, 1) - m s^2 R_D(c^2, q, 1) / 3).
double VR_MATH_CALL EllipticE(double phi, double m)
{
    if (!(m >= 0.0))
        return ReportInvalidArguments();
    double s = sin(phi), c = cos(phi);
    // At m = 1 the integrand is |cos t| and E = sin phi. The formula would
    // take R_F and R_D near their common logarithmic singularity, and R_D
    // refuses arguments that close to zero although the difference is finite.
    if (m == 1.0 && !isnan(s))
        return s;
    double k = sqrt(m);
    double q = (1.0 - s * k) * (1.0 + s * k);
    double rf = CarlsonRF(c * c, q, 1.0);
    double rd = CarlsonRD(c * c, q, 1.0);
    if (Failed(rf) || Failed(rd))
        return HUGE_VAL;
    return s * (rf - m * s * s * rd / 3.0);
}

double VR_MATH_CALL EllipticE1(double m) { return EllipticE(kHalfPi, m); }

double VR_MATH_CALL EllipticK(double m) { return EllipticF(kHalfPi, m); }

// Pi(n; phi, m) = s (R_F(c^2, q, 1) + n s^2 R_J(c^2, q, 1, 1 - n s^2) / 3)
// with q = 1 - m s^2; past the pole (n s^2 > 1) the principal value.
double VR_MATH_CALL EllipticPi(double n, double phi, double m)
{
    if (!(m >= 0.0))
        return ReportInvalidArguments();
    double s = sin(phi), c = cos(phi);
    double s2 = s * s;
    double q = 1.0 - m * s2;
    double rf = CarlsonRF(c * c, q, 1.0);
    double rj = CarlsonRJ(c * c, q, 1.0, 1.0 - n * s2);
    if (Failed(rf) || Failed(rj))
        return HUGE_VAL;
    return s * (rf + n * s2 * rj / 3.0);
}

// Descending Landen transformation: the arithmetic-geometric mean of 1 and
// sqrt(mc) gives the amplitude; the stored levels then give dn and the
// quotient cn / sn back. For m > 1 the reciprocal-modulus transformation
// maps to the parameter 1 / m: sn(u | m) = sn(u sqrt m | 1/m) / sqrt m, and
// cn, dn trade places.
void JacobiSnCnDn(double u, double mc, double *sn, double *cn, double *dn)
{
    if (mc == 0.0) {
        *sn = tanh(u);
        *cn = *dn = 1.0 / cosh(u);
        return;
    }
    bool reciprocal = mc < 0.0;
    double d = 1.0;
    if (reciprocal) {
        d = 1.0 - mc;     // m
        mc = -mc / d;     // 1 - 1/m
        d = sqrt(d);
        u *= d;
    }
    double em[kLandenLevels], en[kLandenLevels];
    double a = 1.0, c = 1.0, dnv = 1.0;
    int levels = 0;
    while (levels < kLandenLevels) {
        em[levels] = a;
        mc = sqrt(mc);
        en[levels] = mc;
        ++levels;
        c = 0.5 * (a + mc);
        if (fabs(a - mc) <= 3e-16 * a)
            break;
        mc *= a;
        a = c;
    }
    u *= c;
    double snv = sin(u), cnv = cos(u);
    if (snv != 0.0) {
        a = cnv / snv;
        c *= a;
        for (int l = levels - 1; l >= 0; --l) {
            double b = em[l];
            a *= c;
            c *= dnv;
            dnv = (en[l] + a) / (b + a);
            a = c / b;
        }
        a = 1.0 / sqrt(c * c + 1.0);
        snv = snv >= 0.0 ? a : -a;
        cnv = c * snv;
    }
    if (reciprocal) {
        double t = cnv;
        cnv = dnv;
        dnv = t;
        snv /= d;
    }
    *sn = snv;
    *cn = cnv;
    *dn = dnv;
}

// The twelve Jacobi functions: quotients divide without a test, so a zero
// denominator raises the host's division-by-zero condition or gives infinity.
#define JACOBI_FUNCTION(name, value)                       \
    double VR_MATH_CALL name(double u, double m)           \
    {                                                      \
        double sn, cn, dn;                                 \
        JacobiSnCnDn(u, 1.0 - m, &sn, &cn, &dn);           \
        return value;                                      \
    }
JACOBI_FUNCTION(JacobiCD, cn / dn)
JACOBI_FUNCTION(JacobiCN, cn)
JACOBI_FUNCTION(JacobiCS, cn / sn)
JACOBI_FUNCTION(JacobiDC, dn / cn)
JACOBI_FUNCTION(JacobiDN, dn)
JACOBI_FUNCTION(JacobiDS, dn / sn)
JACOBI_FUNCTION(JacobiNC, 1.0 / cn)
JACOBI_FUNCTION(JacobiND, 1.0 / dn)
JACOBI_FUNCTION(JacobiNS, 1.0 / sn)
JACOBI_FUNCTION(JacobiSC, sn / cn)
JACOBI_FUNCTION(JacobiSD, sn / dn)
JACOBI_FUNCTION(JacobiSN, sn)
#undef JACOBI_FUNCTION

namespace {

#define ENTRY(name, count) {#name, count, reinterpret_cast<MathFunction>(name)}
// Order and names are what problem files and the host rely on.
const MathFunctionEntry kFunctions[kEllipticFunctionCount] = {
    ENTRY(EllipticE, 2),  ENTRY(EllipticE1, 1), ENTRY(EllipticF, 2), ENTRY(EllipticK, 1),
    ENTRY(EllipticPi, 3), ENTRY(JacobiCD, 2),   ENTRY(JacobiCN, 2),  ENTRY(JacobiCS, 2),
    ENTRY(JacobiDC, 2),   ENTRY(JacobiDN, 2),   ENTRY(JacobiDS, 2),  ENTRY(JacobiNC, 2),
    ENTRY(JacobiND, 2),   ENTRY(JacobiNS, 2),   ENTRY(JacobiSC, 2),  ENTRY(JacobiSD, 2),
    ENTRY(JacobiSN, 2),
};
#undef ENTRY

} // namespace

extern "C" const MathFunctionEntry *VR_MATH_CALL GetParamDLL(int32_t index)
{
    if (index < 0 || index >= kEllipticFunctionCount)
        return nullptr;
    return &kFunctions[index];
}
