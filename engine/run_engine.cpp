#include "run_engine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bridges.h"
#include "dop853.h"
#include "eval_errors.h"
#include "fpu_faults.h"
#include "map_stepper.h"
#include "memory.h"
#include "messages.h"
#include "problem_settings.h"
#include "run_control.h"
#include "run_host.h"
#include "settings.h"
#include "shooting.h"
#include "solver_dll.h"
#include "solver_method.h"
#include "string_ids.h"
#include "workspace.h"

RunHost gRunHost;

double gOutputTime;
double *gOutputValues;
int gFamilyCounterX, gFamilyCounterY;
int gFinalPoint;
int gInfinityReached;
int gStatusCountdown;
int gHasInitialFunctions;
int gPacing;
unsigned gPacingTick;
double gPacingTime;
double gRealTimeLag;
unsigned gPauseTimer;
double gTrajectoryStart;
int gExitAfterRun;

void (*gSolveBoundaryConditions)() = SolveBoundaryConditions;

namespace {

// Output marks are base + k * Step rather than a running sum, so that the
// marks do not drift and a mark at the trajectory's end is not output twice
// (once rounded just below the end, once as the final point).
double gMarkBase;
long long gMarkIndex;

// The time of the last point handed out by the output callbacks in this
// trajectory: a point is never handed out twice (the final point after the
// last step's own, the first point of a Continue after the final one).
double gHandedTime;
int gHandedValid;

bool AlreadyHandedOut() { return gHandedValid && gOutputTime == gHandedTime; }

void HandOut() {
    if (AlreadyHandedOut()) return;
    ProcessOutputPoint();
    gHandedTime = gOutputTime;
    gHandedValid = 1;
}

// Where the next target is read from "Discontinuities".
const char *gDiscontinuityRest;

// The status text put aside by a pause or by shooting.
constexpr int kStatusTextSize = 256;
char gPauseSavedStatus[kStatusTextSize];
int gPauseSavedStatusValid;
char gBoundarySavedStatus[kStatusTextSize];

// A paced point more than this late counts as behind the wall clock:
// timers fire a tick late now and then without the run being too slow.
constexpr unsigned kPacingSlackMs = 20;

// The state vector a step advances; gVariables is set from it after each
// step and each output point, and a step starts from gVariables.
double *StepState() { return gWorkVectorB; }

int Dimension() { return static_cast<int>(gDimension); }

bool IsMap() { return gProblemKind == kMap; }

unsigned Now() { return gRunHost.tickCount ? gRunHost.tickCount() : TickCount(); }

void CopyVector(double *to, const double *from) {
    if (to != from) std::memmove(to, from, sizeof(double) * Dimension());
}

// a lies ahead of b in the direction of integration.
bool Ahead(double a, double b) { return gForward ? a > b : a < b; }

void ForEachChild(RunChildProc proc, int arg) {
    if (gRunHost.forEachChild) gRunHost.forEachChild(proc, arg);
}

void DispatchFirstProc(void *window, int first) { DispatchPointProc(window, first); }

void TextWindowFilesProc(void *window, int close) {
    if (gRunHost.textWindowFiles) gRunHost.textWindowFiles(window, close);
}

void FlushRunOutput(int final) {
    if (gRunHost.flushRunOutput) gRunHost.flushRunOutput(final);
}

void SetStatusText(const char *text) {
    if (gRunHost.setStatusText) gRunHost.setStatusText(text);
}

void GetStatusText(char *buffer) {
    buffer[0] = 0;
    if (gRunHost.getStatusText) gRunHost.getStatusText(buffer, kStatusTextSize);
    buffer[kStatusTextSize - 1] = 0;
}

// The status format may come from a problem file: it is used only when it
// holds at most two conversions, each of a double with a bounded width and
// precision, so that a stray "%s" or "%n" cannot read or write through the
// arguments and "%999999999g" cannot pad for ever.
bool IsStatusFormatSafe(const char *format) {
    const int conversions = CountDoubleConversions(format);
    return conversions >= 0 && conversions <= 2;
}

void RefreshStatusLine() {
    double values[2] = {0, 0};
    EvaluateStatusExpressions(gOutputTime, gOutputValues, values);
    const char *format = UnescapeFormat(gStatusFormat);
    if (!IsStatusFormatSafe(format)) format = LoadTextResource(IsMap() ? IDS_STATUS_FORMAT_MAP : IDS_STATUS_FORMAT);
    char text[kStatusTextSize];
    std::snprintf(text, sizeof text, format, values[0], values[1]);
    SetStatusText(text);
}

// ---- Real-time pacing: a point is due when the wall clock has advanced
// by "Real time" seconds per unit of time since the previous point. Ahead
// of the clock the run pauses until the point is due; behind it the point
// goes out at once and the rate that would have been needed is kept for
// the message at the end of the run.
void PaceOutputPoint() {
    const double absTime = std::fabs(gOutputTime);
    const unsigned now = Now();
    if (gPacingTick == 0) {
        gPacingTick = now ? now : 1;
    } else {
        const double advance = absTime - gPacingTime;
        const double wanted = advance * gRealTime * 1000;
        const unsigned d = wanted > 0 && wanted < 4294967295.0 ? static_cast<unsigned>(wanted) : 0;
        const unsigned due = gPacingTick + d;
        const int ahead = static_cast<int>(due - now);
        if (ahead > 0) {
            StartPause(ahead);
            PumpRunMessages();
            gPacingTick = due;
        } else if (static_cast<unsigned>(-ahead) <= kPacingSlackMs) {
            gPacingTick = due;
        } else {
            if (advance > 0) {
                const double needed = (now - gPacingTick) / (1000 * advance);
                if (needed > gRealTimeLag) gRealTimeLag = needed;
            }
            gPacingTick = now ? now : 1;
        }
    }
    gPacingTime = absTime;
}

// ---- Family and trajectories.

bool MoreThanOneMember() { return gPhaseXMin != gPhaseXMax || gPhaseYMin != gPhaseYMax; }

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

bool HasInitialFunctions() {
    return gInitialFunctionTexts && gTextArrayCount > 0 && gInitialFunctionTexts[0] &&
           gInitialFunctionTexts[0][0];
}

void BeginFamily() {
    gHasInitialFunctions = HasInitialFunctions() ? 1 : 0;
    gUseInitialFunctions = gHasInitialFunctions;
    if (gRunHost.beginPlotterOutput) gRunHost.beginPlotterOutput();
    gRunStartTick = Now();
    gRunState.stopRequested = 0;
}

void EndFamily() {
    if (gRunHost.endPlotterOutput) gRunHost.endPlotterOutput();
    if (gMask87) CheckFpuStatus();
}

// Runs member(fx, fy) of the family in order; a continued run starts with
// the member that was interrupted (both counters were advanced past it).
void RunFamilyLoops(void (*member)()) {
    const int continued = gRunState.canContinue;
    gFamilyCounterX = continued ? Clamp(gFamilyCounterX - 1, gPhaseXMin, gPhaseXMax) : gPhaseXMin;
    bool firstPass = true;
    while (!gRunState.stopRequested && gFamilyCounterX <= gPhaseXMax) {
        gFamilyX = gFamilyCounterX;
        gFamilyCounterY = firstPass && continued ? Clamp(gFamilyCounterY - 1, gPhaseYMin, gPhaseYMax)
                                                 : gPhaseYMin;
        firstPass = false;
        while (!gRunState.stopRequested && gFamilyCounterY <= gPhaseYMax) {
            gFamilyY = gFamilyCounterY;
            member();
            gFamilyCounterY += 1;
        }
        gFamilyCounterX += 1;
    }
}

// Start of one member: a family always starts each member afresh, a single
// trajectory goes on from t and x when continuing.
void StartMember() {
    gRunState.trajectoryAborted = 0;
    gInfinityReached = 0;
    if (MoreThanOneMember()) gRunState.canContinue = 0;
    if (!gRunState.canContinue) ComputeInitialPoint();
}

// The next target time, or the trajectory's end. Targets of
// "Discontinuities" that are not ahead of t are passed over: integrating
// towards them would turn the run round. A rest that does not begin with a
// number ends the list.
double NextTarget(double t, double end) {
    while (gDiscontinuityRest && *gDiscontinuityRest) {
        char *after = nullptr;
        const double value = std::strtod(gDiscontinuityRest, &after);
        if (after == gDiscontinuityRest) {
            gDiscontinuityRest = nullptr;
            break;
        }
        gDiscontinuityRest = after;
        if (Ahead(value, t)) return value;
    }
    if (gDelay != 0) {
        // A Delay too small to move t (or not a number) would never get
        // anywhere: the end is the target then.
        const double target = t + (gForward ? std::fabs(gDelay) : -std::fabs(gDelay));
        if (Ahead(target, t)) return target;
    }
    return end;
}

bool ReachedEnd(double t, double end) { return gForward ? t >= end : t <= end; }

// Steps from (gTime, gVariables) towards end; with outputFinal the point at
// the end is handed out once more as the final point.
void IntegrateTrajectory(double endValue, int outputFinal) {
    gTrajectoryStartTick = Now();
    gForward = gBackward ? 0 : 1;
    const double h = gForward ? std::fabs(gInitialStep) : -std::fabs(gInitialStep);
    gOutputStep = gForward ? std::fabs(gOutputStep) : -std::fabs(gOutputStep);
    gFinalPoint = 0;
    gDiscontinuityRest = gDiscontinuities;
    const double end = gForward ? endValue : -endValue;
    double *x = StepState();
    double t = gTime;
    CopyVector(x, gVariables);
    while (!gRunState.stopRequested && !gRunState.trajectoryAborted && (gForward ? t < end : t > end)) {
        const double target = NextTarget(t, end);
        const double before = t;
        const int rc = gSolverMethod.step(&t, x, target, gTolerance, gMaxStep, h,
                                          static_cast<int>(gRetardedPoints));
        gTime = t;
        CopyVector(gVariables, x);
        // A method that made no progress called no output either: the loop
        // must still hear Stop.
        if (t == before) PumpRunMessages();
        if ((rc >= 0 && !gInfinityReached) || gRunState.stopRequested || gRunState.trajectoryAborted) {
            if (outputFinal && ReachedEnd(t, end)) {
                gFinalPoint = 1;
                OdeOutputCallback(t, x);
                gFinalPoint = 0;
            }
        } else {
            ReportStepResult(rc, 0);
            gRunState.trajectoryAborted = 1;
        }
    }
}

void OdeMember() {
    StartMember();
    IntegrateTrajectory(gLastValue, 1);
}

void MapMember() {
    StartMember();
    IterateMapToEnd();
}

// Iterates from (gTime, gVariables) to end; failures as for maps.
void IterateMapTo(double end) {
    double *x = StepState();
    double n = gTime;
    CopyVector(x, gVariables);
    const int rc = IterateMap(&n, x, end, 0, 0, 0, static_cast<int>(gMapPower));
    gTime = n;
    CopyVector(gVariables, x);
    if ((rc < 0 || gInfinityReached) && !gRunState.stopRequested && !gRunState.trajectoryAborted) {
        ReportStepResult(rc, 1);
        gRunState.trajectoryAborted = 1;
    }
}

// Steps 3-5 of the initial point, shared with the shooting's trial runs.
void PrepareTrajectoryStart() {
    const double t0 = gInitialTime;
    if (gSolverMethod.step == Dop853Step) Dop853BeginTrajectory(t0);
    else if (gSolverMethod.step == IterateMap) MapBeginTrajectory(t0);
    gStatusCountdown = 1;
    const bool backward = gBackward && !IsMap();
    gOutputTime = gFirstValue != 0 ? (backward ? -gFirstValue : gFirstValue) : t0;
    // A first output time behind t0 would ask for values before the start.
    if (!IsMap() && (backward ? gOutputTime > t0 : gOutputTime < t0)) gOutputTime = t0;
    gLastOutputTime = gOutputTime;
    if (!IsMap()) gTrajectoryValue = gOutputTime;
    gMarkBase = gOutputTime;
    gMarkIndex = 0;
    gHandedValid = 0;
    gInfinityReached = 0;
    gTrajectoryStart = t0;
    gTime = t0;
}

// Limits after every output point: Infinity (a NaN does not count) and the
// floating-point status when all exceptions are masked.
int FinishCallback(const double *y) {
    gInfinityReached = 0;
    for (int i = 0; i < Dimension(); ++i)
        if (std::fabs(y[i]) >= gInfinityLimit) gInfinityReached = 1;
    if (gMask87) CheckFpuStatus();
    return gRunState.stopRequested || gRunState.trajectoryAborted || gInfinityReached ? 1 : 0;
}

// The next output mark; a Step too small to move it (or 0) moves it to the
// step's end, so each step still gives a point and the loop ends.
void AdvanceMark(double t) {
    const double previous = gOutputTime;
    gOutputTime = gMarkBase + static_cast<double>(++gMarkIndex) * gOutputStep;
    if (!Ahead(gOutputTime, previous)) {
        gOutputTime = t;
        gMarkBase = t;
        gMarkIndex = 0;
    }
}

bool MarkPassed(double t) { return gForward ? gOutputTime < t : gOutputTime > t; }

// The run's body, steps 9 to 12, behind the recovery point.
void RunBody() {
    if (gRunHost.compileProblem && !gRunHost.compileProblem()) return;
    if (!gWorkspaceReady || !gWorkVectorA || !gWorkVectorB) return;
    gOutputValues = gWorkVectorA;
    Dop853SetCallbacks(RhsCallback, OdeOutputCallback);
    MapSetCallbacks(RhsCallback, MapOutputCallback);
    if (!gMethodReady && !PrepareSolverMethod()) return;
    ForEachChild(TextWindowFilesProc, 0);
    if (IsMap()) RunMapFamily();
    else RunOdeFamily();
}

void RecoveredRun(void *) {
    EvalRecovery recovery;
    BeginEvalRecovery(&recovery);
    if (VR_SETJMP(gEvalJmpBuf) == 0) {
        RunBody();
        // An unmasked x87 exception of the last operation is raised by the
        // next floating-point instruction: take it while still guarded.
        FpuWait();
    }
    EndEvalRecovery(&recovery);
}

}  // namespace

