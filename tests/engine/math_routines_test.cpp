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

// Against the C library over every range of the algorithms (tiny, the
// polynomial, the reduced forms, beyond 2^28): both sides are within an ulp.
TEST_F(MathRoutinesTest, AgreeWithTheCLibraryAcrossTheirRanges) {
    for (double m = 1e-12; m < 1e12; m *= 1.0371) {
        for (double x : {m, -m}) {
            if (x > -1) {
                EXPECT_LE(Ulps(Log1p(x), std::log1p(x)), 2) << "Log1p " << x;
            }
            EXPECT_LE(Ulps(ARCSINH(x), std::asinh(x)), 2) << "ARCSINH " << x;
            EXPECT_EQ(ARCSINH(-x), -ARCSINH(x));
            if (std::fabs(x) < 1) {
                EXPECT_LE(Ulps(ARCTANH(x), std::atanh(x)), 2) << "ARCTANH " << x;
            }
            if (x > 0) {
                EXPECT_LE(Ulps(ARCCOSH(1 + x), std::acosh(1 + x)), 2) << "ARCCOSH " << 1 + x;
            }
        }
    }
    for (double x : {1e300, 3e8, 2.0, 1.5, 1.0000001, -0.99999999, -0.2929, 0.41422}) {
        EXPECT_LE(Ulps(Log1p(x), std::log1p(x)), 2) << "Log1p " << x;
        if (x > 1) {
            EXPECT_LE(Ulps(ARCCOSH(x), std::acosh(x)), 2) << "ARCCOSH " << x;
        }
    }
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
