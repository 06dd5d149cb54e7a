#include "shooting.h"

#include <cfloat>
#include <cmath>

#include "bridges.h"
#include "eval_errors.h"
#include "linear_algebra.h"
#include "messages.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "run_state.h"
#include "string_ids.h"
#include "workspace.h"

namespace {

// Slots of the shooting work space's double vectors; the fifth holds the
// row scales of the linear solve.
enum { kResidual = 0, kPerturbedResidual = 1, kPerturbedInitial = 2, kCorrection = 3 };
static_assert(kRowScaleVector == 4, "the row scales take the slot after the shooting's own vectors");

// Forward differences step by eps^(3/4) relative to the value, or
// absolutely for values too small to step relatively.
const double kDelta = std::pow(DBL_EPSILON, 0.75);
constexpr double kAbsoluteBelow = 2.220446049250313e-14;

void CopyValues(double *to, const double *from, int n) {
    for (int i = 0; i < n; ++i) to[i] = from[i];
}

// Every vector, row and boundary function that the iteration touches, for
// n variables: sizes come from the work space, never from elsewhere.
bool WorkComplete(int n) {
    if (n <= 0 || gSolverWork.rows != n || !gVariables || !gInitialValues || !gBoundaryCode) return false;
    for (double *v : gSolverWork.vectors)
        if (!v) return false;
    for (int *v : gSolverWork.indices)
        if (!v) return false;
    for (double **m : gSolverWork.matrices) {
        if (!m) return false;
        for (int r = 0; r < n; ++r)
            if (!m[r]) return false;
    }
    for (int i = 0; i < n; ++i)
        if (!gBoundaryCode[i]) return false;
    return true;
}

void Fail(int stringId) {
    ShowErrorBox(stringId);
    gRunState.trajectoryAborted = 1;
}

// x := start, then the trial run to "Point". False when the run was stopped
// or the trajectory failed (it has shown its own message).
bool TrialRun(const double *start, int n) {
    CopyValues(gVariables, start, n);
    RunToBoundaryPoint();
    return !gRunState.trajectoryAborted && !gRunState.stopRequested;
}

// A NaN residual is no convergence.
bool Converged(const double *r, int n) {
    for (int k = 0; k < n; ++k)
        if (!(std::fabs(r[k]) < gShootingError)) return false;
    return true;
}

// Column j of the Jacobian from a trial run with initial value j perturbed.
bool JacobianColumns(int n, const double *r, double **jacobian) {
    double *rp = gSolverWork.vectors[kPerturbedResidual];
    double *xp = gSolverWork.vectors[kPerturbedInitial];
    for (int j = 0; j < n; ++j) {
        CopyValues(xp, gInitialValues, n);
        const double v = xp[j];
        double divisor;
        if (std::fabs(v) < kAbsoluteBelow) {
            xp[j] = v + kDelta;
            divisor = kDelta;
        } else {
            xp[j] = v * (1 + kDelta);
            divisor = kDelta * xp[j];
        }
        if (!TrialRun(xp, n)) return false;
        EvaluateBoundaryConditions(xp, rp);
        for (int k = 0; k < n; ++k) jacobian[k][j] = (rp[k] - r[k]) / divisor;
    }
    return true;
}

// The user's guess while shooting runs. An evaluation error in a trial run or
// a boundary function jumps out of the loop below; the abort puts the guess
// back, as a failure does.
const double *gActiveGuess;
int gActiveGuessCount;

void RestoreGuessAfterAbort() {
    if (!gActiveGuess) return;
    CopyValues(gInitialValues, gActiveGuess, gActiveGuessCount);
    gActiveGuess = nullptr;
}

}  // namespace

void SolveBoundaryConditions() {
    const int n = static_cast<int>(gDimension);
    if (!AllocSolverWorkspace() || !WorkComplete(n)) {
        Fail(IDS_GAUSS_FAILED);
        return;
    }
    double *r = gSolverWork.vectors[kResidual];
    double *d = gSolverWork.vectors[kCorrection];
    // The decomposition works in place on the Jacobian, which leaves the
    // second matrix free: its first row keeps the user's guess.
    double **jacobian = gSolverWork.matrices[0];
    double *guess = gSolverWork.matrices[1][0];
    CopyValues(guess, gInitialValues, n);
    AddEvalAbortHook(RestoreGuessAfterAbort);
    gActiveGuess = guess;
    gActiveGuessCount = n;

    int corrections = 0;
    for (;;) {
        if (!TrialRun(gInitialValues, n)) break;
        EvaluateBoundaryConditions(gInitialValues, r);
        if (Converged(r, n)) {
            gActiveGuess = nullptr;
            return;
        }
        if (corrections >= gShootingIterations) {
            Fail(IDS_NEWTON_FAILED);
            break;
        }
        ++corrections;
        if (!JacobianColumns(n, r, jacobian)) break;
        int sign;
        if (SolveLinearSystem(0, n, jacobian, jacobian, gRunState.shootingIndex, r, d, &sign) != kLinearOk) {
            Fail(IDS_GAUSS_FAILED);
            break;
        }
        for (int k = 0; k < n; ++k) gInitialValues[k] -= d[k];
    }
    CopyValues(gInitialValues, guess, n);
    gActiveGuess = nullptr;
}
