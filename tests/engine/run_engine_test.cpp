#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compiler.h"
#include "eval_errors.h"
#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "run_control.h"
#include "run_engine.h"
#include "run_host.h"
#include "settings.h"
#include "solver_method.h"
#include "string_ids.h"
#include "workspace.h"

namespace {

// ---- A recording host: two children (a graph and a text window) and a
// third child of another kind, a scripted message queue and a clock that
// only moves when a test moves it.

struct PointRecord {
    int kind;  // RunChildKind
    int first;
    double t;
    double x;
    double nx, ny, tp;
};

struct FakeHost {
    std::vector<std::string> log;
    std::vector<PointRecord> points;
    std::vector<int> pumpScript;  // results of pumpOne, then kPumpEmpty
    size_t pumpAt = 0;
    unsigned tick = 1000;
    std::vector<unsigned> timers;  // milliseconds of each pause timer
    int waits = 0;
    std::function<void()> onWait;   // a message arrives while paused
    std::function<void()> onPoint;  // after each point reaches the graph
    std::string status;
    int compileResult = 1;
};

FakeHost *host;
int kGraphWindow, kTextWindow, kOtherWindow;

void Log(const std::string &s) { host->log.push_back(s); }

void FakeChildren(RunChildProc proc, int arg) {
    proc(&kGraphWindow, arg);
    proc(&kOtherWindow, arg);
    proc(&kTextWindow, arg);
}
int FakeKind(void *w) {
    return w == &kGraphWindow ? kRunChildGraph : w == &kTextWindow ? kRunChildText : kRunChildOther;
}
void Record(int kind, int first) {
    host->points.push_back({kind, first, gOutputTime, gOutputValues ? gOutputValues[0] : 0, gFamilyX,
                            gFamilyY, gTrajectoryValue});
}
void FakePlotOde(void *, const RunPoint *p) {
    Record(kRunChildGraph, p->first);
    if (!p->first && host->onPoint) host->onPoint();
}
void FakeTextOde(void *, const RunPoint *p) { Record(kRunChildText, p->first); }

void InstallFakeHost(FakeHost *h) {
    host = h;
    gRunHost = RunHost{};
    gRunHost.lockUi = [] { Log("lock"); };
    gRunHost.unlockUi = [] { Log("unlock"); };
    gRunHost.compileProblem = [] {
        Log("compile");
        return host->compileResult;
    };
    gRunHost.setThreadPriority = [](int p) { Log("priority " + std::to_string(p)); };
    gRunHost.processorCount = [] { return 4; };
    gRunHost.setIdealProcessor = [](int p) { Log("processor " + std::to_string(p)); };
    gRunHost.tickCount = [] { return host->tick; };
    gRunHost.startPauseTimer = [](unsigned ms) -> unsigned {
        host->timers.push_back(ms);
        return kPauseTimerId;
    };
    gRunHost.killPauseTimer = [](unsigned id) { Log("kill " + std::to_string(id)); };
    gRunHost.pumpOne = [] {
        return host->pumpAt < host->pumpScript.size() ? host->pumpScript[host->pumpAt++] : int{kPumpEmpty};
    };
    gRunHost.waitMessage = [] {
        ++host->waits;
        if (host->onWait) host->onWait();
        else EndPause();  // the timer fires
    };
    gRunHost.setStatusText = [](const char *text) { host->status = text; };
    gRunHost.getStatusText = [](char *buffer, int size) { std::snprintf(buffer, size, "%s", host->status.c_str()); };
    gRunHost.forEachChild = FakeChildren;
    gRunHost.childKind = FakeKind;
    gRunHost.plotOdePoint = FakePlotOde;
    gRunHost.plotMapPoint = FakePlotOde;
    gRunHost.addTextOdePoint = FakeTextOde;
    gRunHost.addTextMapPoint = FakeTextOde;
    gRunHost.textWindowFiles = [](void *w, int close) {
        if (w == &kTextWindow) Log(close ? "files closed" : "files opened");
    };
    gRunHost.beginPlotterOutput = [] { Log("plotter begin"); };
    gRunHost.endPlotterOutput = [] { Log("plotter end"); };
    gRunHost.postExit = [] { Log("exit"); };
}

// ---- A scripted stepping method: fixed steps of `size` towards the target,
// with x = t all along so that every value can be checked against its time.

struct StepCall {
    double t, target, h;
};

struct FakeMethod {
    double size = 0.3;
    int result = 0;                         // returned when the target is reached
    std::vector<StepCall> calls;
    std::vector<double> stepEnds;           // every step end handed to the callback
    std::vector<std::pair<double, double>> lookups;  // (time, end of the step in progress)
    std::function<void(double)> duringStep;  // runs in the middle of each step
    int cleanups = 0;
    double stepEnd = 0;
    int lookupResult = 0;
};
FakeMethod *method;

int FakeStep(double *t, double *y, double target, double, double, double h, int) {
    method->calls.push_back({*t, target, h});
    method->stepEnd = *t;
    if (int rc = OdeOutputCallback(*t, y)) return rc;
    const double v = target > *t ? 1 : -1;
    while ((target - *t) * v > 0) {
        double next = *t + v * method->size;
        if ((next - target) * v > 0) next = target;
        if (method->duringStep) method->duringStep(next);
        *t = next;
        y[0] = next;
        method->stepEnd = next;
        method->stepEnds.push_back(next);
        if (int rc = OdeOutputCallback(*t, y)) return rc;
    }
    return method->result;
}

int FakeInterpolate(int which, double t, double *out, InitialFunctionFallback) {
    method->lookups.push_back({t, method->stepEnd});
    for (int k = 0; k < -which; ++k) out[k] = t;
    return method->lookupResult;
}

int FakeInit() { return 1; }
void FakeCleanup() { ++method->cleanups; }

class RunEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        InstallFakeHost(&fakeHost_);
        method = &fakeMethod_;
        MakeWorkspace(kOdeSystem, 1);
        ResetProblemSettings();
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gLastValue = 1;
        gInterpolate = 1;
        gRetardedPoints = 10;
        gOutputStep = 0.25;
        gInfinityWarning = 0;
        UseFakeMethod();
        gRunState = RunState{};
    }
    void TearDown() override {
        gRunHost = RunHost{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        gRunState = RunState{};
        gExitAfterRun = 0;
        gUseInitialFunctions = 0;
        gCollectiveDelayedCount = 0;
        gCollectiveDelayedName = DelayedValueName{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gSolverMethod = SolverMethod{};
    }
    void MakeWorkspace(int kind, unsigned n) {
        gProblemKind = kind;
        gDimension = n;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        gInitialTime = 0;
        for (unsigned i = 0; i < n; ++i) gInitialValues[i] = 0;
        used_ = 0;
    }
    void UseFakeMethod() {
        gSolverMethod = SolverMethod{FakeInterpolate, FakeStep, FakeInit, FakeCleanup};
        gMethodReady = 1;
    }
    unsigned char *Compile(const char *text) {
        unsigned char *at = gPcodeBuffer + used_;
        int length = CompileExpression(text, at, static_cast<int>(gPcodeLength - used_));
        EXPECT_GT(length, 0) << text << " error " << gEvalError;
        used_ += length;
        return at;
    }
    // Start (501) clears canContinue first; Continue (503) keeps it.
    void Start() {
        gRunState.canContinue = 0;
        StartSolving();
    }
    std::vector<PointRecord> GraphPoints(int first = 0) const {
        std::vector<PointRecord> out;
        for (const PointRecord &p : fakeHost_.points)
            if (p.kind == kRunChildGraph && p.first == first) out.push_back(p);
        return out;
    }
    std::vector<double> GraphTimes() const {
        std::vector<double> out;
        for (const PointRecord &p : GraphPoints()) out.push_back(p.t);
        return out;
    }
    bool Logged(const std::string &s) const {
        for (const std::string &l : fakeHost_.log)
            if (l == s) return true;
        return false;
    }
    FakeHost fakeHost_;
    FakeMethod fakeMethod_;
    unsigned used_ = 0;
};

// ---- Output marks and the final point.

TEST_F(RunEngineTest, MarksFallStrictlyInsideEachStepAndTheFinalPointComesOnce) {
    struct Case {
        double step, size;
        std::vector<double> times;
    } cases[] = {
        {0.25, 0.3, {0, 0.25, 0.5, 0.75, 1}},
        {0.1, 0.3, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1}},
        {0.5, 0.25, {0, 0.5, 1}},
    };
    for (const Case &c : cases) {
        fakeHost_.points.clear();
        fakeMethod_ = FakeMethod{};
        fakeMethod_.size = c.size;
        gOutputStep = c.step;
        Start();
        std::vector<double> times = GraphTimes();
        ASSERT_EQ(times.size(), c.times.size()) << c.step;
        for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], c.times[i], 1e-15) << c.step;
        EXPECT_EQ(times.back(), 1.0);
        // Every mark was interpolated inside a step that had passed it.
        for (auto &l : fakeMethod_.lookups) {
            if (l.first == 1) continue;  // the final point, at the end itself
            EXPECT_LT(l.first, l.second) << c.step;
            EXPECT_GT(l.first, l.second - c.size - 1e-12) << c.step;
        }
        // Values match their times; text windows get the same points.
        for (const PointRecord &p : GraphPoints()) EXPECT_EQ(p.x, p.t);
        size_t textPoints = 0;
        for (const PointRecord &p : fakeHost_.points) textPoints += p.kind == kRunChildText && !p.first;
        EXPECT_EQ(textPoints, times.size());
        ASSERT_EQ(GraphPoints(1).size(), 1u);
        EXPECT_EQ(GraphPoints(1)[0].t, 0);
    }
}

