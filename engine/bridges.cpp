#include "bridges.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "builtin_tables.h"
#include "eval_errors.h"
#include "fused_equations.h"
#include "interpreter.h"
#include "math_routines.h"
#include "solver_method.h"
#include "workspace.h"

double gDerivativeStep = 0.1;
double gDerivativeTolerance = 1e-5;
int gUseInitialFunctions;

const PcodeProgram *gAxisCode[2];
PcodeProgram *gStatusLineCode[2];
const PcodeProgram *const *gTextColumnCode;
const PcodeProgram *gConditionCode;

namespace {

// What an active bridge has put aside. The records live in the bridges'
// frames and are chained innermost first; an evaluation error jumps over
// those frames, so the abort hook puts every saved cell back. Trivially
// destructible, as anything in a frame that a jump crosses must be.
enum SavedCells { kSavedTime = 1, kSavedVariables = 2, kSavedInitialValues = 4 };
struct BridgeRecord {
    BridgeRecord *outer;
    unsigned cells;
    double time;
    int depth;               // recovery points set when the bridge was entered
    double *variables;       // where the saved variables are kept
    double *initialValues;   // where the saved initial values are kept
    double *stackTop;        // the value stack's top before this bridge took slots of it
};
BridgeRecord *gActiveBridge;

int VariableCount() { return static_cast<int>(gDimension); }

// Plain loops: n is small, and a library memcpy call per bridge costs more
// than the copy on the right-hand side's hot path. from may be to itself (an
// output point handed to the windows is the variables), never a part of it.
// Up to four written out: a loop's set-up costs more than such a copy.
inline void Copy(double *to, const double *from, int n) {
    if (n <= 4) {
        switch (n) {
        case 4: to[3] = from[3]; [[fallthrough]];
        case 3: to[2] = from[2]; [[fallthrough]];
        case 2: to[1] = from[1]; [[fallthrough]];
        case 1: to[0] = from[0]; [[fallthrough]];
        default: return;
        }
    }
    for (int i = 0; i < n; ++i) to[i] = from[i];
}

inline bool SaveAreaInUse(const double *area) {
    for (const BridgeRecord *r = gActiveBridge; r; r = r->outer)
        if (r->variables == area || r->initialValues == area) return true;
    return false;
}

// Room for n saved doubles: the workspace's own vector, or, while an
// enclosing bridge holds that one (a bridge reached through a built-in that
// pumps messages, such as a repaint during a modal INPUT), slots on the value
// stack above its top, where nested evaluation works anyway.
double *SaveArea(double *own, BridgeRecord *r) {
    if (!SaveAreaInUse(own)) return own;
    const int n = VariableCount();
    if (gValueStack.limit - gValueStack.top < n) RaiseEvalError(kEvalStackOverflow);
    if (!r->stackTop) r->stackTop = gValueStack.top;
    double *area = gValueStack.top;
    gValueStack.top += n;
    return area;
}

// Inlined: with the constant set of cells each caller passes, what remains
// is the copying itself.
#define VR_BRIDGE_INLINE inline __attribute__((always_inline))

VR_BRIDGE_INLINE void Enter(BridgeRecord *r, unsigned cells) {
    r->outer = gActiveBridge;
    r->cells = cells;
    r->time = gTime;
    r->depth = EvalRecoveryDepth();
    r->variables = r->initialValues = r->stackTop = nullptr;
    if (cells & kSavedVariables) {
        r->variables = SaveArea(gBridgeVariables, r);
        Copy(r->variables, gVariables, VariableCount());
    }
    if (cells & kSavedInitialValues) {
        r->initialValues = SaveArea(gBridgeInitialValues, r);
        Copy(r->initialValues, gInitialValues, VariableCount());
    }
    gActiveBridge = r;
}

// cells: those the record saved. A bridge leaving passes the constant it
// entered with, so that only those are looked at: the record itself has to
// be read back from memory after the evaluation, which could reach it.
VR_BRIDGE_INLINE void Restore(const BridgeRecord *r, unsigned cells) {
    if (cells & kSavedTime) gTime = r->time;
    if (cells & kSavedVariables) Copy(gVariables, r->variables, VariableCount());
    if (cells & kSavedInitialValues) Copy(gInitialValues, r->initialValues, VariableCount());
}

VR_BRIDGE_INLINE void Leave(BridgeRecord *r, unsigned cells) {
    Restore(r, cells);
    if ((cells & (kSavedVariables | kSavedInitialValues)) && r->stackTop) gValueStack.top = r->stackTop;
    gActiveBridge = r->outer;
}

// Innermost first, so the outermost record's cells, the state from before
// any of them, are what remains. Only the bridges entered under the recovery
// point the abort jumps to are left by the jump; one entered under an outer
// point (the equations around a built-in that set a point of its own) is
// still evaluating and keeps its point in place.
void RestoreBridgesAfterAbort() {
    const int depth = EvalRecoveryDepth();
    for (; gActiveBridge && gActiveBridge->depth >= depth; gActiveBridge = gActiveBridge->outer)
        Restore(gActiveBridge, gActiveBridge->cells);
}

bool gAbortHookAdded;
inline void EnsureAbortHook() {
    if (!gAbortHookAdded) {
        AddEvalAbortHook(RestoreBridgesAfterAbort);
        gAbortHookAdded = true;
    }
}

// The initial function being differentiated by EvaluateHistoryValue.
int gDifferentiatedFunction;
double InitialFunctionOfTime(double t) { return EvaluateInitialFunction(gDifferentiatedFunction, t); }

}  // namespace