// ---- Solver methods.

int PrepareSolverMethod() {
    // A reset during an earlier run left its cleanup for now; nothing of the
    // method is on the stack here.
    RunDeferredCleanup();
    const int n = Dimension();
    int (*init)();
    if (IsMap()) {
        // "Retarded points" is unsigned; InitMapMethod raises 0 to 2 in place.
        MapConfigure(n, reinterpret_cast<int *>(&gRetardedPoints));
        init = InitMapMethod;
    } else {
        Dop853Configure(n, gProblemKind == kOdeSystem, static_cast<int>(gRetardedPoints));
        init = gCodeLibraryIndex != 0 && gCodeLibraryHooks.solverInit ? gCodeLibraryHooks.solverInit : Dop853Init;
    }
    gSolverMethod.init = init;
    gMethodReady = init() ? 1 : 0;
    return gMethodReady;
}

// ---- The run.

void StartSolving() {
    // The lock greys Start during a run; this catches any other way in
    // through the pump.
    static int running;
    if (running) return;
    if (gRunHost.elementActionInProgress && gRunHost.elementActionInProgress()) return;
    running = 1;
    BeginMethodRun();
    gRunState.stopRequested = 0;
    if (gRunHost.lockUi) gRunHost.lockUi();
    if (gRetardedPoints == 0 && !IsMap()) gInterpolate = 0;
    gRealTime = std::fabs(gRealTime);
    if (gRealTime != 0) {
        gPacing = 1;
        gPauseSetting = 0;
        gPacingTick = 0;
    } else {
        gPacing = 0;
    }
    gPause = gPauseSetting;
    gDerivativeStep = std::fabs(gInitialStep);
    gDerivativeTolerance = gTolerance;
    SetRunPriority(1);
    InstallEvalAbortHandler();
    if (gRunHost.installFaultHandlers) gRunHost.installFaultHandlers();
    gStartPauseHook = StartPause;

    if (gRunHost.runGuarded) gRunHost.runGuarded(RecoveredRun, nullptr);
    else RecoveredRun(nullptr);

    // The end of every run, also after a fault.
    gStartPauseHook = nullptr;
    gFinalPoint = 0;
    RestoreBoundaryStatus();
    SetRunPriority(0);
    ForEachChild(TextWindowFilesProc, 1);
    EndPause();
    FlushRunOutput(1);
    if (gRunHost.unlockUi) gRunHost.unlockUi();
    gRunState.stopRequested = 1;
    gRunState.canContinue = 1;
    if (gRealTimeLag != 0) {
        const double lag = gRealTimeLag;
        gRealTimeLag = 0;
        ShowErrorBoxFormatted(IDS_NOT_REAL_TIME, lag);
    }
    FreeSolverWorkspace();
    FinishMethodRun();
    running = 0;
    if (gExitAfterRun && gRunHost.postExit) gRunHost.postExit();
}

