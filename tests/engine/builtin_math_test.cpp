#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builtin_math.h"
#include "guarded_call.h"
#include "platform_recorder.h"

namespace {

const double kNaN = std::nan("");
const double kInf = HUGE_VAL;
const double kSqrtPi = 1.7724538509055159;

class BuiltinMathTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        InstallEvalAbortHandler();
        gPowerDenominator = 0;
        gHeavisideZero = 0.5;
    }
    void TearDown() override {
        gPowerDenominator = 0;
        gHeavisideZero = 0.5;
    }

    // The call must end in a math-library error with this box text.
    template <class Call>
    void ExpectLibraryError(Call call, const std::string &text) {
        gRecorder.Reset();
        GuardedResult r = CallGuarded(call);
        EXPECT_EQ(r.jump, kLibraryErrorJump) << text;
        ASSERT_EQ(gRecorder.boxes.size(), 1u) << text;
        EXPECT_EQ(gRecorder.boxes[0].text, text);
        EXPECT_EQ(gRecorder.boxes[0].caption, "Library function error");
    }

    // The call must end in evaluator error code.
    template <class Call>
    void ExpectEvalError(Call call, int code, const char *what) {
        gRecorder.Reset();
        gEvalError = 0;
        GuardedResult r = CallGuarded(call);
        EXPECT_EQ(r.jump, kEvaluatorErrorJump) << what;
        EXPECT_EQ(gEvalError, code) << what;
        EXPECT_EQ(gRecorder.boxes.size(), 1u) << what;
    }
};

// The x87 returns results in 80 bits; compare what a caller stores.
double Stored(double v) {
    volatile double r = v;
    return r;
}

void ExpectRelative(double actual, double expected, double tolerance, const char *what) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected))
        << what << ": " << actual << " instead of " << expected;
}