void EvaluateExpressionsAt(int count, double t, const double *y, double *out,
                           const PcodeProgram *const *code) {
    EnsureAbortHook();
    BridgeRecord r;
    Enter(&r, kSavedTime | kSavedVariables);
    gTime = t;
    Copy(gVariables, y, VariableCount());
    for (int i = 0; i < count; ++i) out[i] = code[i] ? RunPcode(code[i]) : 0;
    Leave(&r, kSavedTime | kSavedVariables);
}

// EvaluateExpressionsAt over the equations, written out: it runs for every
// stage of every step, where each avoidable load and test shows in the cost
// of an evaluation. Equations that read nothing but cells and constants read
// y in place of the variables, which then need no saving, copying in and
// restoring.
void VR_PLUGIN_CALL RhsCallback(double t, double *y, double *dydt) {
    EnsureAbortHook();
    const int n = VariableCount();
    // Only an outermost evaluation may rebuild the fused form: a nested one
    // could be running inside it.
    const int mayRebuild = gActiveBridge == nullptr;
    BridgeRecord r;
    const uintptr_t from = reinterpret_cast<uintptr_t>(y), to = reinterpret_cast<uintptr_t>(dydt);
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(double);
    if (mayRebuild && (from + bytes <= to || to + bytes <= from)) {
        Enter(&r, kSavedTime);
        gTime = t;
        const int done = EvaluateEquations(gEquationCode, n, dydt, 1, y);
        Leave(&r, kSavedTime);
        if (done) return;
    }
    Enter(&r, kSavedTime | kSavedVariables);
    gTime = t;
    Copy(gVariables, y, n);
    EvaluateEquations(gEquationCode, n, dydt, mayRebuild);
    Leave(&r, kSavedTime | kSavedVariables);
}

void EvaluateAxisExpressions(double t, const double *y, double *out) {
    EvaluateExpressionsAt(2, t, y, out, gAxisCode);
}

void EvaluateStatusExpressions(double t, const double *y, double *out) {
    EvaluateExpressionsAt(2, t, y, out, gStatusLineCode);
}

void EvaluateTextColumn(int index, double t, const double *y, double *out) {
    EvaluateExpressionsAt(1, t, y, out, gTextColumnCode + index);
}

