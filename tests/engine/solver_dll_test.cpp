// The hooks of a solver library, on a stand-in library made of functions of
// this file: what the run engine hands it, what its answers lead to.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridges.h"
#include "compiler.h"
#include "dop853.h"
#include "platform_recorder.h"
#include "problem_windows.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "solver_dll.h"
#include "solver_method.h"
#include "string_ids.h"
#include "window_host_double.h"
#include "workspace.h"

namespace {

struct InitCall {
    void *instance;
    int isSystem, dimension, retarded;
};
struct SolveCall {
    double t, tEnd, tolerance, hMax, h, t0;
    int firstCall;
    SolverRhsProc rhs;
    SolverOutputProc output;
};

struct FakeLibrary {
    int initResult = 0;
    int solveResult = 0;
    std::vector<InitCall> inits;
    std::vector<SolveCall> solves;
    int ends = 0;
    double lastY = 0;
    SolverParamEntry params[2] = {{"alpha", 0.5}, {"beta", 2}};
};
FakeLibrary *lib;

int VR_PLUGIN_CALL FakeInitDll(void *instance, int isSystem, int dimension, int retarded) {
    lib->inits.push_back({instance, isSystem, dimension, retarded});
    return lib->initResult;
}

// Explicit Euler with the fixed step |h| up to tEnd, a point to the output
// after every step (and at the start of a trajectory).
int VR_PLUGIN_CALL FakeSolveDll(double *t, double *y, double tEnd, double tolerance, double hMax,
                                double h, double t0, int firstCall, SolverRhsProc rhs,
                                SolverOutputProc output) {
    lib->solves.push_back({*t, tEnd, tolerance, hMax, h, t0, firstCall, rhs, output});
    if (firstCall)
        if (int rc = output(*t, y)) return rc;
    while (*t < tEnd) {
        const double step = std::fmin(std::fabs(h), tEnd - *t);
        double dydt;
        rhs(*t, y, &dydt);
        y[0] += step * dydt;
        *t += step;
        if (int rc = output(*t, y)) return rc;
    }
    lib->lastY = y[0];
    return lib->solveResult;
}

int VR_PLUGIN_CALL FakeInterpolateDll(int which, double t, double *out, InitialFunctionFallback) {
    out[0] = t + which;
    return -7;
}
void VR_PLUGIN_CALL FakeEndDll() { ++lib->ends; }
SolverParamEntry *VR_PLUGIN_CALL FakeParamDll(int index) {
    return index >= 0 && index < 2 ? &lib->params[index] : nullptr;
}
double VR_PLUGIN_CALL FakeIterOrderDll() { return 3; }

int gHostInstanceMark;

class SolverDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        lib = &lib_;
        gProblemKind = kOdeSystem;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        unsigned char *at = gPcodeBuffer;
        ASSERT_GT(CompileExpression("t", at, static_cast<int>(gPcodeLength)), 0);
        gEquationCode[0] = at;
        gInitialTime = 0;
        gInitialValues[0] = 0;
        gLastValue = 1;
        gInitialStep = 0.001;
        gOutputStep = 0.25;
        gRetardedPoints = 0;
        gStatusFrequency = 0;
        gShootingIterations = 0;
        gRunHost = RunHost{};
        gRunHost.installFaultHandlers = [] { ++faultHandlerInstalls; };
        faultHandlerInstalls = 0;
        gRunState = RunState{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        gSolverDll = SolverDllEntry{&gHostInstanceMark, FakeInitDll, FakeParamDll, FakeEndDll,
                                    FakeInterpolateDll, FakeSolveDll, FakeIterOrderDll};
        gSolverHostInstance = &gHostInstanceMark;
        gCodeLibraryHooks.solverInit = SolverDllInit;
        gCodeLibraryIndex = 1;
    }
    void TearDown() override {
        ResetSolverMethod(1);
        SolverDllEnd();  // a test may leave the library set up under another method's hooks
        gCodeLibraryHooks.solverInit = nullptr;
        gSolverDll = SolverDllEntry{};
        gSolverHostInstance = nullptr;
        gRunHost = RunHost{};
        gRunState = RunState{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
    }
    void Start() {
        gRunState.canContinue = 0;
        StartSolving();
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const RecordedBox &b : gRecorder.boxes) out.push_back(b.text);
        return out;
    }
    FakeLibrary lib_;
    static int faultHandlerInstalls;
};
int SolverDllTest::faultHandlerInstalls;