void SetRunPriority(int on) {
    static const int kPriorities[] = {-15, -2, -1, 0, 1, 2, 15};
    static_assert(sizeof kPriorities / sizeof *kPriorities == kProblemSettings[kSettingRunPriority].choices,
                  "a thread priority per run priority");
    int priority = 0;
    if (on && gRunPriority >= 0 && gRunPriority < kProblemSettings[kSettingRunPriority].choices)
        priority = kPriorities[gRunPriority];
    if (gRunHost.setThreadPriority) gRunHost.setThreadPriority(priority);
    if (gRunState.processorCount == 0 && gRunHost.processorCount)
        gRunState.processorCount = gRunHost.processorCount();
    if (gPreferredProcessor >= 1 && gPreferredProcessor <= gRunState.processorCount &&
        gRunHost.setIdealProcessor)
        gRunHost.setIdealProcessor(on ? gPreferredProcessor - 1 : 32);
}

void RunOdeFamily() {
    BeginFamily();
    RunFamilyLoops(OdeMember);
    EndFamily();
}

void RunMapFamily() {
    BeginFamily();
    gForward = 1;
    gRunState.trajectoryAborted = 0;
    if (!gBifurcationDiagram) {
        RunFamilyLoops(MapMember);
    } else {
        ForEachChild(DispatchFirstProc, 1);
        const double step = gScanBegin <= gScanEnd ? std::fabs(gOutputStep) : -std::fabs(gOutputStep);
        gOutputStep = step;
        if (!gRunState.canContinue) gTrajectoryValue = gScanBegin;
        while (!gRunState.stopRequested &&
               (step > 0 ? gTrajectoryValue < gScanEnd * 1.000001 : gTrajectoryValue > gScanEnd * 0.999999)) {
            gRunState.trajectoryAborted = 0;
            gInfinityReached = 0;
            ComputeInitialPoint();
            IterateMapToEnd();
            // A stopped member is resumed by Continue; a Step that cannot
            // move the parameter ends the scan after one value.
            if (gRunState.stopRequested) break;
            const double next = gTrajectoryValue + step;
            if (next == gTrajectoryValue) break;
            gTrajectoryValue = next;
        }
    }
    EndFamily();
}

