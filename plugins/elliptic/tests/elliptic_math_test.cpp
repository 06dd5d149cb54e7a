// The plug-in's mathematics against reference values (computed to 30 digits
// elsewhere), closed forms and identities, with the error box recorded.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "elliptic.h"
#include "error_box_recorder.h"

namespace {

const double kPi = 3.141592653589793;
const double kHalfPi = 1.5707963267948966;

typedef double(VR_MATH_CALL *Fn1)(double);
typedef double(VR_MATH_CALL *Fn2)(double, double);
typedef double(VR_MATH_CALL *Fn3)(double, double, double);

const MathFunctionEntry *FindEntry(const char *name)
{
    for (int i = 0; const MathFunctionEntry *e = GetParamDLL(i); ++i)
        if (strcmp(e->name, name) == 0)
            return e;
    return nullptr;
}

// Calls a table function by name, the way a host does: through the pointer,
// cast to the signature its argument count gives.
double CallByName(const char *name, std::vector<double> args)
{
    const MathFunctionEntry *e = FindEntry(name);
    if (!e || e->argumentCount != static_cast<int32_t>(args.size()))
        return NAN;
    switch (args.size()) {
    case 1: return reinterpret_cast<Fn1>(e->function)(args[0]);
    case 2: return reinterpret_cast<Fn2>(e->function)(args[0], args[1]);
    case 3: return reinterpret_cast<Fn3>(e->function)(args[0], args[1], args[2]);
    }
    return NAN;
}

class Elliptic : public ::testing::Test {
protected:
    void SetUp() override { gErrorBoxes.Reset(); }
};

TEST_F(Elliptic, TableNamesCountsAndEnd)
{
    static const struct {
        const char *name;
        int count;
    } kExpected[] = {
        {"EllipticE", 2}, {"EllipticE1", 1}, {"EllipticF", 2}, {"EllipticK", 1},
        {"EllipticPi", 3}, {"JacobiCD", 2},  {"JacobiCN", 2},  {"JacobiCS", 2},
        {"JacobiDC", 2},  {"JacobiDN", 2},   {"JacobiDS", 2},  {"JacobiNC", 2},
        {"JacobiND", 2},  {"JacobiNS", 2},   {"JacobiSC", 2},  {"JacobiSD", 2},
        {"JacobiSN", 2},
    };
    ASSERT_EQ(sizeof kExpected / sizeof kExpected[0], 17u);
    for (int i = 0; i < 17; ++i) {
        const MathFunctionEntry *e = GetParamDLL(i);
        ASSERT_NE(e, nullptr) << i;
        EXPECT_STREQ(e->name, kExpected[i].name) << i;
        EXPECT_EQ(e->argumentCount, kExpected[i].count) << i;
        EXPECT_NE(e->function, nullptr) << i;
        EXPECT_EQ(GetParamDLL(i), e) << "the records are the plug-in's own, stable";
    }
    for (int32_t bad : {17, 18, -1, INT32_MIN, INT32_MAX})
        EXPECT_EQ(GetParamDLL(bad), nullptr) << bad;
}

struct Reference {
    const char *name;
    std::vector<double> args;
    double expected;
};

TEST_F(Elliptic, ReferenceValuesThroughTheTable)
{
    static const Reference kCases[] = {
        {"EllipticK", {0.5}, 1.8540746773013719},
        {"EllipticE1", {0.5}, 1.3506438810476755},
        {"EllipticF", {1, 0.5}, 1.0832167728451687},
        {"EllipticE", {1, 0.5}, 0.92732988362444007},
        {"JacobiSN", {0.5, 0.3}, 0.47421562271182066},
        {"EllipticK", {0.1}, 1.6124413487202194},
        {"EllipticK", {0.99}, 3.6956373629898742},
        {"EllipticE1", {0.99}, 1.0159935450252239},
        {"EllipticK", {1e-10}, 1.5707963268341665},
        // Negative parameter through the imaginary-modulus transformation.
        {"EllipticF", {0.7, -0.5}, 0.67631020407127921},
        {"EllipticF", {1.2, -3}, 0.88961261870785904},
        {"EllipticK", {-2}, 1.1714200841467699},
        // m > 1 while m sin^2 phi < 1.
        {"EllipticF", {0.4, 2}, 0.42416249627811026},
        {"EllipticE", {0.4, 2}, 0.37826828045876060},
        {"EllipticPi", {0.3, 0.8, 0.6}, 0.90902211067804127},
        {"EllipticPi", {-0.7, 1.1, 0.4}, 0.98055911605817863},
        {"EllipticPi", {0.5, kHalfPi, 0.3}, 2.4612553522724222},
        {"EllipticPi", {2, 0.5, 0.5}, 0.62808730474946118},
        // Past the pole (n sin^2 phi > 1): the Cauchy principal value.
        {"EllipticPi", {4, 1.0, 0.5}, 0.16227970558001083},
        {"JacobiSN", {3.7, 0.9}, 0.91168182649513791},
        {"JacobiCN", {3.7, 0.9}, -0.41089688151468034},
        {"JacobiDN", {3.7, 0.9}, 0.50194882459732915},
        {"JacobiSN", {1.3, -0.8}, 0.99785474865651958},
        {"JacobiCN", {1.3, -0.8}, 0.065466789929200948},
        {"JacobiDN", {1.3, -0.8}, 1.3403623687395483},
        // m > 1: the reciprocal-modulus step.
        {"JacobiSN", {0.5, 2}, 0.44498496316836375},
        {"JacobiCN", {0.5, 2}, 0.89553804081906535},
        {"JacobiDN", {0.5, 2}, 0.77715942065196631},
        {"JacobiSN", {-2.2, 3.5}, 0.34006018884162380},
        {"JacobiCN", {-2.2, 3.5}, 0.94040367287936469},
        {"JacobiDN", {-2.2, 3.5}, -0.77152883152705127},
    };
    for (const Reference &c : kCases) {
        double v = CallByName(c.name, c.args);
        EXPECT_NEAR(v, c.expected, 1e-13 * fabs(c.expected))
            << c.name << "(" << c.args[0] << (c.args.size() > 1 ? ", ..." : "") << ")";
    }
    EXPECT_EQ(gErrorBoxes.count, 0);
}

TEST_F(Elliptic, QuotientsMapToTheirNames)
{
    // sn, cn, dn of (3.7 | 0.9) from the reference values above.
    const double sn = 0.91168182649513791, cn = -0.41089688151468034, dn = 0.50194882459732915;
    static const struct {
        const char *name;
        double num, den;
    } kCases[] = {
        {"JacobiCD", cn, dn}, {"JacobiCS", cn, sn}, {"JacobiDC", dn, cn},
        {"JacobiDS", dn, sn}, {"JacobiNC", 1, cn},  {"JacobiND", 1, dn},
        {"JacobiNS", 1, sn},  {"JacobiSC", sn, cn}, {"JacobiSD", sn, dn},
    };
    for (const auto &c : kCases) {
        double expected = c.num / c.den;
        EXPECT_NEAR(CallByName(c.name, {3.7, 0.9}), expected, 1e-13 * fabs(expected)) << c.name;
    }
    // Quotients divide without a test: sn(0) = 0 gives an infinity.
    EXPECT_EQ(JacobiNS(0, 0.5), HUGE_VAL);
    EXPECT_EQ(gErrorBoxes.count, 0);
}

TEST_F(Elliptic, CarlsonIntegrals)
{
    static const struct {
        double value, expected;
    } kCases[] = {
        {CarlsonRF(1, 2, 0), 1.3110287771460599},
        {CarlsonRF(2, 3, 4), 0.58408284167715171},
        {CarlsonRD(0, 2, 1), 1.7972103521033883},
        {CarlsonRD(2, 3, 4), 0.16510527294261054},
        {CarlsonRC(0, 0.25), kPi},
        {CarlsonRC(2.25, 2), 0.69314718055994531},
        {CarlsonRC(1, -2), 0.38017299815047317},  // principal value
        {CarlsonRJ(0, 1, 2, 3), 0.77688623778582332},
        {CarlsonRJ(2, 3, 4, 5), 0.14297579667156753},
        {CarlsonRJ(1, 2, 3, -1), -0.093240452438676412},  // principal value
        {CarlsonRJ(2, 3, 4, -0.5), 0.24723819703051565},
    };
    for (const auto &c : kCases)
        EXPECT_NEAR(c.value, c.expected, 1e-13 * fabs(c.expected)) << c.expected;
    EXPECT_EQ(gErrorBoxes.count, 0);
}

TEST_F(Elliptic, InvalidArgumentsShowTheBoxAndGiveInfinity)
{
    static const struct {
        double (*call)();
        int boxes;
        const char *what;
    } kCases[] = {
        {[] { return CarlsonRF(-1, 1, 1); }, 1, "RF negative"},
        {[] { return CarlsonRF(0, 0, 1); }, 1, "RF two zeros"},
        {[] { return CarlsonRF(1, 1, 4e37); }, 1, "RF too large"},
        {[] { return CarlsonRF(NAN, 1, 1); }, 1, "RF NaN"},
        {[] { return CarlsonRD(1, 1, 0); }, 1, "RD z zero"},
        {[] { return CarlsonRD(0, 1e-26, 1); }, 1, "RD x + y too small"},
        {[] { return CarlsonRD(1, 1, 5e21); }, 1, "RD too large"},
        {[] { return CarlsonRJ(1, 1, 1, 0); }, 1, "RJ p zero"},
        {[] { return CarlsonRJ(1, 1, 1, 1e12); }, 1, "RJ p too large"},
        {[] { return CarlsonRJ(0, 0, 1, 1); }, 1, "RJ x + y zero"},
        {[] { return CarlsonRC(1, 0); }, 1, "RC y zero"},
        {[] { return CarlsonRC(-1, 1); }, 1, "RC x negative"},
        {[] { return CarlsonRC(0.005, -2e19); }, 1, "RC far negative y, small x"},
        {[] { return CarlsonRC(NAN, 1); }, 1, "RC NaN"},
        {[] { return EllipticE(0.5, -0.5); }, 1, "E negative m"},
        {[] { return EllipticE1(-0.5); }, 1, "E1 negative m"},
        {[] { return EllipticE(0.5, NAN); }, 1, "E NaN"},
        {[] { return EllipticF(0.5, NAN); }, 1, "F NaN"},
        {[] { return EllipticPi(0.5, 0.5, -1); }, 1, "Pi negative m"},
        // Complex results: m sin^2 phi > 1. Both inner integrals of E refuse,
        // and a negative sin phi must not turn the error into -infinity.
        {[] { return EllipticE(-kHalfPi, 1.5); }, 2, "E beyond the real range"},
        {[] { return EllipticF(-kHalfPi, 1.5); }, 1, "F beyond the real range"},
        // The complete part is fine, the other refuses: still +infinity.
        {[] { return EllipticF(INFINITY, -0.5); }, 1, "F negative m, infinite phi"},
        {[] { return EllipticE(NAN, 1); }, 2, "E NaN phi at m = 1"},
        // n sin^2 phi = 1: the pole itself.
        {[] { return EllipticPi(1, kHalfPi, 0.5); }, 1, "Pi at the pole"},
    };
    for (const auto &c : kCases) {
        gErrorBoxes.Reset();
        EXPECT_EQ(c.call(), HUGE_VAL) << c.what;
        EXPECT_EQ(gErrorBoxes.count, c.boxes) << c.what;
    }
    // Edges that are still inside the limits compute quietly.
    gErrorBoxes.Reset();
    EXPECT_EQ(CarlsonRC(0, -2e19), 0.0);  // principal value with x = 0
    EXPECT_TRUE(isfinite(CarlsonRD(0, 1e-25, 1)));
    EXPECT_TRUE(isfinite(CarlsonRJ(0, 2.5e-13, 1, -2.5e-13)));
    EXPECT_EQ(gErrorBoxes.count, 0);

    gErrorBoxes.Reset();
    EXPECT_EQ(CallByName("EllipticE", {0.5, -0.5}), HUGE_VAL);
    EXPECT_EQ(gErrorBoxes.count, 1);
    EXPECT_EQ(gErrorBoxes.text, "Invalid arguments in elliptic function");
    EXPECT_EQ(gErrorBoxes.caption, "Error in Elliptic.dll");
}

TEST_F(Elliptic, ParameterOneAndZero)
{
    // E(phi, 1) = sin phi on [-pi/2, pi/2], E(1) = 1: finite although R_D
    // alone would refuse its arguments at phi = pi/2.
    EXPECT_EQ(EllipticE1(1), 1.0);
    for (double phi = -kHalfPi; phi <= kHalfPi; phi += 0.125)
        EXPECT_NEAR(EllipticE(phi, 1), sin(phi), 1e-15) << phi;
    // cos(pi/2) is not 0 in double precision, so K(1) is large but finite.
    double k1 = EllipticK(1);
    EXPECT_GT(k1, 38.0);
    EXPECT_LT(k1, 39.5);
    // m = 0: F(phi, 0) = phi, E(phi, 0) = phi, K(0) = E(0) = pi/2.
    EXPECT_NEAR(EllipticK(0), kHalfPi, 1e-15);
    EXPECT_NEAR(EllipticE1(0), kHalfPi, 1e-15);
    EXPECT_NEAR(EllipticF(0.9, 0), 0.9, 1e-15);
    EXPECT_NEAR(EllipticE(0.9, 0), 0.9, 1e-15);
    EXPECT_NEAR(EllipticPi(0, 0.9, 0.4), EllipticF(0.9, 0.4), 1e-15);
    EXPECT_EQ(EllipticF(0, 0.5), 0.0);
    EXPECT_EQ(gErrorBoxes.count, 0);
}

TEST_F(Elliptic, AngleEntersOnlyThroughSineAndCosine)
{
    // Between pi/2 and pi the integrals give their values at pi - phi.
    for (double phi : {1.7, 2.2, 3.0})
        for (double m : {0.3, 0.8, -0.5}) {
            EXPECT_NEAR(EllipticF(phi, m), EllipticF(kPi - phi, m), 1e-14) << phi << " " << m;
            if (m >= 0) {
                EXPECT_NEAR(EllipticE(phi, m), EllipticE(kPi - phi, m), 1e-14) << phi;
            }
        }
    // The integrals are odd in phi, also through the negative-parameter
    // transformation.
    for (double phi : {0.3, 1.0, 1.5})
        for (double m : {0.5, -0.5, -3.0}) {
            EXPECT_NEAR(EllipticF(-phi, m), -EllipticF(phi, m), 1e-15) << phi << " " << m;
            EXPECT_GT(EllipticF(phi, m), 0) << phi << " " << m;
        }
    EXPECT_NEAR(EllipticF(-1, 0.5), -1.0832167728451687, 1e-13);
    EXPECT_NEAR(EllipticE(-1, 0.5), -0.92732988362444007, 1e-13);
}

TEST_F(Elliptic, LegendreRelation)
{
    // E K' + E' K - K K' = pi/2 ties K and E at m and 1 - m together.
    for (double m = 0.05; m < 1; m += 0.05) {
        double k = EllipticK(m), kc = EllipticK(1 - m);
        double e = EllipticE1(m), ec = EllipticE1(1 - m);
        EXPECT_NEAR(e * kc + ec * k - k * kc, kHalfPi, 1e-14) << m;
    }
}

TEST_F(Elliptic, JacobiAtTheLimitsOfTheParameter)
{
    for (double u = -6; u <= 6; u += 0.25) {
        EXPECT_NEAR(JacobiSN(u, 1), tanh(u), 1e-15) << u;
        EXPECT_NEAR(JacobiCN(u, 1), 1 / cosh(u), 1e-15) << u;
        EXPECT_NEAR(JacobiDN(u, 1), 1 / cosh(u), 1e-15) << u;
        EXPECT_NEAR(JacobiSN(u, 0), sin(u), 1e-15) << u;
        EXPECT_NEAR(JacobiCN(u, 0), cos(u), 1e-15) << u;
        EXPECT_NEAR(JacobiDN(u, 0), 1, 1e-15) << u;
    }
}

TEST_F(Elliptic, JacobiQuarterPeriodAndPeriod)
{
    // sn(K) = 1, cn(K) = 0, dn(K) = sqrt(1 - m); sn has period 4K.
    for (double m : {0.1, 0.5, 0.9, 0.99}) {
        double k = EllipticK(m);
        EXPECT_NEAR(JacobiSN(k, m), 1, 1e-14) << m;
        EXPECT_NEAR(JacobiCN(k, m), 0, 1e-14) << m;
        EXPECT_NEAR(JacobiDN(k, m), sqrt(1 - m), 1e-14) << m;
        for (double u : {0.3, 1.1, 2.5})
            EXPECT_NEAR(JacobiSN(u + 4 * k, m), JacobiSN(u, m), 1e-13) << m << " " << u;
    }
}

TEST_F(Elliptic, JacobiIdentitiesOnAGrid)
{
    std::vector<double> params;
    for (int i = 0; i <= 20; ++i)
        params.push_back(i / 20.0);
    for (double m : {1e-12, 0.999, 0.999999, 1 - 1e-12, 1 + 1e-12, 1.0001})
        params.push_back(m);
    for (int i = 1; i <= 20; ++i)
        params.push_back(1 + 0.15 * i);  // up to 4
    for (double m : params)
        for (double u = -10; u <= 10; u += 0.37) {
            double sn, cn, dn;
            JacobiSnCnDn(u, 1 - m, &sn, &cn, &dn);
            EXPECT_NEAR(sn * sn + cn * cn, 1, 1e-14) << "u " << u << " m " << m;
            EXPECT_NEAR(dn * dn + m * sn * sn, 1, 1e-14) << "u " << u << " m " << m;
            EXPECT_EQ(JacobiSN(u, m), sn);
            EXPECT_EQ(JacobiCN(u, m), cn);
            EXPECT_EQ(JacobiDN(u, m), dn);
        }
    EXPECT_EQ(gErrorBoxes.count, 0);
}

} // namespace
