#include "dop853.h"

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "memory.h"
#include "platform_recorder.h"
#include "solver_method.h"
#include "test_heap.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

const double kPi = 3.14159265358979323846;

// What the output callback saw, and when it should ask to stop.
std::vector<double> gOutTimes;
int gStopAfter;     // nonzero: answer gStopCode at that call
int gStopCode;
long gRhsCalls;

int VR_PLUGIN_CALL RecordOutput(double t, const double *) {
    gOutTimes.push_back(t);
    return gStopAfter != 0 && static_cast<int>(gOutTimes.size()) == gStopAfter ? gStopCode : 0;
}

void VR_PLUGIN_CALL Growth(double, double *y, double *dydt) {
    ++gRhsCalls;
    dydt[0] = y[0];
}
void VR_PLUGIN_CALL Cosine(double t, double *, double *dydt) {
    ++gRhsCalls;
    dydt[0] = std::cos(t);
}
void VR_PLUGIN_CALL Constant(double, double *, double *dydt) { dydt[0] = 1; }
void VR_PLUGIN_CALL Oscillator(double, double *y, double *dydt) {
    dydt[0] = y[1];
    dydt[1] = -y[0];
}
void VR_PLUGIN_CALL Arenstorf(double, double *y, double *dydt) {
    const double mu = 0.012277471, mu1 = 1 - mu;
    double d1 = std::pow((y[0] + mu) * (y[0] + mu) + y[1] * y[1], 1.5);
    double d2 = std::pow((y[0] - mu1) * (y[0] - mu1) + y[1] * y[1], 1.5);
    dydt[0] = y[2];
    dydt[1] = y[3];
    dydt[2] = y[0] + 2 * y[3] - mu1 * (y[0] + mu) / d1 - mu * (y[0] - mu1) / d2;
    dydt[3] = y[1] - 2 * y[2] - mu1 * y[1] / d1 - mu * y[1] / d2;
}
double VR_PLUGIN_CALL InitialOne(int, double) { return 1; }
void VR_PLUGIN_CALL Delayed(double t, double *, double *dydt) {
    double past = 0;
    if (Dop853Interpolate(0, t - 1, &past, InitialOne) != 0) past = NAN;
    dydt[0] = -past;
}
void VR_PLUGIN_CALL NotANumber(double, double *, double *dydt) {
    ++gRhsCalls;
    volatile double zero = 0;
    dydt[0] = zero / zero;
}

class Dop853Test : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        gOutOfMemory = 0;
        gOutTimes.clear();
        gStopAfter = 0;
        gRhsCalls = 0;
        gSolverMethod = SolverMethod{Dop853Interpolate, Dop853Step, Dop853Init, Dop853End};
    }
    void TearDown() override {
        FailHeapAfter(-1);
        Dop853End();
    }
    // Configures, prepares and starts a trajectory at t0.
    void Prepare(Dop853Rhs rhs, int n, int depth, double t0 = 0, int isSystem = 1) {
        Dop853SetCallbacks(rhs, RecordOutput);
        Dop853Configure(n, isSystem, depth);
        ASSERT_NE(Dop853Init(), 0);
        Dop853BeginTrajectory(t0);
    }
};

// Exact solution of y' = y both ways, and the dense output in between.
TEST_F(Dop853Test, GrowthReachesEForwardAndBackward) {
    struct Case {
        double tEnd;
    } cases[] = {{1.0}, {-1.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tEnd);
        Prepare(Growth, 1, 1000);
        double t = 0, y = 1;
        EXPECT_EQ(Dop853Step(&t, &y, c.tEnd, 1e-10, 1, 0.01, 1000), 0);
        EXPECT_EQ(t, c.tEnd);
        EXPECT_NEAR(y, std::exp(c.tEnd), 1e-9);
        ASSERT_GE(gOutTimes.size(), 3u);
        EXPECT_EQ(gOutTimes.front(), 0.0);
        EXPECT_EQ(gOutTimes.back(), c.tEnd);
        double mid = 0;
        ASSERT_EQ(Dop853Interpolate(0, c.tEnd / 3, &mid, nullptr), 0);
        EXPECT_NEAR(mid, std::exp(c.tEnd / 3), 1e-9);
        // Before the start the initial function answers, in the run's direction.
        ASSERT_EQ(Dop853Interpolate(0, -c.tEnd, &mid, InitialOne), 0);
        EXPECT_EQ(mid, 1.0);
        EXPECT_EQ(Dop853Interpolate(0, -c.tEnd, &mid, nullptr), -1);
    }
}