TEST_F(RunEngineTest, BackwardRunsMirrorLastAndFirstValue) {
    gBackward = 1;
    gLastValue = 10;
    gOutputStep = 1;
    fakeMethod_.size = 0.7;
    Start();
    ASSERT_FALSE(fakeMethod_.calls.empty());
    EXPECT_EQ(fakeMethod_.calls[0].target, -10);
    EXPECT_LT(fakeMethod_.calls[0].h, 0);
    EXPECT_EQ(gTime, -10);
    std::vector<double> times = GraphTimes();
    ASSERT_EQ(times.size(), 11u);
    EXPECT_EQ(times.front(), 0);
    EXPECT_EQ(times.back(), -10);

    fakeHost_.points.clear();
    gFirstValue = 2;
    Start();
    times = GraphTimes();
    ASSERT_EQ(times.size(), 9u);
    EXPECT_EQ(times.front(), -2);
    EXPECT_EQ(times.back(), -10);
    EXPECT_EQ(gTrajectoryValue, -2);  // tp: the first output mark
}

// Without interpolation each step's end goes out once with its own time,
// from the history when there is one, else from the step's values; the
// final point is not repeated.
TEST_F(RunEngineTest, WithoutInterpolationEveryStepEndGoesOutOnce) {
    for (unsigned retarded : {10u, 0u}) {
        fakeHost_.points.clear();
        fakeMethod_ = FakeMethod{};
        gInterpolate = 0;
        gRetardedPoints = retarded;
        Start();
        std::vector<double> want = retarded ? std::vector<double>{0, 0.3, 0.6, 0.9, 1}
                                            : std::vector<double>{0.3, 0.6, 0.9, 1};
        std::vector<double> times = GraphTimes();
        ASSERT_EQ(times.size(), want.size()) << retarded;
        for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(times[i], want[i], 1e-15);
        for (const PointRecord &p : GraphPoints()) EXPECT_EQ(p.x, p.t);
    }
}

