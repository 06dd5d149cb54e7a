#include "solver_method.h"

#include "platform.h"

// The built-in integrator installs its hooks here once it is linked in; until
// a method's init has run the table may hold nulls, which the reset tolerates.
SolverMethod gSolverMethod;
int gMethodReady;
RunState gRunState;

void ResetSolverMethod(int forgetTrajectory) {
    gMethodReady = 0;
    if (forgetTrajectory) {
        gRunState.canContinue = 0;
        PlatformSetCommandState(kCmdContinue, false);
    }
    if (gSolverMethod.cleanup) gSolverMethod.cleanup();
}
