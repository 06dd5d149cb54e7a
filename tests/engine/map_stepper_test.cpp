#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "map_stepper.h"
#include "memory.h"
#include "platform_recorder.h"
#include "test_heap.h"

namespace {

struct Point {
    double n;
    std::vector<double> x;
};
std::vector<Point> gPoints;

int VR_PLUGIN_CALL Record(double n, const double *x) {
    gPoints.push_back({n, std::vector<double>(x, x + 2)});
    return 0;
}

void VR_PLUGIN_CALL Doubling(double, double *x, double *r) {
    r[0] = 2 * x[0];
    r[1] = x[1] + 1;
}

// Fibonacci through the history: x(n+1) = x(n) + x(n-1), with x(-1) = 0 from
// the initial function.
double VR_PLUGIN_CALL ZeroBeforeStart(int, double) { return 0; }
void VR_PLUGIN_CALL Fibonacci(double n, double *x, double *r) {
    double previous = 0;
    ASSERT_EQ(MapHistoryLookup(0, n - 1, &previous, ZeroBeforeStart), 0);
    r[0] = x[0] + previous;
    r[1] = n + 1;
}

class MapStepperTest : public ::testing::Test {
protected:
    void Prepare(int depth, MapRhs rhs) {
        retarded_ = depth;
        gPoints.clear();
        gRecorder.Reset();
        MapSetCallbacks(rhs, Record);
        MapConfigure(2, &retarded_);
        ASSERT_EQ(InitMapMethod(), 1);
        MapBeginTrajectory(0);
    }
    void TearDown() override {
        FreeMapHistory();
        FailHeapAfter(-1);
        gSolverMethod = SolverMethod{};
    }
    int retarded_ = 0;
};

TEST_F(MapStepperTest, DoublingMapGivesPowersOfTwoAndOutputsEveryIterate) {
    Prepare(0, Doubling);
    EXPECT_EQ(retarded_, 2);  // a map always keeps two states
    EXPECT_EQ(gSolverMethod.step, IterateMap);
    double n = 0, x[2] = {1, 0};
    EXPECT_EQ(IterateMap(&n, x, 10, 0, 0, 0, 1), 0);
    ASSERT_EQ(gPoints.size(), 11u);
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(gPoints[k].n, k);
        EXPECT_EQ(gPoints[k].x[0], std::ldexp(1.0, k));
    }
}

TEST_F(MapStepperTest, PowerAppliesTheMapSeveralTimesPerIterate) {
    Prepare(2, Doubling);
    double n = 0, x[2] = {1, 0};
    IterateMap(&n, x, 3, 0, 0, 0, 3);
    ASSERT_EQ(gPoints.size(), 4u);
    EXPECT_EQ(gPoints[1].n, 1);
    EXPECT_EQ(gPoints[1].x[0], 8);
    EXPECT_EQ(gPoints[3].x[0], 512);
    EXPECT_EQ(gPoints[3].x[1], 9);

    gPoints.clear();
    for (int power : {0, -1}) {  // no application; never a huge unsigned count
        double before = x[0];
        IterateMap(&n, x, n + 1, 0, 0, 0, power);
        EXPECT_EQ(x[0], before);
    }
}

TEST_F(MapStepperTest, DepthTwoAnswersTheLastTwoIteratesOnly) {
    Prepare(2, Doubling);
    double n = 0, x[2] = {1, 0};
    IterateMap(&n, x, 10, 0, 0, 0, 1);
    double v = 0;
    EXPECT_EQ(MapHistoryLookup(0, 10, &v, nullptr), 0);
    EXPECT_EQ(v, 1024);
    EXPECT_EQ(MapHistoryLookup(0, 9.7, &v, nullptr), 0);  // trunc(t)
    EXPECT_EQ(v, 512);
    EXPECT_EQ(MapHistoryLookup(0, 8, &v, nullptr), -1);
    EXPECT_EQ(MapHistoryLookup(0, 11, &v, nullptr), -1);
    EXPECT_EQ(MapHistoryLookup(0, NAN, &v, nullptr), -1);
    EXPECT_EQ(MapHistoryLookup(2, 10, &v, nullptr), -2);
    double both[2];
    EXPECT_EQ(MapHistoryLookup(-2, 10, both, nullptr), 0);
    EXPECT_EQ(both[0], 1024);
    EXPECT_EQ(both[1], 10);
    EXPECT_EQ(MapHistoryLookup(0, -3, &v, ZeroBeforeStart), 0);  // before the start
    EXPECT_EQ(v, 0);
}

TEST_F(MapStepperTest, FibonacciThroughTheHistoryIsExact) {
    Prepare(5, Fibonacci);
    double n = 0, x[2] = {1, 0};
    IterateMap(&n, x, 70, 0, 0, 0, 1);
    // x(k) = F(k + 1): 1, 1, 2, 3, 5, ...; every iterate exact up to F(71).
    double a = 0, b = 1;
    for (const Point &p : gPoints) {
        EXPECT_EQ(p.x[0], b) << p.n;
        double c = a + b;
        a = b;
        b = c;
    }
    EXPECT_EQ(gPoints.back().x[0], 308061521170129.0);
}

TEST_F(MapStepperTest, FailedAllocationReportsOnceAndLeavesNothing) {
    for (int fail = 0; fail < 4; ++fail) {
        gRecorder.Reset();
        retarded_ = 3;
        MapConfigure(2, &retarded_);
        gSolverMethod.cleanup = FreeMapHistory;
        FailHeapAfter(fail);
        EXPECT_EQ(InitMapMethod(), 0) << fail;
        EXPECT_EQ(gRecorder.boxes.size(), 1u) << fail;
        FailHeapAfter(-1);
        FreeMapHistory();  // LeakSanitizer checks the rest
    }
}

}  // namespace