TEST_F(RunEngineTest, NoHistoryTurnsInterpolationOffForDifferentialEquations) {
    gRetardedPoints = 0;
    gInterpolate = 1;
    Start();
    EXPECT_EQ(gInterpolate, 0);
    EXPECT_TRUE(fakeMethod_.lookups.empty());
}

// ---- Discontinuities, Delay, Step 0.

TEST_F(RunEngineTest, DiscontinuitiesAreTargetsInTurnAndTrailingBlanksEndTheList) {
    struct Case {
        const char *text;
        double delay;
        int backward;
        std::vector<double> targets;
    } cases[] = {
        {"1 2 3 ", 0, 0, {1, 2, 3, 5}},
        {"3 1 2", 0, 0, {3, 5}},          // targets behind t are passed over
        {"0.5 x 2", 0, 0, {0.5, 5}},      // no number: the end of the list
        {"2", 1.5, 0, {2, 3.5, 5}},       // then t + Delay
        {"-1 -2 1", 0, 1, {-1, -2, -5}},  // backward: ahead means smaller
        {"", 2, 1, {-2, -4, -6}},         // Delay goes with the direction
        {"", NAN, 0, {5}},                // a Delay that cannot move t
    };
    for (const Case &c : cases) {
        fakeMethod_ = FakeMethod{};
        fakeMethod_.size = 0.4;
        SetNonEmptyStringCopy(gDiscontinuities, c.text);
        gDelay = c.delay;
        gBackward = c.backward;
        gLastValue = 5;
        Start();
        std::vector<double> targets;
        for (const StepCall &s : fakeMethod_.calls) targets.push_back(s.target);
        EXPECT_EQ(targets, c.targets) << c.text;
    }
}

