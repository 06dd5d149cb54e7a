// Plotting of run points on a recording surface: axis expressions mapped to
// the device, lines between consecutive points, Poincare crossings against
// a closed-form trajectory, map points, histograms and linked windows.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compiler.h"
#include "display_list.h"
#include "plotting.h"
#include "surface_double.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "run_control.h"
#include "run_engine.h"
#include "settings.h"
#include "solver_method.h"
#include "workspace.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class Calls : public SurfaceDouble {
public:
    std::vector<std::string> calls;
    void Add(const std::string &s) { calls.push_back(s); }
    void MoveTo(DcHandle dc, int32_t x, int32_t y) override {
        Add("move " + std::to_string(dc) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void LineTo(DcHandle dc, int32_t x, int32_t y) override {
        Add("line " + std::to_string(dc) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void SelectSolidPen(DcHandle, int32_t, int32_t) override {}
    void SelectStockPen(DcHandle) override {}
    void ScreenAspect(int *x, int *y) override { *x = *y = 1; }
    WindowId FindGraphWindow() override { return 0; }
    void ResizeClient(WindowId, int32_t, int32_t, int32_t, int32_t) override {}
};

// Two windows the fake host knows: 1 and 2.
GraphWindowState *gWindows[3];
GraphWindowState *StateOf(WindowId w) { return w < 3 ? gWindows[w] : nullptr; }
DcHandle DcOf(WindowId w) { return 10 * w; }
int gInvalidated;
void Invalidate(WindowId) { ++gInvalidated; }

// The trajectory x1 = cos t, x2 = sin t, exactly at every time.
int Circle(int which, double t, double *out, InitialFunctionFallback) {
    if (which != -2) return -2;
    out[0] = std::cos(t);
    out[1] = std::sin(t);
    return 0;
}

// A map's stored history: step k holds gHistory[k].
double gHistory[16];
int History(int which, double t, double *out, InitialFunctionFallback) {
    const int k = static_cast<int>(t);
    if (which != 0 || k < 0 || k >= 16) return -1;
    *out = gHistory[k];
    return 0;
}

std::vector<DisplayRecord> Records(const GraphWindowState *g) {
    std::vector<DisplayRecord> out;
    WalkDisplayList(g, [](const DisplayRecord &r, void *c) {
        static_cast<std::vector<DisplayRecord> *>(c)->push_back(r);
        return 0;
    }, &out);
    return out;
}

std::string Kinds(const std::vector<DisplayRecord> &records) {
    std::string s;
    for (const DisplayRecord &r : records) s += "EcPLp"[r.opcode];
    return s;
}

class Plotting : public ::testing::Test {
protected:
    GraphWindowState g{}, other{};
    Calls surface;
    double values[2] = {0, 0};
    unsigned used = 0;
    int ownDc = 0;

    void SetUp() override {
        gRecorder.Reset();
        ownDc = gOwnDc;
        gOwnDc = 0;
        gGraphSurface = SurfaceRecord(&surface);
        gPlotHost = PlotHost{};
        gPlotHost.stateOf = StateOf;
        gPlotHost.getDc = DcOf;
        gPlotHost.invalidate = Invalidate;
        gWindows[1] = &g;
        gWindows[2] = nullptr;
        gInvalidated = 0;
        for (GraphWindowState *s : {&g, &other}) {
            s->xMin = s->yMin = 0;
            s->xMax = s->yMax = 10;
            s->clientMaxX = s->clientMaxY = 100;
            s->frequency = 1;
            s->continuousLine = 1;
            s->capture = -1;
            s->displayPenWidth = -1;
            s->drawingColor = 0xFF;
            s->drawingWidth = 1;
            s->crossingError = 1e-12;
            SetDefaultViewPoint(s->viewPoint);
        }
    }
    void TearDown() override {
        FreeGraphState(&g);
        FreeGraphState(&other);
        gGraphSurface = GraphSurface{};
        gPlotHost = PlotHost{};
        gCurrentGraph = nullptr;
        gSolverMethod = SolverMethod{};
        gOwnDc = ownDc;
        gOutputValues = nullptr;
        gAxisCode[0] = gAxisCode[1] = nullptr;
        gConditionCode = nullptr;
        FreeProblemWorkspace();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gOutputStep = 0.1;
        gScanBegin = gScanEnd = 0;
    }
    void MakeProblem(int kind, unsigned n, const char *xAxis, const char *yAxis, const char *condition = nullptr) {
        gProblemKind = kind;
        gDimension = n;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        used = 0;
        for (unsigned i = 0; i < n; ++i) gEquationCode[i] = Compile(kind == kMap ? "0.5*x" : "0");
        g.axisCode[0] = Compile(xAxis);
        g.axisCode[1] = Compile(yAxis);
        if (condition) g.conditionCode = Compile(condition);
        gOutputValues = values;
        gInitialTime = 0;
    }
    PcodeProgram *Compile(const char *text) {
        unsigned char *at = gPcodeBuffer + used;
        const int length = CompileExpression(text, at, static_cast<int>(gPcodeLength - used));
        EXPECT_GT(length, 0) << text;
        used += length;
        return reinterpret_cast<PcodeProgram *>(at);
    }
    int Ode(double t, int first = 0) {
        gCurrentGraph = &g;
        gOutputTime = t;
        Circle(-2, t, values, nullptr);
        gVariables[0] = values[0];  // as the run engine leaves them
        gVariables[1] = values[1];
        return PlotOdePoint(1, RunPoint{t, values, first});
    }
    int Map(double t, double x, int first = 0) {
        gCurrentGraph = &g;
        gOutputTime = t;
        values[0] = x;
        if (t >= 0 && t < 16) gHistory[static_cast<int>(t)] = x;
        return PlotMapPoint(1, RunPoint{t, values, first});
    }
};

TEST_F(Plotting, OdePointsAreMappedAndJoinedByLinesIntoTheContextAndTheList) {
    MakeProblem(kOdeSystem, 2, "t", "5 + 5*x[1]");
    Ode(0, 1);
    for (double t : {0.0, 1.0, 2.0}) ASSERT_EQ(Ode(t), 0);
    // x = t, y = 5 + 5 cos t on a 10 x 10 range of 100 pixels.
    const std::vector<std::string> expected = {
        "move 10 0 0", "line 10 1 1",  // the first point: one pixel
        "move 10 0 0", "line 10 10 " + std::to_string(int(100 - 10 * (5 + 5 * std::cos(1.0)))),
        "move 10 10 " + std::to_string(int(100 - 10 * (5 + 5 * std::cos(1.0)))),
        "line 10 20 " + std::to_string(int(100 - 10 * (5 + 5 * std::cos(2.0))))};
    EXPECT_EQ(surface.calls, expected);
    const std::vector<DisplayRecord> r = Records(&g);
    ASSERT_EQ(Kinds(r), "pPLL");
    EXPECT_EQ(r[0].color, 0xFF);
    EXPECT_EQ(r[3].x, 2);
    EXPECT_EQ(r[3].y, float(5 + 5 * std::cos(2.0)));
}

TEST_F(Plotting, FrequencyLetsEveryThirdPointThroughAndZeroNone) {
    MakeProblem(kOdeSystem, 2, "t", "0");
    g.frequency = 3;
    Ode(0, 1);
    for (int t = 0; t < 7; ++t) Ode(t);
    std::vector<DisplayRecord> r = Records(&g);
    ASSERT_EQ(Kinds(r), "pPLL");
    EXPECT_EQ(r[1].x, 0);
    EXPECT_EQ(r[2].x, 3);
    EXPECT_EQ(r[3].x, 6);

    g.frequency = 0;
    Ode(7);
    EXPECT_EQ(Records(&g).size(), 4u);
}

// x2 = sin t rises through 0 at 2 pi: the section finds it to the tolerance
// and plots the interpolated state there, (cos, sin) = (1, 0).
TEST_F(Plotting, PoincareSectionPlotsTheStateAtTheExactCrossing) {
    MakeProblem(kOdeSystem, 2, "5 + 4*x[1]", "5 + 4*x[2]", "x[2]");
    gSolverMethod.interpolate = Circle;
    g.increasing = 1;
    g.poincareSection = 1;
    g.continuousLine = 0;
    Ode(0, 1);
    std::vector<double> crossings;
    for (double t = 0; t < 13.5; t += 0.5) {
        ASSERT_EQ(Ode(t), 0) << t;
        if (Records(&g).size() > crossings.size() + 1) crossings.push_back(g.crossingTime);
    }
    ASSERT_EQ(crossings.size(), 2u);  // 2 pi and 4 pi; 0 is the first point
    // The search stops within its tolerance plus 2.4e-7 relative.
    EXPECT_NEAR(crossings[0], 2 * kPi, 2.4e-7 * 2 * kPi);
    EXPECT_NEAR(crossings[1], 4 * kPi, 2.4e-7 * 4 * kPi);
    EXPECT_EQ(gTrajectoryValue, g.crossingTime);
    const std::vector<DisplayRecord> r = Records(&g);
    ASSERT_EQ(Kinds(r), "pPP");
    EXPECT_NEAR(r[1].x, 9, 1e-5);
    EXPECT_NEAR(r[1].y, 5, 1e-5);
}

TEST_F(Plotting, OnlyTheChosenDirectionCountsAndWithoutASectionEveryPointIsDrawn) {
    MakeProblem(kOdeSystem, 2, "t", "0", "x[2]");
    gSolverMethod.interpolate = Circle;
    g.decreasing = 1;
    Ode(0, 1);
    gTrajectoryValue = -1;
    // sin falls through 0 at pi only.
    for (double t = 0; t < 6; t += 0.5) Ode(t);
    EXPECT_NEAR(g.crossingTime, kPi, 2.4e-7 * kPi);
    EXPECT_EQ(gTrajectoryValue, g.crossingTime);
    EXPECT_EQ(Records(&g).size(), 13u);  // pen + all 12 points
}

TEST_F(Plotting, ACrossingThatCannotBeLocatedEndsThePointWithMinusSeven) {
    // Without the method's states the condition is constant between points.
    MakeProblem(kOdeSystem, 2, "t", "0", "x[2]");
    g.increasing = 1;
    Ode(0, 1);
    Ode(6);
    EXPECT_EQ(Ode(6.5), -7);
}

TEST_F(Plotting, MapPointsAreDotsAndAHistogramCountsInsteadOfDrawing) {
    MakeProblem(kMap, 1, "n", "x");
    g.continuousLine = 0;
    Map(0, 1, 1);
    for (int n = 0; n < 3; ++n) Map(n, n + 1);
    EXPECT_EQ(Kinds(Records(&g)), "pPPP");

    FreeDisplayList(&g);
    g.histogramPeriod = 2;
    gOutputStep = 0;
    g.clientMaxX = 100;
    Map(0, 0, 1);
    // "Step" 0: the scan range becomes the window's x range, one pixel wide.
    EXPECT_EQ(gScanBegin, 0);
    EXPECT_EQ(gScanEnd, 10);
    EXPECT_DOUBLE_EQ(gOutputStep, 0.1);
    EXPECT_EQ(g.histogramBins, 101);
    for (int n : {0, 5, 5, 10}) Map(n, 0);
    EXPECT_EQ(g.histogramCounts[0], 1u);
    EXPECT_EQ(g.histogramCounts[50], 2u);
    EXPECT_EQ(gInvalidated, 2);
    EXPECT_TRUE(Records(&g).empty());
}

TEST_F(Plotting, AverageRunsOverTheVerticalCoordinateFromTheFirstValue) {
    MakeProblem(kMap, 1, "n", "x");
    g.average = 1;
    gFirstValue = 0;
    Map(0, 0, 1);
    for (int n = 0; n < 3; ++n) Map(n, 2 * (n + 1));
    const std::vector<DisplayRecord> r = Records(&g);
    ASSERT_EQ(Kinds(r), "pPLL");
    EXPECT_EQ(r[1].y, 2);  // 2 / 1
    EXPECT_EQ(r[2].y, 3);  // (2 + 4) / 2
    EXPECT_EQ(r[3].y, 4);  // (2 + 4 + 6) / 3
    EXPECT_EQ(r[3].x, 2);
}

TEST_F(Plotting, HistogramBinsLeaveOutTheEndAndTakeTheBegin) {
    struct Case { double v, begin, end; int bin; };
    const Case cases[] = {
        {0, 0, 10, 0}, {9.999, 0, 10, 9}, {10, 0, 10, -1}, {-0.1, 0, 10, -1},
        {10, 10, 0, 0}, {0, 10, 0, -1}, {0.001, 10, 0, 9}, {NAN, 0, 10, -1}};
    for (const Case &c : cases) EXPECT_EQ(HistogramBin(c.v, c.begin, c.end, 10), c.bin) << c.v << " " << c.begin;
}

TEST_F(Plotting, TheDirectGraphDrawsAStaircaseThroughTheDiagonal) {
    MakeProblem(kMap, 1, "n", "x");
    gSolverMethod.interpolate = History;
    g.directPower = 1;
    gMapPower = 1;
    Map(0, 8, 1);
    // The map's graph y = x / 2 over the pixels, then the diagonal.
    std::vector<DisplayRecord> r = Records(&g);
    ASSERT_EQ(r.size(), 1u + 101 + 2);
    EXPECT_EQ(r[101].x, 10);
    EXPECT_EQ(r[101].y, 5);
    EXPECT_EQ(r[103].opcode, kDisplayLine);
    FreeDisplayList(&g);
    for (int n = 0; n < 4; ++n) Map(n, 8 / std::pow(2, n));
    r = Records(&g);
    // (8, yMin), then (8, 4) straight up, then (4, 4) on the diagonal and
    // (4, 2), then (2, 2) and (2, 1).
    ASSERT_EQ(Kinds(r), "pPLLLLL");
    const double expected[][2] = {{8, 0}, {8, 4}, {4, 4}, {4, 2}, {2, 2}, {2, 1}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r[i + 1].x, expected[i][0]) << i;
        EXPECT_EQ(r[i + 1].y, expected[i][1]) << i;
    }
}

TEST_F(Plotting, LinkedWindowsReceiveThePointsAndAClosedOneIsForgotten) {
    MakeProblem(kOdeSystem, 2, "t", "1");
    gWindows[2] = &other;
    other.xMax = 20;  // a range of its own
    gCurrentGraph = &other;
    UpdateGraphMapping();
    g.linkedWindow = 2;
    Ode(0, 1);
    Ode(0);
    Ode(2);
    EXPECT_TRUE(Records(&g).empty());
    EXPECT_EQ(Kinds(Records(&other)), "pPPL");
    EXPECT_EQ(surface.calls[0], "move 20 0 90");
    EXPECT_EQ(surface.calls.back(), "line 20 10 90");  // t = 2 of 20
    EXPECT_EQ(g.xMax, 10);

    gWindows[2] = nullptr;
    Ode(3);
    EXPECT_EQ(g.linkedWindow, 0u);
    EXPECT_EQ(Records(&g).size(), 2u);
}

}  // namespace
