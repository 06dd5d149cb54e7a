#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "guarded_call.h"
#include "math_routines.h"
#include "platform_recorder.h"

namespace {

class MathRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        InstallEvalAbortHandler();
    }
};

// Distance in units in the last place of expected.
double Ulps(double actual, double expected) {
    if (actual == expected) return 0;
    double ulp = std::nextafter(std::fabs(expected), HUGE_VAL) - std::fabs(expected);
    return std::fabs(actual - expected) / ulp;
}

TEST_F(MathRoutinesTest, ReferenceValuesWithinOneUlp) {
    EXPECT_LE(Ulps(ARCSINH(1), 0.881373587019543), 1);
    EXPECT_LE(Ulps(ARCCOSH(2), 1.3169578969248166), 1);
    EXPECT_LE(Ulps(ARCTANH(0.5), 0.5493061443340548), 1);
    EXPECT_EQ(Log1p(1e-20), 1e-20);
    EXPECT_EQ(Log1p(0), 0);
    EXPECT_EQ(Log1p(-1), -HUGE_VAL);
    EXPECT_EQ(Log1p(HUGE_VAL), HUGE_VAL);
    EXPECT_TRUE(std::isnan(Log1p(std::nan(""))));
    EXPECT_EQ(ARCCOSH(1), 0);
    EXPECT_EQ(ARCSINH(-HUGE_VAL), -HUGE_VAL);
    EXPECT_EQ(ARCTANH(1e-300), 1e-300);
}

// The x87 returns results in 80 bits; compare what a caller stores.
double Stored(double v) {
    volatile double r = v;
    return r;
}

// Against the C library over every range of the algorithms (tiny, the
// polynomial, the reduced forms, beyond 2^28): both sides are within an ulp.
// (ARCCOSH below, against exact values.)
TEST_F(MathRoutinesTest, AgreeWithTheCLibraryAcrossTheirRanges) {
    for (double m = 1e-12; m < 1e12; m *= 1.0371) {
        for (double x : {m, -m}) {
            if (x > -1) {
                EXPECT_LE(Ulps(Log1p(x), std::log1p(x)), 2) << "Log1p " << x;
            }
            EXPECT_LE(Ulps(ARCSINH(x), std::asinh(x)), 2) << "ARCSINH " << x;
            EXPECT_EQ(Stored(ARCSINH(-x)), -Stored(ARCSINH(x)));
            if (std::fabs(x) < 1) {
                EXPECT_LE(Ulps(ARCTANH(x), std::atanh(x)), 2) << "ARCTANH " << x;
            }
        }
    }
    for (double x : {1e300, 3e8, 2.0, 1.5, 1.0000001, -0.99999999, -0.2929, 0.41422}) {
        EXPECT_LE(Ulps(Log1p(x), std::log1p(x)), 2) << "Log1p " << x;
    }
}

// Some C libraries lose digits of acosh close to 1: these are exact values,
// rounded, over each of its ranges.
TEST_F(MathRoutinesTest, ArccoshAgainstReferenceValues) {
    const struct {
        double x, acosh;
    } cases[] = {
        {1.0000000000009095, 1.3486991523485068e-06},  // 1 + 2^-40
        {1.0000000037252903, 8.631674572351474e-05},   // 1 + 2^-28
        {1.000000001, 4.4721361396399915e-05},
        {1.0001, 0.014142017775251545},
        {1.25, 0.6931471805599453},
        {1.5, 0.9624236501192069},
        {1.9999, 1.3169001599733006},
        {2.0, 1.3169578969248168},
        {2.5, 1.566799236972411},
        {10.0, 2.993222846126381},
        {12345.678, 10.114208500211527},
        {260000000.0, 20.069339369539748},
        {300000000.0, 20.21244021318042},
        {1e+300, 691.4686750787737},
    };
    for (const auto &c : cases) EXPECT_LE(Ulps(ARCCOSH(c.x), c.acosh), 1) << c.x;
}