TEST_F(RunEngineTest, AStepThatCannotMoveTheMarkStillEnds) {
    for (double step : {0.0, 1e-300}) {
        fakeHost_.points.clear();
        fakeMethod_ = FakeMethod{};
        gOutputStep = step;
        gInitialTime = 1e6;
        gInitialValues[0] = 1e6;
        gLastValue = 1e6 + 1;
        fakeMethod_.size = 0.25;
        Start();
        std::vector<double> times = GraphTimes();
        ASSERT_GE(times.size(), 4u) << step;
        EXPECT_EQ(times.back(), 1e6 + 1);
        for (size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << step;
    }
    gInitialTime = 0;
}

TEST_F(RunEngineTest, StopIsHeardWhileManyMarksFallInOneStep) {
    gOutputStep = 1e-9;
    fakeMethod_.size = 1;
    int seen = 0;
    fakeHost_.onPoint = [&] {
        if (++seen == 100) gRunState.stopRequested = 1;
    };
    Start();
    EXPECT_EQ(seen, 101);  // and the final point, since the step reached the end
}

// Boundary conditions: the shooting's trial runs hand nothing to the
// windows, the status line says what is going on, and the trajectory then
// starts from the corrected x0.
TEST_F(RunEngineTest, ShootingRunsToThePointWithoutOutput) {
    gShootingIterations = 3;
    gBoundaryPoint = 0.5;
    fakeHost_.status = "ready";
    static std::vector<std::string> during;
    during.clear();
    void (*shooting)() = gSolveBoundaryConditions;
    gSolveBoundaryConditions = [] {
        during.push_back(host->status);
        gVariables[0] = gInitialValues[0];
        RunToBoundaryPoint();
        during.push_back(std::to_string(host->points.size()) + " points, t = " + std::to_string(gTime));
        gInitialValues[0] = 0.125;
    };
    Start();
    gSolveBoundaryConditions = shooting;
    std::vector<std::string> want = {"Computing boundary conditions. ESC to abort",
                                     "0 points, t = 0.500000"};
    EXPECT_EQ(during, want);
    EXPECT_EQ(fakeHost_.status, "ready");
    EXPECT_EQ(gRunState.boundaryStatusShown, 0);
    ASSERT_EQ(GraphPoints(1).size(), 1u);
    EXPECT_EQ(GraphPoints(1)[0].x, 0.125);  // the corrected initial value
    EXPECT_EQ(GraphTimes().back(), 1);
}

TEST_F(RunEngineTest, StartDuringARunIsIgnored) {
    int points = 0;
    fakeHost_.onPoint = [&] {
        ++points;
        StartSolving();
    };
    Start();
    EXPECT_EQ(points, 5);
    EXPECT_EQ(fakeMethod_.calls.size(), 1u);
}

// ---- Families.

TEST_F(RunEngineTest, FamilyRunsInOrderAndContinueRestartsTheInterruptedMember) {
    gPhaseXMin = 0, gPhaseXMax = 1, gPhaseYMin = 0, gPhaseYMax = 2;
    Start();
    std::vector<std::pair<double, double>> members;
    for (const PointRecord &p : GraphPoints(1)) members.push_back({p.nx, p.ny});
    std::vector<std::pair<double, double>> all = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
    EXPECT_EQ(members, all);
    for (const PointRecord &p : GraphPoints()) EXPECT_EQ(p.x, p.t);  // each member from x0

    fakeHost_.points.clear();
    fakeHost_.onPoint = [] {
        if (gFamilyX == 1 && gFamilyY == 2 && gOutputTime >= 0.5) gRunState.stopRequested = 1;
    };
    Start();
    EXPECT_EQ(GraphPoints(1).size(), 6u);
    EXPECT_EQ(GraphTimes().back(), 0.5);
    EXPECT_EQ(gRunState.canContinue, 1);

    fakeHost_.points.clear();
    fakeHost_.onPoint = nullptr;
    StartSolving();  // Continue
    ASSERT_EQ(GraphPoints(1).size(), 1u);
    EXPECT_EQ(GraphPoints(1)[0].nx, 1);
    EXPECT_EQ(GraphPoints(1)[0].ny, 2);
    EXPECT_EQ(GraphTimes().front(), 0);  // from its initial point
    EXPECT_EQ(GraphTimes().back(), 1);
}

TEST_F(RunEngineTest, ASingleTrajectoryContinuesFromItsCurrentPoint) {
    gLastValue = 5;
    gOutputStep = 1;
    fakeMethod_.size = 0.5;
    fakeHost_.onPoint = [] {
        if (gOutputTime >= 2) gRunState.stopRequested = 1;
    };
    Start();
    EXPECT_EQ(GraphTimes().back(), 2);
    fakeHost_.onPoint = nullptr;
    fakeMethod_.calls.clear();
    fakeHost_.points.clear();
    StartSolving();  // Continue
    ASSERT_FALSE(fakeMethod_.calls.empty());
    EXPECT_EQ(fakeMethod_.calls[0].t, 2.5);  // where the stopped step ended
    EXPECT_TRUE(GraphPoints(1).empty());     // no new curve
    EXPECT_EQ(GraphTimes().front(), 3);
    EXPECT_EQ(GraphTimes().back(), 5);

    // A larger "Last value" extends the finished trajectory.
    fakeHost_.points.clear();
    gLastValue = 7;
    StartSolving();
    EXPECT_EQ(GraphTimes().front(), 6);
    EXPECT_EQ(GraphTimes().back(), 7);
}

// ---- Step results.

TEST_F(RunEngineTest, StepResultsAreReportedByTheirBand) {
    struct Case {
        int rc;
        int id;  // 0: silent
        const char *text;
    } cases[] = {
        {-1001, 0, ""},
        {-5000, 0, ""},
        {-1000, IDS_CODE_DLL_ERROR, "Code DLL error -1000"},
        {-101, IDS_CODE_DLL_ERROR, "Code DLL error -101"},
        {-35, 10281, nullptr},
        {-10, IDS_ARGUMENT_DOMAIN_ERROR, "Argument domain error"},
        {-9, IDS_INVALID_CODE, "Invalid code"},
        {-1, IDS_STEP_TOO_SMALL, "Step too small"},
    };
    for (const Case &c : cases) {
        gRecorder.Reset();
        fakeHost_.points.clear();
        fakeMethod_ = FakeMethod{};
        fakeMethod_.result = c.rc;
        gLastValue = 1;
        Start();
        if (!c.id) {
            EXPECT_TRUE(gRecorder.boxes.empty()) << c.rc;
        } else {
            ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.rc;
            EXPECT_EQ(gRecorder.boxes[0].helpId, c.id) << c.rc;
            if (c.text) {
                EXPECT_EQ(gRecorder.boxes[0].text, c.text) << c.rc;
            }
        }
        // A failed step ends the trajectory without the final point.
        EXPECT_LT(GraphTimes().size(), 5u) << c.rc;
    }
}

// A failed lookup of an output value reads as rc - 3: "not stored" (-1) is
// "Argument out of range", a bad index (-2) "Order too high".
TEST_F(RunEngineTest, FailedOutputLookupsAreReportedShiftedByThree) {
    for (int r : {-1, -2}) {
        gRecorder.Reset();
        fakeMethod_ = FakeMethod{};
        fakeMethod_.lookupResult = r;
        Start();
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        EXPECT_EQ(gRecorder.boxes[0].helpId, r == -1 ? IDS_ARGUMENT_OUT_OF_RANGE : IDS_ORDER_TOO_HIGH);
    }
}

TEST_F(RunEngineTest, InfinityEndsTheTrajectoryAndWarnsOnlyWhenAsked) {
    gInfinityLimit = 0.5;
    gPhaseYMax = 1;  // two members: the second runs after the first ended
    for (int warn : {0, 1}) {
        gRecorder.Reset();
        fakeHost_.points.clear();
        gInfinityWarning = warn;
        Start();
        EXPECT_EQ(gRecorder.boxes.size(), warn ? 2u : 0u);
        if (warn) {
            EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_INFINITY_REACHED);
        }
        EXPECT_EQ(GraphPoints(1).size(), 2u);
        for (const PointRecord &p : GraphPoints()) EXPECT_LT(p.t, 0.75);
    }
}