TEST_F(Dop853Test, OscillatorReturnsAfterTenPeriods) {
    Prepare(Oscillator, 2, 0);
    double t = 0, y[2] = {1, 0};
    EXPECT_EQ(Dop853Step(&t, y, 20 * kPi, 1e-12, 10, 0.1, 0), 0);
    EXPECT_NEAR(y[0], 1, 1e-8);
    EXPECT_NEAR(y[1], 0, 1e-8);
    // No history: lookups fail without an initial function.
    EXPECT_EQ(Dop853Interpolate(0, 1, y, nullptr), -1);
}

TEST_F(Dop853Test, ArenstorfOrbitCloses) {
    const double period = 17.0652165601579625588917206249;
    const double start[4] = {0.994, 0, 0, -2.00158510637908252240537862224};
    Prepare(Arenstorf, 4, 0);
    double t = 0, y[4] = {start[0], start[1], start[2], start[3]};
    EXPECT_EQ(Dop853Step(&t, y, period, 1e-12, 1, 1e-4, 0), 0);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(y[i], start[i], 1e-6) << i;
}

// y' = cos t: values at the marks and the derivative indices, for a system
// of one and for a single ODE of order 1 (both read index j as order j).
TEST_F(Dop853Test, DenseOutputGivesValuesAndDerivatives) {
    for (int isSystem : {1, 0}) {
        Prepare(Cosine, 1, 1000, 0, isSystem);
        double t = 0, y = 0;
        ASSERT_EQ(Dop853Step(&t, &y, 10, 1e-12, 10, 0.1, 1000), 0);
        double worst[3] = {};
        for (int k = 0; k <= 100; ++k) {
            double tk = k * 0.1, v[3];
            ASSERT_EQ(Dop853Interpolate(-3, tk, v, nullptr), 0) << tk;
            worst[0] = std::fmax(worst[0], std::fabs(v[0] - std::sin(tk)));
            worst[1] = std::fmax(worst[1], std::fabs(v[1] - std::cos(tk)));
            worst[2] = std::fmax(worst[2], std::fabs(v[2] + std::sin(tk)));
            double one;
            ASSERT_EQ(Dop853Interpolate(1, tk, &one, nullptr), 0);
            EXPECT_EQ(one, v[1]);
        }
        EXPECT_LT(worst[0], 1e-11);
        EXPECT_LT(worst[1], 1e-10);
        EXPECT_LT(worst[2], 1e-7);
    }
}

// x = sin t from (0, 1): as a system index 2 is x', 3 is v' and 4 is x'';
// as a single ODE of order 2 index j is the j-th derivative of x.
TEST_F(Dop853Test, DerivativeIndicesFollowTheProblemType) {
    struct Case {
        int isSystem;
        double expected[5];  // indices 0..4 at t = 1
    };
    const double sn = std::sin(1.0), cs = std::cos(1.0);
    const Case cases[] = {
        {1, {sn, cs, cs, -sn, -sn}},
        {0, {sn, cs, -sn, -cs, sn}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.isSystem);
        Prepare(Oscillator, 2, 100, 0, c.isSystem);
        double t = 0, y[2] = {0, 1};
        ASSERT_EQ(Dop853Step(&t, y, 2, 1e-12, 1, 0.1, 100), 0);
        double v[5];
        ASSERT_EQ(Dop853Interpolate(-5, 1, v, nullptr), 0);
        for (int j = 0; j < 5; ++j) EXPECT_NEAR(v[j], c.expected[j], 1e-5) << j;
    }
}

// y'(t) = -y(t - 1), y = 1 before 0, integrated up to each discontinuity.
TEST_F(Dop853Test, DelayEquationMatchesMethodOfSteps) {
    Prepare(Delayed, 1, 1000);
    double t = 0, y = 1;
    const double expected[3] = {0, -0.5, -1.0 / 6};
    for (int piece = 1; piece <= 3; ++piece) {
        ASSERT_EQ(Dop853Step(&t, &y, piece, 1e-10, 1, 0.1, 1000), 0);
        EXPECT_EQ(t, piece);
        EXPECT_NEAR(y, expected[piece - 1], 1e-8) << piece;
    }
    double v;
    ASSERT_EQ(Dop853Interpolate(0, 1.5, &v, InitialOne), 0);
    EXPECT_NEAR(v, -(2 * 0.5 - (1.5 * 1.5 - 1) / 2), 1e-10);
}

