// Runs through the Win32 run host: a minimal frame with a multi-document
// client and one graph and one text child, the real timer 117, the real
// message queue, thread priority and x87 faults. The interface lock is not
// part of this branch's shell: the test records lock and unlock through the
// host record instead.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eval_errors.h"
#include "fpu_faults.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "run_host_win32.h"
#include "settings.h"
#include "solver_method.h"
#include "win32_modal.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

constexpr int kCmdStop = 502;

struct Seen {
    HWND window;
    int first;
    double t;
};
std::vector<Seen> gSeen;
std::vector<std::string> gLog;
int gPriorityInStep;
volatile double gZero = 0.0;
volatile double gResult;
bool gFaultInStep;

LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COMMAND && LOWORD(wp) == kCmdStop) {
        gRunState.stopRequested = 1;
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

void RecordPoint(void *window, const RunPoint *p) { gSeen.push_back({static_cast<HWND>(window), p->first, p->t}); }

// Steps of 0.25 with x = t; a fault on request in the second step.
int QuarterSteps(double *t, double *y, double target, double, double, double, int) {
    gPriorityInStep = GetThreadPriority(GetCurrentThread());
    if (int rc = OdeOutputCallback(*t, y)) return rc;
    while (*t < target) {
        double next = *t + 0.25 > target ? target : *t + 0.25;
        if (gFaultInStep && next > 0.4) {
            gResult = 1.0 / gZero;
            FpuWait();
        }
        *t = next;
        y[0] = next;
        if (int rc = OdeOutputCallback(*t, y)) return rc;
    }
    return 0;
}
int Linear(int which, double t, double *out, InitialFunctionFallback) {
    for (int k = 0; k < -which; ++k) out[k] = t;
    return 0;
}
int Ready() { return 1; }
void Nothing() {}

void RegisterClassNamed(const char *name, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

class RunHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedControl_ = ReadFpuControlWord();
        gControl87 = kDefaultControl87;
        gMask87 = kDefaultMask87;
        ApplyFpuOptions();
        RegisterClassNamed("VR_TestFrame", FrameProc);
        RegisterClassNamed(kGraphWindowClass, DefWindowProcA);
        RegisterClassNamed(kTextWindowClass, DefWindowProcA);
        RegisterClassNamed("VR_Other", DefWindowProcA);
        gFrameWindow = CreateWindowA("VR_TestFrame", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        CLIENTCREATESTRUCT ccs = {};
        gMdiClient = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, gFrameWindow,
                                   nullptr, GetModuleHandleA(nullptr), &ccs);
        graph_ = CreateWindowA(kGraphWindowClass, "g", WS_CHILD, 0, 0, 10, 10, gMdiClient, nullptr, nullptr, nullptr);
        CreateWindowA("VR_Other", "o", WS_CHILD, 0, 0, 10, 10, gMdiClient, nullptr, nullptr, nullptr);
        text_ = CreateWindowA(kTextWindowClass, "t", WS_CHILD, 0, 0, 10, 10, gMdiClient, nullptr, nullptr, nullptr);

        gRunHost = RunHost{};
        InstallWin32RunHost(&accelerators_, nullptr);
        gRunHost.plotOdePoint = RecordPoint;
        gRunHost.addTextOdePoint = RecordPoint;
        gRunHost.lockUi = [] { gLog.push_back("lock"); };
        gRunHost.unlockUi = [] { gLog.push_back("unlock"); };
        gRunHost.compileProblem = [] { return 1; };  // the scripted method needs no code
        gSeen.clear();
        gLog.clear();
        gFaultInStep = false;

        gProblemKind = kOdeSystem;
        gDimension = 1;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gLastValue = 1;
        gInterpolate = 1;
        gRetardedPoints = 10;
        gOutputStep = 0.25;
        gRunPriority = 5;  // "Highest"
        gSolverMethod = SolverMethod{Linear, QuarterSteps, Ready, Nothing};
        gMethodReady = 1;
        gRunState = RunState{};
    }
    void TearDown() override {
        RemoveFloatingPointHandler();
        unsigned short w = static_cast<unsigned short>(savedControl_);
        __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(w));
        DestroyWindow(gFrameWindow);
        gFrameWindow = gMdiClient = nullptr;
        gRunHost = RunHost{};
        gSolverMethod = SolverMethod{};
        gMethodReady = 0;
        gRunState = RunState{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
    }
    std::vector<double> GraphTimes() const {
        std::vector<double> out;
        for (const Seen &s : gSeen)
            if (s.window == graph_ && !s.first) out.push_back(s.t);
        return out;
    }
    unsigned savedControl_;
    HACCEL accelerators_ = nullptr;
    HWND graph_, text_;
};

TEST_F(RunHostTest, PointsReachTheGraphAndTextChildrenAndTimer117EndsEachPause) {
    gPauseSetting = 1;  // 100 ms per point
    DWORD start = GetTickCount();
    gRunState.canContinue = 0;
    StartSolving();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(GraphTimes(), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    size_t textPoints = 0;
    for (const Seen &s : gSeen) textPoints += s.window == text_ && !s.first;
    EXPECT_EQ(textPoints, 5u);
    EXPECT_GE(elapsed, 350u);  // four pauses of 100 ms
    EXPECT_EQ(gRunState.pauseArmed, 0);
    EXPECT_EQ(gPauseTimer, 0u);
    EXPECT_EQ(gPriorityInStep, THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(gLog, (std::vector<std::string>{"lock", "unlock"}));
}

void CALLBACK SendStop(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessage(gFrameWindow, WM_COMMAND, kCmdStop, 0);
}

TEST_F(RunHostTest, StopDuringAKeyPauseEndsItAtOnce) {
    gPauseSetting = -1;
    SetTimer(nullptr, 0, 150, SendStop);
    gRunState.canContinue = 0;
    StartSolving();
    EXPECT_EQ(GraphTimes(), (std::vector<double>{0, 0.25}));
    EXPECT_EQ(gRunState.pauseArmed, 0);
    EXPECT_EQ(gLog.back(), "unlock");
}

TEST_F(RunHostTest, AQuitMessageStopsTheRunAndStaysForTheMainLoop) {
    PostQuitMessage(3);
    gRunState.canContinue = 0;
    StartSolving();
    EXPECT_LE(GraphTimes().size(), 1u);
    EXPECT_EQ(gRunState.stopRequested, 1);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(RunHostTest, AFloatingPointFaultInMidStepEndsTheRunCleanly) {
    gFaultInStep = true;
    {
        ModalAnswerer answer(IDOK);
        gRunState.canContinue = 0;
        StartSolving();
        const ModalCapture &box = answer.Result();
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.text, "Division by zero");
    }
    EXPECT_EQ(gPriorityInStep, THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(gLog, (std::vector<std::string>{"lock", "unlock"}));
    EXPECT_EQ(EvalRecoveryDepth(), 0);
    EXPECT_EQ(GraphTimes(), (std::vector<double>{0}));  // the fault came before 0.25 was passed

    // The next run goes through.
    gFaultInStep = false;
    gSeen.clear();
    gRunState.canContinue = 0;
    StartSolving();
    EXPECT_EQ(GraphTimes().size(), 5u);
}

}  // namespace
