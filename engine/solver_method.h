// The stepping method of a run and the control words (run_state.h) through
// which pumps, window procedures, built-in functions and error boxes steer it.
#pragma once
#include "plugin_abi.h"
#include "run_state.h"

// Value of initial function j (or one of its time derivatives) at a time
// before the trajectory start; handed through to solver plug-ins.
typedef double(VR_PLUGIN_CALL *InitialFunctionFallback)(int j, double t);

// The four hooks the run engine calls; swapped as a whole between the
// built-in integrator, the map stepper and a solver plug-in. Each init hook
// installs the other three of its own set.
struct SolverMethod {
    // which >= 0: that variable into out[0]; which = -k: the first k variables.
    // 0 on success, negative on failure.
    int (*interpolate)(int which, double t, double *out, InitialFunctionFallback fallback);
    // Advances (t, y) towards tEnd; h carries the direction. extra is
    // "Retarded points" for ODEs, "Power" for maps. >= 0 done, < 0 failure.
    int (*step)(double *t, double *y, double tEnd, double tolerance, double hMax, double h,
                int extra);
    int (*init)();      // nonzero when ready
    void (*cleanup)();  // frees the method's storage; safe at any time, twice too
};

extern SolverMethod gSolverMethod;

// The current method has been initialised for the current problem.
extern int gMethodReady;

// Marks the method not ready and runs its cleanup hook. forgetTrajectory also
// clears canContinue and greys Continue. While a run is in progress the
// method may be on the stack (a memory failure inside a step, a plug-in's
// SolveDLL): then only gMethodReady is cleared and the cleanup waits for
// FinishMethodRun.
void ResetSolverMethod(int forgetTrajectory);

// Brackets a run: between the two the cleanup of a reset is deferred.
// FinishMethodRun runs a deferred cleanup.
void BeginMethodRun();
void FinishMethodRun();

// A reset happened during the run and its cleanup is still to come. Cleared
// (by running the cleanup) by FinishMethodRun, or by RunDeferredCleanup when
// a new method is prepared before any step.
extern int gMethodCleanupPending;
void RunDeferredCleanup();
