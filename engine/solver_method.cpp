#include "solver_method.h"

#include "dop853.h"
#include "platform.h"

// The built-in integrator until a problem chooses another method.
SolverMethod gSolverMethod = {Dop853Interpolate, Dop853Step, Dop853Init, Dop853End};
int gMethodReady;
RunState gRunState;
int gMethodCleanupPending;

namespace {
int gRunInProgress;
}

void ResetSolverMethod(int forgetTrajectory) {
    gMethodReady = 0;
    if (forgetTrajectory) {
        gRunState.canContinue = 0;
        PlatformSetChoiceState(kChoiceContinue, false);
    }
    if (gRunInProgress) {
        gMethodCleanupPending = 1;
        return;
    }
    if (gSolverMethod.cleanup) gSolverMethod.cleanup();
}

void RunDeferredCleanup() {
    if (!gMethodCleanupPending) return;
    gMethodCleanupPending = 0;
    if (gSolverMethod.cleanup) gSolverMethod.cleanup();
}

void BeginMethodRun() { gRunInProgress = 1; }

void FinishMethodRun() {
    gRunInProgress = 0;
    RunDeferredCleanup();
}