TEST_F(BuiltinMathTest, RoundingAndRemainderSemantics) {
    struct Case {
        const char *what;
        double actual;
        double expected;
    } cases[] = {
        {"ROUND(0.5)", ROUND(0.5), 1},
        {"ROUND(-0.5)", ROUND(-0.5), 0},
        {"ROUND(-2.5)", ROUND(-2.5), -2},
        {"ROUND(2.4999)", ROUND(2.4999), 2},
        {"ROUNDMULTIPLE(7, 5)", ROUNDMULTIPLE(7, 5), 5},
        {"ROUNDMULTIPLE(7.5, 5)", ROUNDMULTIPLE(7.5, 5), 10},
        {"FRACC(-0.25)", FRACC(-0.25), 0.75},
        {"MOD(-7, 2)", MOD(-7, 2), 1},
        {"DIV(-7, 2)", DIV(-7, 2), -4},
        {"MOD(-1, 3)", MOD(-1, 3), 2},
        {"MOD(5, -3)", MOD(5, -3), 2},
        {"DIV(5, -3)", DIV(5, -3), -1},
        {"DIV(-1, 3)", DIV(-1, 3), -1},
        {"MOD(7.5, 2)", MOD(7.5, 2), 1.5},
        {"SGN(NaN)", SGN(kNaN), -1},
        {"SGN(0)", SGN(0), 0},
        {"SGN(-3)", SGN(-3), -1},
        {"SGN(2)", SGN(2), 1},
        {"STEP(0)", STEP(0), 0.5},
        {"STEP(NaN)", STEP(kNaN), 0},
        {"STEP(1e-300)", STEP(1e-300), 1},
        {"STEP(-1)", STEP(-1), 0},
        {"SQR(-3)", SQR(-3), 9},
        {"CHOP(1e-11)", CHOP(1e-11), 0},
        {"CHOP(-1e-11)", CHOP(-1e-11), 0},
        {"CHOP(1e-9)", CHOP(1e-9), 1e-9},
        {"CHOP2(0.5, 1)", CHOP2(0.5, 1), 0},
        {"CHOP2(-2, 1)", CHOP2(-2, 1), -2},
        {"SINGLE(0.1)", SINGLE(0.1), 0.100000001490116119384765625},
        {"ISNAN(NaN)", ISNAN(kNaN), 1},
        {"ISNAN(inf)", ISNAN(kInf), 0},
        {"FINITE(1)", FINITE(1), 1},
        {"FINITE(inf)", FINITE(-kInf), 0},
        {"FINITE(NaN)", FINITE(kNaN), 0},
        {"INF()", INF(), kInf},
    };
    for (const Case &c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
    EXPECT_TRUE(std::isnan(NAN_()));
    EXPECT_TRUE(std::isnan(ROUND(kNaN)));

    gHeavisideZero = 1;
    EXPECT_EQ(STEP(0), 1);
}

TEST_F(BuiltinMathTest, PowerDenominatorGivesRealOddRootsOfNegativeBases) {
    ExpectLibraryError([] { return POW(-8, 1.0 / 3); }, "pow(-8,0.333333)\nArgument domain error.");

    gPowerDenominator = 3;
    EXPECT_DOUBLE_EQ(POW(-8, 1.0 / 3), -2);
    EXPECT_DOUBLE_EQ(POW(-8, 2.0 / 3), 4);
    EXPECT_DOUBLE_EQ(POW(-8, -1.0 / 3), -0.5);
    EXPECT_EQ(POW(-2, 3), -8);  // integer exponents never need the search
    ExpectLibraryError([] { return POW(-32, 0.2); }, "pow(-32,0.2)\nArgument domain error.");

    gPowerDenominator = 5;
    EXPECT_DOUBLE_EQ(POW(-32, 0.2), -2);
    EXPECT_DOUBLE_EQ(POW(2, 0.5), std::sqrt(2.0));
    EXPECT_TRUE(std::isnan(POW(kNaN, 0.5)));  // NaN in, NaN out: no error

    gPowerDenominator = 0;
    EXPECT_DOUBLE_EQ(NROOT(-8, 3), -2);
    EXPECT_DOUBLE_EQ(NROOT(-8, -3), -0.5);
    EXPECT_DOUBLE_EQ(NROOT(16, 4), 2);
    ExpectLibraryError([] { return NROOT(-16, 4); }, "pow(-16,0.25)\nArgument domain error.");
}

TEST_F(BuiltinMathTest, GammaAndFactorialReferenceValues) {
    ExpectRelative(GAMMA(0.5), 1.7724538509055159, 1e-9, "GAMMA(0.5)");
    ExpectRelative(GAMMA(-0.5), -3.544907701811032, 1e-9, "GAMMA(-0.5)");
    ExpectRelative(GAMMA(-1.5), 4 * kSqrtPi / 3, 1e-9, "GAMMA(-1.5)");
    ExpectRelative(GAMMA(-2.5), -8 * kSqrtPi / 15, 1e-9, "GAMMA(-2.5)");
    ExpectRelative(FACTORIAL(-0.5), kSqrtPi, 1e-9, "FACTORIAL(-0.5)");
    ExpectRelative(FACTORIAL(-1.5), -2 * kSqrtPi, 1e-9, "FACTORIAL(-1.5)");
    ExpectRelative(LNGAMMA(10), std::log(362880.0), 1e-9, "LNGAMMA(10)");
    ExpectRelative(GAMMA(40.5), std::tgamma(40.5), 1e-9, "GAMMA(40.5)");
    EXPECT_EQ(FACTORIAL(20), 2432902008176640000.0);
    EXPECT_EQ(FACTORIAL(5), 120);
    EXPECT_EQ(GAMMA(5), 24);
    EXPECT_EQ(FACTORIAL(0), 1);
    EXPECT_EQ(Stored(FACTORIAL(0.5)), Stored(GAMMA(1.5)));
    ExpectRelative(FACTORIAL(32), 2.6313083693369353e35, 1e-15, "FACTORIAL(32)");
    EXPECT_EQ(Stored(GAMMA(33)), Stored(std::exp(LNGAMMA(33))));
    EXPECT_EQ(LNGAMMA(kInf), kInf);

    // Far below zero: each unit divides once more; sign alternates per unit.
    for (double x : {-20.5, -20.25, -100.5, -150.75}) {
        ExpectRelative(GAMMA(x), std::tgamma(x), 1e-9, "GAMMA far below 0");
        ExpectRelative(FACTORIAL(x), std::tgamma(x + 1), 1e-9, "FACTORIAL far below 0");
    }
    double deep = GAMMA(-1e6 - 0.5);  // used to take a million nested calls
    EXPECT_EQ(deep, 0);
    EXPECT_TRUE(std::signbit(deep));
    EXPECT_EQ(GAMMA(-1e15 - 0.5), 0);
    EXPECT_FALSE(std::signbit(FACTORIAL(-1e6 - 0.5)));
}

// The definitions below 1 and 0, as recursions (each level's argument a
// double, as it would be passed).
double RecursiveGamma(double x) { return x < 1 ? RecursiveGamma(Stored(x + 1)) / x : GAMMA(x); }
double RecursiveFactorial(double x) {
    return x < 0 ? RecursiveFactorial(Stored(x + 1)) / Stored(x + 1) : FACTORIAL(x);
}

TEST_F(BuiltinMathTest, BelowZeroMatchesTheRecursiveDefinition) {
    for (int i = 0; i < 420; ++i) {
        double x = Stored(-40.95 + i * 0.1);
        if (x == std::floor(x)) continue;
        ExpectRelative(GAMMA(x), RecursiveGamma(x), 1e-14, "GAMMA");
        ExpectRelative(FACTORIAL(x), RecursiveFactorial(x), 1e-14, "FACTORIAL");
    }
    for (double x : {-1e-17, -0.9999999999999999, -7.000000000000001, 1e-300, -1e-300}) {
        ExpectRelative(GAMMA(x), RecursiveGamma(x), 1e-14, "GAMMA near integers");
        ExpectRelative(FACTORIAL(x), RecursiveFactorial(x), 1e-14, "FACTORIAL near integers");
    }
}

TEST_F(BuiltinMathTest, GammaFamilyDomainErrorsName) {
    ExpectLibraryError([] { return FACTORIAL(-1); }, "factorial(-1)\nArgument domain error.");
    ExpectLibraryError([] { return GAMMA(0); }, "gamma(0)\nArgument domain error.");
    ExpectLibraryError([] { return GAMMA(-2); }, "gamma(-2)\nArgument domain error.");
    ExpectLibraryError([] { return LNGAMMA(0); }, "lnGamma(0)\nArgument domain error.");
    ExpectLibraryError([] { return LNGAMMA(-1.5); }, "lnGamma(-1.5)\nArgument domain error.");
}

TEST_F(BuiltinMathTest, ErrorFunctionReferenceValues) {
    ExpectRelative(ERF(0.5), 0.5204998778130465, 1e-12, "ERF(0.5)");
    ExpectRelative(ERF(-0.5), -0.5204998778130465, 1e-12, "ERF(-0.5)");
    ExpectRelative(ERFC(3), 2.2090496998585438e-05, 1e-12, "ERFC(3)");
    ExpectRelative(ERF(2), 0.9953222650189527, 1e-12, "ERF(2)");
    ExpectRelative(ERFC(0.5), 0.4795001221869535, 1e-12, "ERFC(0.5)");
    ExpectRelative(ERFC(-1), 1.8427007929497148, 1e-12, "ERFC(-1)");
    EXPECT_EQ(ERF(0), 0);
    EXPECT_EQ(ERFC(0), 1);
    // Both ways of the split (series below u = 1.5, continued fraction above).
    for (double x = -6; x <= 6; x += 0.0625) {
        if (x == 0) continue;
        ExpectRelative(ERF(x), std::erf(x), 1e-12, "ERF");
        ExpectRelative(ERFC(x), std::erfc(x), 1e-12, "ERFC");
    }
    // Far tails and non-finite arguments have values, not "Code for erf failed".
    EXPECT_EQ(ERF(1e10), 1);
    EXPECT_EQ(ERF(-kInf), -1);
    EXPECT_EQ(ERFC(40), 0);
    EXPECT_EQ(ERFC(kInf), 0);
    EXPECT_EQ(ERFC(-kInf), 2);
    EXPECT_TRUE(std::isnan(ERF(kNaN)));
    EXPECT_TRUE(std::isnan(ERFC(kNaN)));
    // Where x * x underflows: 2x / sqrt(pi), no log(0) on the way.
    for (double x : {1e-300, -1e-200, 1e-160}) {
        GuardedResult r = CallGuarded([x] { return ERF(x); });
        ASSERT_EQ(r.jump, 0) << x;
        ExpectRelative(r.value, x * 1.1283791670955126, 1e-12, "ERF of a tiny x");
        r = CallGuarded([x] { return ERFC(x); });
        ASSERT_EQ(r.jump, 0) << x;
        EXPECT_EQ(r.value, 1) << x;
    }
}

TEST_F(BuiltinMathTest, LambertWReferenceValues) {
    ExpectRelative(LAMBERTW(1), 0.5671432904097838, 1e-12, "LAMBERTW(1)");
    ExpectRelative(LAMBERTW(10), 1.7455280027406994, 1e-12, "LAMBERTW(10)");
    ExpectRelative(LAMBERTW1(-0.1), -3.577152063957297, 1e-12, "LAMBERTW1(-0.1)");
    EXPECT_EQ(LAMBERTW(-0.36787944117144233), -1);
    EXPECT_EQ(LAMBERTW(-std::exp(-1.0)), -1);
    EXPECT_EQ(LAMBERTW1(-0.36787944117144233), -1);
    EXPECT_EQ(LAMBERTW(0), 0);
    EXPECT_NEAR(LAMBERTW(1e-300), 0, 4e-16);  // the stopping test is absolute near 0
    for (double x : {1e-3, 0.5, 3.5, 1e6, 1e300}) {
        double w = LAMBERTW(x);
        ExpectRelative(w * std::exp(w), x, 1e-14, "LAMBERTW residual");
    }
    for (double x : {-1e-300, -1e-7, -1e-3}) {
        double w = LAMBERTW1(x);
        EXPECT_LT(w, -1);
        ExpectRelative(w * std::exp(w), x, 1e-13, "LAMBERTW1 residual");
    }

    ExpectEvalError([] { return LAMBERTW(-0.5); }, kEvalLambertBadArgument, "LAMBERTW(-0.5)");
    ExpectEvalError([] { return LAMBERTW(HUGE_VAL); }, kEvalLambertBadArgument, "LAMBERTW(inf)");
    ExpectEvalError([] { return LAMBERTW(std::nan("")); }, kEvalLambertBadArgument, "LAMBERTW(NaN)");
    ExpectEvalError([] { return LAMBERTW1(0.0); }, kEvalLambertBadArgument, "LAMBERTW1(0)");
    ExpectEvalError([] { return LAMBERTW1(-0.4); }, kEvalLambertBadArgument, "LAMBERTW1(-0.4)");
    EXPECT_EQ(gRecorder.boxes[0].text, "Bad argument in Lambert W function");
    EXPECT_EQ(gRecorder.boxes[0].caption, "P-code interpreter error");
}

// Close to -1/e rounding keeps Halley's correction above the stopping bound;
// every argument there has a value on both branches.
TEST_F(BuiltinMathTest, LambertWConvergesCloseToTheBranchPoint) {
    std::vector<double> xs = {-0.365, -0.36780504116897417};
    for (int i = 0; i <= 4000; ++i) xs.push_back(-0.3678794 + i * 1.5e-5);
    // Finely close to the series' window, where the iterate's last bits
    // decide (in 80-bit registers too).
    for (int i = 0; i <= 20000; ++i) xs.push_back(-0.36787944 + i * 9e-9);
    for (double x : xs) {
        GuardedResult w0 = CallGuarded([x] { return LAMBERTW(x); });
        GuardedResult w1 = CallGuarded([x] { return LAMBERTW1(x); });
        ASSERT_EQ(w0.jump, 0) << "LAMBERTW(" << x << ")";
        ASSERT_EQ(w1.jump, 0) << "LAMBERTW1(" << x << ")";
        EXPECT_GE(w0.value, -1);
        EXPECT_LE(w1.value, -1);
        EXPECT_NEAR(w0.value * std::exp(w0.value), x, 2e-16) << "LAMBERTW(" << x << ")";
        EXPECT_NEAR(w1.value * std::exp(w1.value), x, 2e-16) << "LAMBERTW1(" << x << ")";
    }
    EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(BuiltinMathTest, SameSeedSameSequence) {
    EXPECT_EQ(SEED(5), 0);
    double first[20];
    for (double &v : first) v = Stored(RANDOM(2, 4));
    SEED(5);
    for (double v : first) EXPECT_EQ(Stored(RANDOM(2, 4)), v);
    SEED(6);
    int same = 0;
    for (double v : first) same += Stored(RANDOM(2, 4)) == v;
    EXPECT_LT(same, 3);
    for (double v : first) {
        EXPECT_GE(v, 2);
        EXPECT_LT(v, 4);
    }
    // Seeds outside 32 bits and NaN are taken modulo 2^32 (NaN as 0).
    SEED(-1e30);
    SEED(std::nan(""));

    SEED(12345);
    double sum = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) sum += RANDOM(0, 1);
    EXPECT_NEAR(sum / n, 0.5, 0.01);
}

TEST_F(BuiltinMathTest, Random3KeepsOneValuePerTriple) {
    EXPECT_EQ(RANDOM3(0, 0, 0), 0);  // the initial triple: no draw yet
    SEED(7);
    double one = RANDOM3(1, 0, 1);
    EXPECT_EQ(RANDOM3(1, 0, 1), one);
    double two = RANDOM3(2, 0, 1);
    EXPECT_NE(two, one);
    EXPECT_EQ(RANDOM3(2, 0, 1), two);
    SEED(7);
    EXPECT_EQ(RANDOM3(1, 0, 1), one);  // a changed triple draws anew
}

TEST_F(BuiltinMathTest, ColourArithmetic) {
    struct Case {
        const char *what;
        PackedColor actual;
        PackedColor expected;
    } cases[] = {
        {"HSV red", HsvToColor(0, 1, 1), 0x0000FF},
        {"HSV hue 1 is hue 0", HsvToColor(1, 1, 1), 0x0000FF},
        {"HSV green", HsvToColor(1.0 / 3, 1, 1), 0x00FF00},
        {"HSV blue", HsvToColor(2.0 / 3, 1, 1), 0xFF0000},
        {"HSV grey", HsvToColor(0.3, 0, 0.5), 0x7F7F7F},
        {"HSV sector 1", HsvToColor(0.25, 1, 1), 0x00FF7F},
        {"HSV sector 5", HsvToColor(11.0 / 12, 1, 1), 0x7F00FF},
        {"HSV hue modulo 1", HsvToColor(1.25, 1, 1), 0x00FF7F},
        {"HSV negative hue wraps", HsvToColor(-0.75, 1, 1), 0x00FF7F},
        {"HSV NaN hue", HsvToColor(std::nan(""), 1, 1), 0x0000FF},
        {"HSV half saturation", HsvToColor(0, 0.5, 1), 0x7F7FFF},
        {"RGB", RgbToColor(255, 128, 0), 0x0080FF},
        {"RGB modulo 256", RgbToColor(257, -1, 300.7), 0x2CFF01},
        {"RGB NaN", RgbToColor(std::nan(""), 0, 0), 0x000000},
        {"PENCOLOR packed", PenColorFromValue(0x123456), 0x123456},
        {"PENCOLOR -1 white", PenColorFromValue(-1), 0xFFFFFF},
        {"PENCOLOR -2 red", PenColorFromValue(-2), 0x0000FF},
        {"PENCOLOR -16 grey", PenColorFromValue(-16), 0x808080},
        {"PENCOLOR -17 wraps", PenColorFromValue(-17), 0xFFFFFF},
        {"PENCOLOR -0.5", PenColorFromValue(-0.5), 0xFFFFFF},
        {"PENCOLOR -9.9", PenColorFromValue(-9.9), 0x000000},
        {"PENCOLOR NaN", PenColorFromValue(std::nan("")), 0xFFFFFF},
    };
    for (const Case &c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
}

}  // namespace