void ComputeInitialPoint() {
    const int n = Dimension();
    gTime = gInitialTime;
    if (gShootingIterations != 0) {
        ShowBoundaryStatus();
        if (gHasInitialFunctions) {
            EvaluateInitialValues();
            std::memcpy(gInitialValues, gVariables, sizeof(double) * n);
        }
        if (gSolveBoundaryConditions) gSolveBoundaryConditions();
        FreeSolverWorkspace();
    }
    RestoreBoundaryStatus();
    PrepareTrajectoryStart();
    if (gShootingIterations == 0 && gHasInitialFunctions) EvaluateInitialValues();
    else std::memcpy(gVariables, gInitialValues, sizeof(double) * n);
    // Windows start their curves at the initial point: t and x, and the
    // same values in the output vector.
    std::memcpy(gOutputValues, gVariables, sizeof(double) * n);
    ForEachChild(DispatchFirstProc, 1);
    if (gMask87) CheckFpuStatus();
}

void IterateMapToEnd() {
    gTrajectoryStartTick = Now();
    IterateMapTo(gLastValue);
}

int VR_PLUGIN_CALL OdeOutputCallback(double t, const double *y) {
    gTime = t;
    CopyVector(gVariables, y);
    if (gRunState.boundaryStatusShown) {
        if (PumpRunMessages()) return 1;
        return FinishCallback(y);
    }
    if (!gFinalPoint && !MarkPassed(t)) {
        if (PumpRunMessages()) return 1;
        return FinishCallback(y);
    }
    const int n = Dimension();
    if (gInterpolate) {
        while (MarkPassed(t) && !gRunState.stopRequested && !gRunState.trajectoryAborted) {
            if (!AlreadyHandedOut()) {
                const int r = gSolverMethod.interpolate(-n, gOutputTime, gOutputValues, nullptr);
                if (r < 0) return r - 3;
                HandOut();
            }
            AdvanceMark(t);
        }
    }
    if (gFinalPoint || !gInterpolate) {
        if (gFinalPoint) gOutputTime = t;
        if (gRetardedPoints != 0) {
            if (!AlreadyHandedOut()) {
                const int r = gSolverMethod.interpolate(-n, gOutputTime, gOutputValues, nullptr);
                if (r < 0) return r - 3;
            }
        } else {
            // Without a history only the step's end values exist: label
            // them with their own time.
            gOutputTime = t;
            std::memcpy(gOutputValues, y, sizeof(double) * n);
        }
        HandOut();
        gOutputTime = t;
        gMarkBase = t;
        gMarkIndex = 0;
    }
    return FinishCallback(y);
}

