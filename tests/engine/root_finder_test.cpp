#include <cmath>

#include <gtest/gtest.h>

#include "root_finder.h"

namespace {

int gCalls;
double TwoLess(double t) { return ++gCalls, t * t - 2; }
double Cosine(double t) { return ++gCalls, std::cos(t); }
double MinusTwo(double t) { return ++gCalls, t - 2; }
double MinusOne(double t) { return ++gCalls, t - 1; }
double PlusOne(double t) { return ++gCalls, t * t + 1; }
double NanAtOne(double t) { return ++gCalls, t == 1 ? std::nan("") : t - 1.5; }
double Tiny(double t) { return ++gCalls, 1e-200 * (1 + t); }
double TinyCrossing(double t) { return ++gCalls, 1e-200 * (t - std::sqrt(2.0)); }
double NanInside(double t) { return ++gCalls, t < 1.25 ? -1.0 : (t > 1.75 ? 1.0 : std::nan("")); }

const double kSqrt2 = std::sqrt(2.0);
const double kHalfPi = 1.5707963267948966;

TEST(RootFinderTest, FindsRootsWithinTheTolerance) {
    struct Case {
        RealFunction f;
        double a, b, tolerance, root;
    } cases[] = {
        {TwoLess, 1, 2, 1e-10, kSqrt2},
        {TwoLess, 2, 1, 1e-10, kSqrt2},  // either order
        {Cosine, 1, 2, 1e-10, kHalfPi},
        {TwoLess, 1, 2, 0, kSqrt2},  // stops by the relative term
        {TinyCrossing, 1, 2, 1e-10, kSqrt2},  // f(a) f(b) underflows to -0
    };
    for (const Case &c : cases) {
        gCalls = 0;
        double out = 0;
        EXPECT_EQ(FindCrossing(c.f, c.a, c.b, c.tolerance, &out), kCrossingFound);
        // The bracket stops at 2.4e-7 |b| + tolerance / 2 on either side.
        EXPECT_NEAR(out, c.root, 2 * (2.4e-7 * c.root + 0.5 * c.tolerance));
        EXPECT_LE(gCalls, 102);
    }
    gCalls = 0;
    double out = 0;
    EXPECT_EQ(FindCrossing(TwoLess, 1, 2, 1e-3, &out), kCrossingFound);
    EXPECT_NEAR(out, kSqrt2, 1e-3);
    EXPECT_LT(gCalls, 10);
}

TEST(RootFinderTest, RootExactlyAtAnEnd) {
    gCalls = 0;
    double out = 0;
    EXPECT_EQ(FindCrossing(MinusTwo, 1, 2, 1e-10, &out), kCrossingFound);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(gCalls, 2);  // returned at the first test
    EXPECT_EQ(FindCrossing(MinusOne, 1, 2, 1e-10, &out), kCrossingFound);
    EXPECT_EQ(out, 1);
}

TEST(RootFinderTest, FailuresLeaveTheOutputUntouched) {
    struct Case {
        RealFunction f;
        double a, b;
        int result;
    } cases[] = {
        {PlusOne, -1, 1, kCrossingNotBracketed},
        {NanAtOne, 1, 2, kCrossingNotBracketed},
        {NanAtOne, 2, 1, kCrossingNotBracketed},
        {Tiny, 1, 2, kCrossingNotBracketed},  // f(a) f(b) underflows to +0
        {NanInside, 1, 2, kCrossingUndefined},
    };
    for (const Case &c : cases) {
        double out = 42;
        EXPECT_EQ(FindCrossing(c.f, c.a, c.b, 1e-10, &out), c.result);
        EXPECT_EQ(out, 42);
    }
}

}  // namespace