TEST_F(SolverDllTest, TheLibraryIntegratesThroughTheCallbacksOfTheRun) {
    gTolerance = 1e-6;
    gMaxStep = 0.5;
    Start();
    ASSERT_EQ(lib_.inits.size(), 1u);
    EXPECT_EQ(lib_.inits[0].instance, &gHostInstanceMark);
    EXPECT_EQ(lib_.inits[0].isSystem, 1);
    EXPECT_EQ(lib_.inits[0].dimension, 1);
    EXPECT_EQ(lib_.inits[0].retarded, 0);
    ASSERT_EQ(lib_.solves.size(), 1u);
    const SolveCall &c = lib_.solves[0];
    EXPECT_EQ(c.t, 0);
    EXPECT_EQ(c.tEnd, 1);
    EXPECT_EQ(c.tolerance, 1e-6);
    EXPECT_EQ(c.hMax, 0.5);
    EXPECT_EQ(c.h, 0.001);
    EXPECT_EQ(c.t0, 0);
    EXPECT_EQ(c.firstCall, 1);
    EXPECT_EQ(c.rhs, &RhsCallback);
    EXPECT_EQ(c.output, &OdeOutputCallback);
    // Euler on y' = t from 0 to 1: h^2 N (N - 1) / 2 = 0.5 - h / 2, one order
    // away from the exact 0.5.
    EXPECT_NEAR(lib_.lastY, 0.4995, 1e-9);
    EXPECT_GE(faultHandlerInstalls, 2);  // the run's own, then after SolveDLL
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(gSolverMethod.step, &SolverDllStep);
    EXPECT_EQ(ITERATIONORDER(), 3);
}

TEST_F(SolverDllTest, StepPassesFirstCallOnlyToAFreshTrajectory) {
    ASSERT_EQ(PrepareSolverMethod(), 1);
    double t = 0, y = 0;
    gTrajectoryStart = -2;
    gSolverMethod.step(&t, &y, 0.5, 1e-8, 1, 0.1, 10);
    EXPECT_EQ(gRunState.canContinue, 1);
    gSolverMethod.step(&t, &y, 1, 1e-8, 1, 0.1, 10);
    ASSERT_EQ(lib_.solves.size(), 2u);
    EXPECT_EQ(lib_.solves[0].firstCall, 1);
    EXPECT_EQ(lib_.solves[1].firstCall, 0);
    EXPECT_EQ(lib_.solves[1].t0, -2);
    double out = 0;
    EXPECT_EQ(gSolverMethod.interpolate(4, 0.25, &out, nullptr), -7);
    EXPECT_EQ(out, 4.25);
    // The cleanup may run twice; the library is ended once.
    ResetSolverMethod(1);
    gSolverMethod.cleanup();
    EXPECT_EQ(lib_.ends, 1);
}