TEST_F(RunEngineTest, CancelInAnErrorBoxStopsTheWholeRun) {
    gPhaseXMax = 2;
    fakeMethod_.result = -1;
    Start();
    EXPECT_EQ(gRecorder.boxes.size(), 3u);  // each member reports, the family goes on

    gRecorder.Reset();
    gRecorder.answers = {kIdCancel};
    fakeHost_.points.clear();
    Start();
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(GraphPoints(1).size(), 1u);
}

// ---- Pauses, the pump, pacing.

TEST_F(RunEngineTest, PausesUseTimer117AndStopEndsAPauseAtOnce) {
    gPauseSetting = 5;
    fakeHost_.status = "before";
    Start();
    // One pause per point after the first, each ended by its timer.
    EXPECT_EQ(fakeHost_.timers, std::vector<unsigned>(4, 500u));
    EXPECT_EQ(fakeHost_.waits, 4);
    EXPECT_TRUE(Logged("kill 117"));
    EXPECT_EQ(fakeHost_.status, "before");
    EXPECT_EQ(gRunState.pauseArmed, 0);

    // Waiting for a key: a stop arriving during the wait ends the pause.
    fakeHost_ = FakeHost{};
    fakeHost_.status = "before";
    gPauseSetting = -3;
    fakeHost_.onWait = [] {
        EXPECT_EQ(host->status, "Press any key to continue");
        if (host->waits == 3) gRunState.stopRequested = 1;
    };
    Start();
    EXPECT_EQ(fakeHost_.waits, 3);
    EXPECT_TRUE(fakeHost_.timers.empty());
    EXPECT_EQ(gRunState.pauseArmed, 0);
    EXPECT_EQ(fakeHost_.status, "before");
    EXPECT_EQ(GraphTimes().size(), 2u);
    EXPECT_TRUE(Logged("unlock"));
}

TEST_F(RunEngineTest, NoTimerNoPause) {
    gPauseSetting = 1;
    gRunHost.startPauseTimer = [](unsigned) -> unsigned { return 0; };
    gRecorder.defaultAnswer = kIdOk;
    Start();
    EXPECT_EQ(gRecorder.boxes.size(), 4u);
    EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_NO_TIMER);
    EXPECT_EQ(fakeHost_.waits, 0);
}

TEST_F(RunEngineTest, AQuitMessageStopsTheRun) {
    fakeHost_.pumpScript = {kPumpDispatched, kPumpDispatched, kPumpEmpty, kPumpQuit};
    Start();
    EXPECT_EQ(fakeHost_.pumpAt, 4u);
    EXPECT_LT(GraphTimes().size(), 5u);
    EXPECT_EQ(gRunState.stopRequested, 1);
    EXPECT_TRUE(Logged("unlock"));
}