double EvaluateWindowCondition(double t) {
    EnsureAbortHook();
    BridgeRecord r;
    Enter(&r, kSavedTime);
    gTime = t;
    double value = gConditionCode ? RunPcode(gConditionCode) : 0;
    Leave(&r, kSavedTime);
    return value;
}

void EvaluateDirectionVector(double t, double pointX, double pointY, double *out) {
    EnsureAbortHook();
    BridgeRecord r;
    Enter(&r, kSavedTime | kSavedVariables);
    Copy(gVariables, gInitialValues, VariableCount());
    if (VariableCount() == 1) {
        gTime = pointX;
        gVariables[0] = pointY;
        out[0] = 1;
        out[1] = RunPcode(gEquationCode[0]);
    } else {
        gTime = t;
        gVariables[0] = pointX;
        gVariables[1] = pointY;
        out[0] = RunPcode(gEquationCode[0]);
        out[1] = RunPcode(gEquationCode[1]);
    }
    Leave(&r, kSavedTime | kSavedVariables);
}

void EvaluateInitialValues() {
    for (int i = 0; i < VariableCount(); ++i) gVariables[i] = EvaluateInitialFunction(i, gTime);
    Copy(gSavedVariables, gVariables, VariableCount());
}

void EvaluateBoundaryConditions(const double *values, double *out) {
    EnsureAbortHook();
    BridgeRecord r;
    Enter(&r, kSavedInitialValues);
    Copy(gInitialValues, values, VariableCount());
    for (int i = 0; i < VariableCount(); ++i) out[i] = RunPcode(gBoundaryCode[i]);
    Leave(&r, kSavedInitialValues);
}

double EvaluateInitialFunction(int index, double t) {
    EnsureAbortHook();
    BridgeRecord r;
    Enter(&r, kSavedTime);
    gTime = t;
    double value = RunPcode(gInitialFunctionCode[index]);
    Leave(&r, kSavedTime);
    return value;
}

double VR_PLUGIN_CALL EvaluateHistoryValue(int which, double t) {
    const int n = VariableCount();
    // Plug-ins call this too: an index that names no initial function (nor
    // a derivative of one; a map has none) is a failure, not a stray read.
    if (which < 0 || (which >= n && gProblemKind == kMap)) return -HUGE_VAL;
    if (which < n) return EvaluateInitialFunction(which, t);
    int function, order;
    if (gColumnTable && gColumnTable[kColumnVariables].low == 1) {
        function = which % n;
        order = which / n;
    } else {
        function = n - 1;
        order = which - (n - 1);
    }
    int saved = gDifferentiatedFunction;
    gDifferentiatedFunction = function;
    double value;
    int rc = NumericDerivative(order, InitialFunctionOfTime, t, &value, std::fabs(gDerivativeStep),
                               gDerivativeTolerance);
    gDifferentiatedFunction = saved;
    // Any failure of the derivative, not only non-convergence, is a failed
    // initial function for the lookup.
    return rc == kDerivativeOk ? value : -HUGE_VAL;
}

double EvaluateDelayedValue(double k, double t) {
    const int n = VariableCount();
    const double index = k - (gColumnTable ? gColumnTable[kColumnVariables].low : 0);
    // Values and time derivatives up to order 7; anything else (a fraction,
    // NaN, a negative or huge index) would address no variable.
    if (!(index >= 0 && index < 8.0 * n && index == std::floor(index)) || !gSolverMethod.interpolate)
        RaiseEvalError(-4);  // "Argument out of range"
    double value = 0;
    int status = gSolverMethod.interpolate(static_cast<int>(index), t, &value,
                                           gUseInitialFunctions ? EvaluateHistoryValue : nullptr);
    // -1: not in the stored history; -2: an order or initial function the
    // method could not give. Shown as the output path shows the same status.
    if (status < 0) RaiseEvalError(status == -1 ? -4 : -5);
    return value;
}