TEST_F(SolverDllTest, InitResultsAndTheirMessages) {
    struct Case {
        int result;
        unsigned retarded;
        int ready;
        std::vector<std::string> boxes;
    } cases[] = {
        {1, 0, 1, {}},
        {10, 10, 1, {}},
        {0, 0, 1, {}},
        {0, 3, 1, {"Only 0 solution point(s)\nwill be retained!"}},
        {5, 10, 1, {"Only 5 solution point(s)\nwill be retained!"}},
        {-2, 10, 0, {"Not enough memory"}},
        {-5, 10, 0, {"Code DLL error -5"}},
    };
    for (const Case &k : cases) {
        gRecorder.Reset();
        gSolverMethod = SolverMethod{};
        lib_.initResult = k.result;
        gRetardedPoints = k.retarded;
        EXPECT_EQ(PrepareSolverMethod(), k.ready) << k.result;
        EXPECT_EQ(Boxes(), k.boxes) << k.result;
        EXPECT_EQ(gSolverMethod.step, &SolverDllStep);
        EXPECT_EQ(gCodeLibraryIndex, 1);
    }
    // Each preparation ended the set-up of the one before.
    EXPECT_EQ(lib_.ends, 6);
}

TEST_F(SolverDllTest, AlreadyInUseRunsTheProblemOnTheBuiltInIntegrator) {
    lib_.initResult = -1;
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Code DLL already in use"});
    EXPECT_EQ(gCodeLibraryIndex, 0);
    EXPECT_EQ(gSolverMethod.init, &Dop853Init);
    EXPECT_NE(gSolverMethod.step, &SolverDllStep);
    EXPECT_TRUE(lib_.solves.empty());
    EXPECT_EQ(gMethodReady, 1);
    // y' = t to 1 by the built-in method: exact.
    EXPECT_NEAR(gVariables[0], 0.5, 1e-12);
    EXPECT_EQ(ITERATIONORDER(), 0);
    ResetSolverMethod(1);
    EXPECT_EQ(lib_.ends, 0);
}

TEST_F(SolverDllTest, StepResultsOfTheLibraryAreReportedByTheirBand) {
    struct Case {
        int result;
        std::vector<std::string> boxes;
    } cases[] = {
        {0, {}},
        {-150, {"Code DLL error -150"}},
        {-1000, {"Code DLL error -1000"}},
        {-1001, {}},
    };
    for (const Case &k : cases) {
        gRecorder.Reset();
        lib_.solveResult = k.result;
        Start();
        EXPECT_EQ(Boxes(), k.boxes) << k.result;
    }
}

TEST_F(SolverDllTest, ParametersAndIterationOrderComeFromTheOptionalEntries) {
    ASSERT_NE(GetSolverDllParam(1), nullptr);
    EXPECT_STREQ(GetSolverDllParam(0)->name, "alpha");
    EXPECT_EQ(GetSolverDllParam(1)->value, 2);
    EXPECT_EQ(GetSolverDllParam(2), nullptr);
    ASSERT_EQ(PrepareSolverMethod(), 1);
    EXPECT_EQ(ITERATIONORDER(), 3);
    gSolverDll.ParamDLL = nullptr;
    gSolverDll.IterOrderDLL = nullptr;
    EXPECT_EQ(GetSolverDllParam(0), nullptr);
    EXPECT_EQ(ITERATIONORDER(), 0);
    // The built-in method clears the iteration order of a loaded library.
    gSolverDll.IterOrderDLL = FakeIterOrderDll;
    gCodeLibraryIndex = 0;
    ASSERT_EQ(PrepareSolverMethod(), 1);
    EXPECT_EQ(ITERATIONORDER(), 0);
}

// The problem file's reader and writer reach the loaded library's list by
// default.
TEST_F(SolverDllTest, TheProblemFileSeesTheLibraryParametersByDefault) {
    WindowHostDouble host;
    host.solverLibraryParams = true;
    host.Install();
    EXPECT_STREQ(HostLibraryParamName(1), "beta");
    EXPECT_EQ(HostLibraryParamName(2), nullptr);
    ASSERT_NE(HostLibraryParamValue(0), nullptr);
    *HostLibraryParamValue(0) = 7.25;
    EXPECT_EQ(lib_.params[0].value, 7.25);
    gSolverDll.ParamDLL = nullptr;
    EXPECT_EQ(HostLibraryParamName(0), nullptr);
    EXPECT_EQ(HostLibraryParamValue(0), nullptr);
}

}  // namespace