// The host shows the output in batches: it is asked at every pump, and
// told to show everything before a pause waits and at the end of the run,
// after the last point and the pause's own status text, before the unlock.
// The queue is looked at only when the host says it is due, except in a
// pause.
TEST_F(RunEngineTest, OutputIsFlushedAtEveryPumpBeforeAWaitAndAtTheEndAndThePumpLooksWhenDue) {
    gRunHost.flushRunOutput = [](int final) { Log(final ? "flush final" : "flush"); };
    gRunHost.messagesDue = [] { return 0; };
    fakeHost_.pumpScript = {kPumpQuit};
    Start();
    EXPECT_EQ(fakeHost_.pumpAt, 0u);  // the quit waits for the host's time
    EXPECT_EQ(GraphTimes().size(), 5u);
    int flushes = 0;
    for (const std::string &l : fakeHost_.log) flushes += l == "flush";
    EXPECT_GE(flushes, 5);
    std::vector<std::string> tail(fakeHost_.log.end() - 3, fakeHost_.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"files closed", "flush final", "unlock"}));

    fakeHost_.points.clear();
    fakeHost_.pumpAt = 0;
    gRunHost.messagesDue = [] { return 1; };
    Start();
    EXPECT_EQ(fakeHost_.pumpAt, 1u);
    EXPECT_LT(GraphTimes().size(), 5u);

    // A pause looks at the queue whatever the host says, and everything is
    // shown before it waits.
    fakeHost_ = FakeHost{};
    fakeHost_.status = "before";
    gRunHost.messagesDue = [] { return 0; };
    gRunHost.pumpOne = [] { return int{kPumpEmpty}; };
    gLastValue = 1;
    gPauseSetting = -3;
    fakeHost_.onWait = [] {
        EXPECT_EQ(host->log.back(), "flush final");
        EndPause();
    };
    Start();
    EXPECT_EQ(fakeHost_.waits, 4);
    EXPECT_EQ(GraphTimes().size(), 5u);
}

TEST_F(RunEngineTest, RealTimePacingPausesAheadOfTheClockAndReportsWhenBehind) {
    gRealTime = -1;  // one second per unit of time
    gPauseSetting = 4;
    gOutputStep = 0.5;
    gLastValue = 2;
    fakeHost_.onWait = [] {
        host->tick += host->timers.back();
        EndPause();
    };
    Start();
    EXPECT_EQ(gRealTime, 1);
    EXPECT_EQ(gPauseSetting, 0);
    EXPECT_EQ(fakeHost_.timers, std::vector<unsigned>(4, 500u));
    EXPECT_TRUE(gRecorder.boxes.empty());

    // Two seconds of computing per half unit: four seconds per unit needed.
    fakeHost_.timers.clear();
    fakeHost_.onPoint = [] { host->tick += 2000; };
    Start();
    EXPECT_TRUE(fakeHost_.timers.empty());
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "Could not solve in real time\nNeed at least 4 s");
    EXPECT_EQ(gRealTimeLag, 0);
}

TEST_F(RunEngineTest, StatusLineEveryFrequencyPoints) {
    gStatusFrequency = 2;
    gRunHost.setStatusText = [](const char *text) { host->log.push_back(std::string("status ") + text); };
    SetNonEmptyStringCopy(gStatusFormat, "a=%g b=%.1f");
    Start();
    int shown = 0;
    for (const std::string &l : fakeHost_.log) shown += l.rfind("status a=0 b=0.0", 0) == 0;
    EXPECT_EQ(shown, 3);  // 5 points: the 1st, 3rd and 5th

    // A format that would read a string argument, pad or print with more
    // than three digits, or take a long double is not used: the default is.
    for (const char *bad : {"%s %n", "%1000g", "%.1000g", "x=%Lg", "%g %g %g", "%1234.5g"}) {
        SCOPED_TRACE(bad);
        fakeHost_.log.clear();
        SetNonEmptyStringCopy(gStatusFormat, bad);
        Start();
        EXPECT_TRUE(Logged("status t = 0   x = 0"));
    }
    fakeHost_.log.clear();
    SetNonEmptyStringCopy(gStatusFormat, "%-+#999.999lg%%");
    Start();
    EXPECT_FALSE(Logged("status t = 0   x = 0"));
}

// ---- The run's frame: priority, lock, files, faults.

TEST_F(RunEngineTest, EveryRunEndsTheSameWay) {
    gRunPriority = 6;  // "Time critical"
    gPreferredProcessor = 2;
    gExitAfterRun = 1;
    Start();
    std::vector<std::string> want = {"lock",         "priority 15",   "processor 1", "compile",
                                     "files opened", "plotter begin", "plotter end", "priority 0",
                                     "processor 32", "files closed",  "unlock",      "exit"};
    EXPECT_EQ(fakeHost_.log, want);
    EXPECT_EQ(gRunState.stopRequested, 1);
    EXPECT_EQ(gRunState.canContinue, 1);
}