TEST_F(MathRoutinesTest, DomainErrorsReportTheFunctionByName) {
    struct Case {
        double (*f)(double);
        double x;
        const char *text;
    } cases[] = {
        {ARCTANH, 1, "arctanh(1)\nArgument domain error."},
        {ARCTANH, -1.5, "arctanh(-1.5)\nArgument domain error."},
        {ARCCOSH, 0.5, "arccosh(0.5)\nArgument domain error."},
        {Log1p, -2, "log1p(-2,0)\nArgument domain error."},  // not a built-in keyword
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        GuardedResult r = CallGuarded([&c] { return c.f(c.x); });
        EXPECT_EQ(r.jump, kLibraryErrorJump) << c.text;
        ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.text;
        EXPECT_EQ(gRecorder.boxes[0].text, c.text);
        EXPECT_EQ(gRecorder.boxes[0].caption, "Library function error");
    }
    gRecorder.Reset();
    EXPECT_EQ(CallGuarded([] { return ARCTANH(std::nan("")); }).jump, kLibraryErrorJump);
    EXPECT_EQ(CallGuarded([] { return Log1p(-std::nan("")); }).jump, kLibraryErrorJump);
}

int gCalls;
double Square(double x) { return ++gCalls, x * x; }
double Sine(double x) { return ++gCalls, std::sin(x); }
double Absolute(double x) { return ++gCalls, std::fabs(x); }
double Seventh(double x) { return ++gCalls, std::pow(x, 7); }

TEST_F(MathRoutinesTest, DerivativeOfSquareConvergesInTheSecondRound) {
    gCalls = 0;
    double d = 0;
    EXPECT_EQ(NumericDerivative(1, Square, 3, &d, 0.1, 1e-10), kDerivativeOk);
    EXPECT_NEAR(d, 6, 1e-12);
    EXPECT_EQ(gCalls, 4);  // two rounds of f(x + h), f(x - h)
}

TEST_F(MathRoutinesTest, DerivativesOfSineUpToOrderSeven) {
    // d^m/dx^m sin at 0.5 cycles through cos, -sin, -cos, sin.
    const double s = std::sin(0.5), c = std::cos(0.5);
    const double expected[8] = {0, c, -s, -c, s, c, -s, -c};
    // Rounding grows like eps / h^m: high orders cannot ask for as much.
    const double tolerance[8] = {0, 1e-12, 1e-12, 1e-12, 1e-12, 1e-8, 1e-8, 1e-6};
    const double bound[8] = {0, 1e-13, 1e-13, 1e-11, 1e-9, 1e-8, 1e-7, 1e-5};
    for (int m = 1; m <= 7; ++m) {
        double d = 0;
        EXPECT_EQ(NumericDerivative(m, Sine, 0.5, &d, 1.0, tolerance[m]), kDerivativeOk) << m;
        EXPECT_NEAR(d, expected[m], bound[m]) << "order " << m;
    }
    double d = 0;
    EXPECT_EQ(NumericDerivative(7, Seventh, 0.3, &d, 0.5, 1e-12), kDerivativeOk);
    EXPECT_NEAR(d, 5040, 5040 * 1e-7);
}

TEST_F(MathRoutinesTest, DerivativeFailuresAndBadOrders) {
    gCalls = 0;
    double d = 0;
    EXPECT_EQ(NumericDerivative(2, Absolute, 0, &d, 0.1, 1e-10), kDerivativeNoConvergence);
    EXPECT_EQ(gCalls, 9 * 3);  // nine rounds of f(x + h), f(x), f(x - h)

    for (int order : {0, 8, -1}) {
        gCalls = 0;
        d = 42;
        EXPECT_EQ(NumericDerivative(order, Absolute, 0, &d, 0.1, 1e-10), kDerivativeBadOrder);
        EXPECT_EQ(gCalls, 0);
        EXPECT_EQ(d, 42);
    }
}

}  // namespace