int VR_PLUGIN_CALL MapOutputCallback(double t, const double *y) {
    gTime = t;
    CopyVector(gVariables, y);
    if (gRunState.boundaryStatusShown) {
        if (PumpRunMessages()) return 1;
        return FinishCallback(y);
    }
    if (gOutputTime <= t) {
        std::memcpy(gOutputValues, y, sizeof(double) * Dimension());
        gOutputTime = t;
        HandOut();
    }
    return FinishCallback(y);
}

void ProcessOutputPoint() {
    if (gPacing) PaceOutputPoint();
    if (gSkipOutputPoint) gSkipOutputPoint = 0;
    else ForEachChild(DispatchFirstProc, 0);
    if (gPause != 0 && gOutputTime != gInitialTime) StartPause(0);
    PumpRunMessages();
    gLastOutputTime = gOutputTime;
    if (gStatusFrequency != 0 && --gStatusCountdown <= 0) {
        gStatusCountdown = gStatusFrequency > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(gStatusFrequency);
        RefreshStatusLine();
    }
}

void DispatchPointProc(void *window, int first) {
    const int kind = gRunHost.childKind ? gRunHost.childKind(window) : kRunChildOther;
    RunPointProc proc = nullptr;
    if (kind == kRunChildGraph) proc = IsMap() ? gRunHost.plotMapPoint : gRunHost.plotOdePoint;
    else if (kind == kRunChildText) proc = IsMap() ? gRunHost.addTextMapPoint : gRunHost.addTextOdePoint;
    const RunPoint point = {gOutputTime, gOutputValues, first};
    if (proc) proc(window, &point);
}