TEST_F(RunEngineTest, PriorityChoicesMapToThreadPriorities) {
    const int want[] = {-15, -2, -1, 0, 1, 2, 15, 0};
    for (int choice = 0; choice < 8; ++choice) {
        fakeHost_.log.clear();
        gRunPriority = choice;
        SetRunPriority(1);
        EXPECT_EQ(fakeHost_.log[0], "priority " + std::to_string(want[choice])) << choice;
    }
    gPreferredProcessor = 5;  // beyond the four processors: left alone
    fakeHost_.log.clear();
    SetRunPriority(0);
    EXPECT_EQ(fakeHost_.log, std::vector<std::string>{"priority 0"});
}

TEST_F(RunEngineTest, ACompileFailureEndsTheRunBeforeAnyStep) {
    fakeHost_.compileResult = 0;
    gMethodReady = 0;
    Start();
    EXPECT_TRUE(fakeMethod_.calls.empty());
    EXPECT_FALSE(Logged("files opened"));
    EXPECT_TRUE(Logged("files closed"));
    EXPECT_TRUE(Logged("unlock"));
}

TEST_F(RunEngineTest, AnEvaluationFaultInMidStepEndsThroughTheSameEnd) {
    gRunPriority = 5;
    gPauseSetting = -1;
    fakeMethod_.duringStep = [](double t) {
        if (t > 0.5) RaiseEvalError(kEvalInvalidCode);
    };
    Start();
    ASSERT_EQ(gRecorder.boxes.size(), 1u);  // the evaluator's message
    EXPECT_EQ(fakeHost_.log.back(), "unlock");
    EXPECT_TRUE(Logged("priority 2"));
    EXPECT_EQ(fakeHost_.log[fakeHost_.log.size() - 3], "priority 0");
    EXPECT_TRUE(Logged("files closed"));
    EXPECT_EQ(EvalRecoveryDepth(), 0);
    EXPECT_EQ(gRunState.pauseArmed, 0);
    EXPECT_EQ(gStartPauseHook, nullptr);
    // The next run works normally.
    fakeMethod_.duringStep = nullptr;
    gPauseSetting = 0;
    fakeHost_.points.clear();
    Start();
    EXPECT_EQ(GraphTimes().back(), 1);
}

// Memory running out in the middle of a step must not free the storage the
// step is using: the method is only marked not ready, and its storage goes
// at the end of the run.
TEST_F(RunEngineTest, AMemoryFailureDuringARunDefersTheMethodsCleanup) {
    int cleanupsInStep = -1;
    fakeMethod_.duringStep = [&](double t) {
        if (t > 0.5 && cleanupsInStep < 0) {
            ResetSolverMethod(0);  // what the memory routines do before a retry
            cleanupsInStep = method->cleanups;
        }
    };
    Start();
    EXPECT_EQ(cleanupsInStep, 0);
    EXPECT_EQ(fakeMethod_.cleanups, 1);
    EXPECT_EQ(gMethodReady, 0);
    EXPECT_EQ(GraphTimes().back(), 1);  // the run itself went on
    ResetSolverMethod(0);               // outside a run: at once
    EXPECT_EQ(fakeMethod_.cleanups, 2);
}

TEST_F(RunEngineTest, SkipLeavesOutTheNextPoint) {
    fakeMethod_.duringStep = [](double t) {
        if (t > 0.5 && t < 0.7) SKIP(1, 0);
    };
    Start();
    std::vector<double> times = GraphTimes();
    EXPECT_EQ(times.size(), 4u);  // 0.5 left out
}

// ---- Maps and the bifurcation scan (real map stepper, compiled map).

TEST_F(RunEngineTest, BifurcationScanRunsEachParameterValueOnce) {
    MakeWorkspace(kMap, 1);
    gEquationCode[0] = Compile("x + 1");
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gBifurcationDiagram = 1;
    gLastValue = 3;
    struct Case {
        double begin, end, step;
        std::vector<double> values;
    } cases[] = {
        {1, 1, 0.1, {1}},
        {0, 0, 0.1, {}},
        {-1, -1, 0.1, {}},
        {1, 2, 0.5, {1, 1.5, 2}},
        {2, 1, 0.5, {2, 1.5, 1}},
        {1, 1, 0, {1}},  // a Step that cannot move the parameter
    };
    for (const Case &c : cases) {
        fakeHost_.points.clear();
        gScanBegin = c.begin;
        gScanEnd = c.end;
        gOutputStep = c.step;
        Start();
        std::vector<double> values;
        for (const PointRecord &p : GraphPoints())
            if (values.empty() || values.back() != p.tp) values.push_back(p.tp);
        EXPECT_EQ(values, c.values) << c.begin << " " << c.end;
        EXPECT_EQ(GraphPoints().size(), 4 * c.values.size());
    }
}