TEST_F(Dop853Test, FailuresAndLimits) {
    // "h max." 0: the first step is zero; the initial point is still output.
    Prepare(Growth, 1, 0);
    double t = 0, y = 1;
    EXPECT_EQ(Dop853Step(&t, &y, 1, 1e-8, 0, 0.1, 0), -1);
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(gOutTimes.size(), 1u);

    // An end closer than 2.3e-16: no step, one output, t set to the end.
    gOutTimes.clear();
    t = 0.5;
    EXPECT_EQ(Dop853Step(&t, &y, 0.5 + 1e-16, 1e-8, 1, 0.1, 0), 0);
    EXPECT_EQ(t, 0.5 + 1e-16);
    EXPECT_EQ(gOutTimes.size(), 1u);

    // Tolerances below 2.99e-15 behave as 2.99e-15.
    double yZero = 1, yFloor = 1;
    t = 0;
    Dop853Step(&t, &yZero, 1, 0, 1, 0.1, 0);
    t = 0;
    Dop853Step(&t, &yFloor, 1, 2.99e-15, 1, 0.1, 0);
    EXPECT_EQ(yZero, yFloor);

    // The output callback's nonzero answer ends the run at that point.
    gOutTimes.clear();
    gStopAfter = 3;
    gStopCode = 7;
    t = 0;
    y = 1;
    EXPECT_EQ(Dop853Step(&t, &y, 1, 1e-8, 0.1, 0.1, 0), 7);
    ASSERT_EQ(gOutTimes.size(), 3u);
    EXPECT_EQ(t, gOutTimes.back());
}

TEST_F(Dop853Test, RingKeepsOnlyTheLastDepthSteps) {
    Prepare(Constant, 1, 3);
    double t = 0, y = 0;
    // Steps of exactly 0.1 ("h max." bounds them): seven of them.
    ASSERT_EQ(Dop853Step(&t, &y, 0.7, 1e-8, 0.1, 0.1, 3), 0);
    ASSERT_EQ(gOutTimes.size(), 8u);
    struct Lookup {
        int which;
        double t;
        int rc;
    } lookups[] = {
        {0, 0.35, -1},   // fourth-last step
        {0, 0.45, 0},    // third-last
        {0, 0.7, 0},     // end of the newest
        {8, 0.5, -2},    // eighth derivative
        {7, 0.5, 0},     // seventh is the last one the polynomial has
        {-9, 0.5, -2},   // the range reaches order 8
        {-8, 0.5, 0},
    };
    for (const Lookup &l : lookups) {
        double out[9];
        EXPECT_EQ(Dop853Interpolate(l.which, l.t, out, nullptr), l.rc) << l.which << " " << l.t;
        if (l.rc == 0 && l.which == 0) {
            EXPECT_NEAR(out[0], l.t, 1e-12);
        }
    }
    double v[2];
    ASSERT_EQ(Dop853Interpolate(-2, 0.55, v, nullptr), 0);
    EXPECT_NEAR(v[1], 1, 1e-12);
    // A negative "h max." lets the oldest record extend backwards.
    t = 0.7;
    ASSERT_EQ(Dop853Step(&t, &y, 0.8, 1e-8, -0.1, 0.1, 3), 0);
    ASSERT_EQ(Dop853Interpolate(0, 0.2, v, nullptr), 0);
    EXPECT_NEAR(v[0], 0.2, 1e-12);
}

// 0/0 in the right-hand side with the faults masked: every error estimate is
// NaN, which must shrink the step until it fails instead of spinning.
TEST_F(Dop853Test, NotANumberEndsInBoundedTime) {
    std::fenv_t saved;
    std::feholdexcept(&saved);
    for (double t0 : {0.0, 1.0}) {
        Prepare(NotANumber, 1, 10, t0);
        gRhsCalls = 0;
        gOutTimes.clear();
        double t = t0, y = 1;
        int rc = Dop853Step(&t, &y, t0 + 1, 1e-8, 1, 0.1, 10);
        EXPECT_EQ(rc, -1);
        EXPECT_EQ(gOutTimes.size(), 1u);
        EXPECT_LT(gRhsCalls, 100000);
    }
    std::fesetenv(&saved);
}

#if defined(__SANITIZE_ADDRESS__)
size_t AllocatedBytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
size_t AllocatedBytes() { return 0; }
#endif

// Every allocation of the batch failing in turn: one report, result 0, and
// nothing left behind once the method is cleaned up.
TEST_F(Dop853Test, FailedAllocationReportsOnceAndLeaksNothing) {
    Dop853SetCallbacks(Growth, RecordOutput);
    Dop853Configure(3, 1, 5);
    const int allocations = 11 + 1 + 1;  // stages and argument, start times, the ring
    for (int k = 0; k < allocations; ++k) {
        SCOPED_TRACE(k);
        gRecorder.Reset();
        size_t before = AllocatedBytes();
        FailHeapAfter(k);
        gOutOfMemory = 0;
        EXPECT_EQ(Dop853Init(), 0);
        EXPECT_EQ(HeapFailuresServed(), 1);
        Dop853End();
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_NE(gRecorder.boxes[0].text.find("Not enough memory"), std::string::npos);
        gRecorder.Reset();
        EXPECT_EQ(AllocatedBytes(), before);
    }
    FailHeapAfter(allocations);
    gOutOfMemory = 0;
    EXPECT_NE(Dop853Init(), 0);
    EXPECT_TRUE(gRecorder.boxes.empty());
}

}  // namespace
