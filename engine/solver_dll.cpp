#include "solver_dll.h"

#include "bridges.h"
#include "dop853.h"
#include "messages.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_host.h"
#include "string_ids.h"
#include "workspace.h"

SolverDllEntry gSolverDll;
void *gSolverHostInstance;
CodeLibraryHooks gCodeLibraryHooks;

namespace {

// InitDLL has set the library up and EndDLL is still owed; the cleanup hook
// may run more than once.
bool gLibraryInitialised;

// Back to the built-in integrator for this problem and its selection.
int UseBuiltInIntegrator() {
    gCodeLibraryIndex = 0;
    gSolverDll.IterOrderDLL = nullptr;
    gSolverMethod.init = Dop853Init;
    return Dop853Init();
}

}  // namespace

int SolverDllInit() {
    // A failed preparation is not followed by a reset: end the library's
    // earlier set-up before it is asked for a new one.
    SolverDllEnd();
    if (!gSolverDll.InitDLL || !gSolverDll.SolveDLL || !gSolverDll.InterpolateDLL || !gSolverDll.EndDLL)
        return UseBuiltInIntegrator();
    gSolverMethod.step = SolverDllStep;
    gSolverMethod.interpolate = SolverDllInterpolate;
    gSolverMethod.cleanup = SolverDllEnd;
    const int retarded = static_cast<int>(gRetardedPoints);
    const int r = gSolverDll.InitDLL(gSolverHostInstance, gProblemKind == kOdeSystem ? 1 : 0,
                                     static_cast<int>(gDimension), retarded);
    gLibraryInitialised = r != -1;
    if (r == -2) {
        ShowErrorBox(IDS_NOT_ENOUGH_MEMORY);
    } else if (r == -1) {
        ShowErrorBox(IDS_CODE_DLL_IN_USE);
        // The problem still runs, on the built-in integrator.
        return UseBuiltInIntegrator();
    } else if (r < 0) {
        ShowErrorBoxWithNumber(IDS_CODE_DLL_ERROR, r);
    } else if (r != retarded && !(r == 1 && retarded == 0)) {
        ShowWarningBoxWithNumber(IDS_SOLUTION_POINTS_RETAINED, r);
    }
    return r >= 0 ? 1 : 0;
}

int SolverDllStep(double *t, double *y, double tEnd, double tolerance, double hMax, double h, int) {
    const int rc = gSolverDll.SolveDLL(t, y, tEnd, tolerance, hMax, h, gTrajectoryStart,
                                       gRunState.canContinue ? 0 : 1, RhsCallback, OdeOutputCallback);
    gRunState.canContinue = 1;
    // The library may have replaced the floating-point handling of the thread.
    if (gRunHost.installFaultHandlers) gRunHost.installFaultHandlers();
    return rc;
}

int SolverDllInterpolate(int which, double t, double *out, InitialFunctionFallback fallback) {
    return gSolverDll.InterpolateDLL(which, t, out, fallback);
}

void SolverDllEnd() {
    if (!gLibraryInitialised) return;
    gLibraryInitialised = false;
    if (gSolverDll.EndDLL) gSolverDll.EndDLL();
}

SolverParamEntry *GetSolverDllParam(int index) {
    return gSolverDll.ParamDLL ? gSolverDll.ParamDLL(index) : nullptr;
}

double ITERATIONORDER() { return gSolverDll.IterOrderDLL ? gSolverDll.IterOrderDLL() : 0; }