TEST_F(RunEngineTest, MapFamilyAndFirstValue) {
    MakeWorkspace(kMap, 1);
    gEquationCode[0] = Compile("x + 10");
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gInitialValues[0] = 5;
    gRetardedPoints = 0;
    gLastValue = 4;
    gFirstValue = 2;
    gPhaseXMax = 1;
    Start();
    std::vector<double> want = {2, 3, 4, 2, 3, 4};
    EXPECT_EQ(GraphTimes(), want);
    for (const PointRecord &p : GraphPoints()) EXPECT_EQ(p.x, 5 + 10 * p.t);
    EXPECT_EQ(gRetardedPoints, 2u);  // a map always keeps two states
}

// ---- End to end with the built-in integrator and compiled equations.

TEST_F(RunEngineTest, ExponentialReachesE) {
    gEquationCode[0] = Compile("x");
    gInitialValues[0] = 1;
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gTolerance = 1e-13;
    gOutputStep = 0.1;
    Start();
    std::vector<PointRecord> points = GraphPoints();
    ASSERT_EQ(points.size(), 11u);
    EXPECT_EQ(points.back().t, 1);
    EXPECT_NEAR(points.back().x, std::exp(1.0), 1e-9);
    EXPECT_NEAR(points[5].x, std::exp(0.5), 1e-9);  // an interpolated mark
    EXPECT_NEAR(gVariables[0], std::exp(1.0), 1e-9);
}

TEST_F(RunEngineTest, AZeroMaximalStepIsReportedAsStepTooSmall) {
    gEquationCode[0] = Compile("x");
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gMaxStep = 0;
    Start();
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "Step too small");
    EXPECT_TRUE(GraphPoints().empty());
}

TEST_F(RunEngineTest, DelayEquationAcrossItsDiscontinuities) {
    // y'(t) = -y(t - 1), y = 1 before 0: y = 1 - t, then y(2) = -1/2,
    // y(3) = -1/6.
    gCollectiveDelayedName.name = gColumnTable[kColumnVariables].name;
    gCollectiveDelayedCount = 1;
    gEquationCode[0] = Compile("-x(0, t - 1)");
    gInitialFunctionCode[0] = Compile("1");
    SetNonEmptyStringCopy(gInitialFunctionTexts[0], "1");
    SetNonEmptyStringCopy(gDiscontinuities, "1 2");
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gRetardedPoints = 1000;
    gTolerance = 1e-13;
    gInitialStep = 0.01;
    gLastValue = 3;
    gOutputStep = 0.5;
    Start();
    EXPECT_TRUE(gRecorder.boxes.empty());
    std::vector<PointRecord> points = GraphPoints();
    ASSERT_EQ(points.size(), 7u);
    EXPECT_EQ(points[4].t, 2);
    EXPECT_NEAR(points[4].x, -0.5, 1e-8);
    EXPECT_EQ(points[6].t, 3);
    EXPECT_NEAR(points[6].x, -1.0 / 6, 1e-8);
    EXPECT_NEAR(points[1].x, 0.5, 1e-8);
}

TEST_F(RunEngineTest, FibonacciThroughADelayedValueIsExact) {
    MakeWorkspace(kMap, 1);
    gCollectiveDelayedName.name = gColumnTable[kColumnVariables].name;
    gCollectiveDelayedCount = 1;
    gEquationCode[0] = Compile("x + x(0, n - 1)");
    gInitialFunctionCode[0] = Compile("n + 1");  // x(0) = 1, x(-1) = 0
    SetNonEmptyStringCopy(gInitialFunctionTexts[0], "n + 1");
    gMethodReady = 0;
    gSolverMethod = SolverMethod{};
    gLastValue = 40;
    Start();
    EXPECT_TRUE(gRecorder.boxes.empty());
    std::vector<PointRecord> points = GraphPoints();
    ASSERT_EQ(points.size(), 41u);
    double a = 0, b = 1;  // x(-1), x(0)
    for (const PointRecord &p : points) {
        EXPECT_EQ(p.x, b) << p.t;
        const double next = a + b;
        a = b;
        b = next;
    }
    EXPECT_EQ(points.back().x, 165580141);
}

TEST_F(RunEngineTest, PrepareChoosesTheMethodByProblemType) {
    gSolverMethod = SolverMethod{};
    gMethodReady = 0;
    gCodeLibraryIndex = 1;  // a library selected, but no plug-in code yet
    EXPECT_EQ(PrepareSolverMethod(), 1);
    EXPECT_EQ(gMethodReady, 1);
    int (*builtin)() = gSolverMethod.init;
    MakeWorkspace(kMap, 1);
    gSolverMethod.init = nullptr;
    EXPECT_EQ(PrepareSolverMethod(), 1);
    EXPECT_NE(gSolverMethod.init, builtin);  // the map stepper, library or not
    gCodeLibraryIndex = 0;
}

}  // namespace