int PumpRunMessages() {
    FlushRunOutput(0);
    if (!gRunState.pauseArmed && gRunHost.messagesDue && !gRunHost.messagesDue()) return 0;
    for (;;) {
        const int r = gRunHost.pumpOne ? gRunHost.pumpOne() : kPumpEmpty;
        if (r == kPumpQuit) {
            gRunState.stopRequested = 1;
            return 1;
        }
        if (r == kPumpDispatched) continue;
        // Nothing could end a pause without a message source.
        if (gRunState.pauseArmed && !gRunState.stopRequested && !gRunState.trajectoryAborted &&
            gRunHost.pumpOne && gRunHost.waitMessage) {
            // The rows and texts up to the pause are shown while it waits.
            FlushRunOutput(1);
            gRunHost.waitMessage();
            continue;
        }
        if (gRunState.pauseArmed) EndPause();
        return 0;
    }
}

void StartPause(int milliseconds) {
    if (gRunState.pauseArmed) return;
    unsigned ms = 0;
    if (gPause > 0) ms = static_cast<unsigned>(gPause) * 100u;
    else if (gPause == 0) {
        // Pacing alone pauses for the given time; nothing else to wait for.
        if (!gPacing || milliseconds <= 0) return;
        ms = static_cast<unsigned>(milliseconds);
    }
    if (ms != 0 || gPause > 0) {
        const unsigned id = gRunHost.startPauseTimer ? gRunHost.startPauseTimer(ms) : 0;
        if (id == 0) {
            ShowErrorBox(IDS_NO_TIMER);
            return;
        }
        gPauseTimer = id;
    }
    if (gPause != 0) {
        GetStatusText(gPauseSavedStatus);
        gPauseSavedStatusValid = 1;
        SetStatusText(LoadTextResource(gPause < 0 ? IDS_PRESS_ANY_KEY : IDS_PAUSING));
    }
    gRunState.pauseArmed = 1;
}

void EndPause() {
    if (!gRunState.pauseArmed) return;
    if (gPauseTimer) {
        if (gRunHost.killPauseTimer) gRunHost.killPauseTimer(gPauseTimer);
        gPauseTimer = 0;
    }
    // PAUSE() changes "Pause" only while it starts the pause: whether the
    // status text was put aside is remembered rather than read from it.
    if (gPauseSavedStatusValid) {
        gPauseSavedStatusValid = 0;
        SetStatusText(gPauseSavedStatus);
    }
    gRunState.pauseArmed = 0;
}

void ShowBoundaryStatus() {
    GetStatusText(gBoundarySavedStatus);
    SetStatusText(LoadTextResource(IDS_COMPUTING_BOUNDARY));
    gRunState.boundaryStatusShown = 1;
}

void RestoreBoundaryStatus() {
    if (!gRunState.boundaryStatusShown) return;
    SetStatusText(gBoundarySavedStatus);
    gRunState.boundaryStatusShown = 0;
}

void RunToBoundaryPoint() {
    if (gBoundaryPoint == gInitialTime) return;
    PrepareTrajectoryStart();
    if (IsMap()) IterateToBoundaryPoint();
    else IntegrateToBoundaryPoint();
}

void IntegrateToBoundaryPoint() { IntegrateTrajectory(gBoundaryPoint, 0); }

void IterateToBoundaryPoint() { IterateMapTo(gBoundaryPoint); }

void ReportStepResult(int rc, int map) {
    if (rc >= 0) {
        if (gInfinityReached && gInfinityWarning) ShowErrorBox(IDS_INFINITY_REACHED);
        return;
    }
    if (!map) {
        if (rc <= -1001) return;
        if (rc <= -101) {
            ShowErrorBoxWithNumber(IDS_CODE_DLL_ERROR, rc);
            return;
        }
    }
    ShowErrorBox(rc <= -10 ? 10246 - rc : 10223 - rc);
}
