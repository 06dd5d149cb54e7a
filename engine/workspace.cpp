#include "workspace.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "bridges.h"
#include "compiler.h"
#include "eval_errors.h"
#include "fused_equations.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "solver_method.h"
#include "string_ids.h"

int gProblemKind = kSingleOde;
unsigned gDimension = 2;
unsigned gStackLength = 1000;
unsigned gPcodeLength = 10000;

ColumnEntry *gColumnTable;
int gColumnCount;
ParameterEntry *gParameters;
int gParameterCount;

double gTime, gInitialTime, gTrajectoryValue, gFamilyX, gFamilyY;
double *gVariables, *gSavedVariables, *gWorkVectorA, *gWorkVectorB, *gInitialValues;
double *gBridgeVariables, *gBridgeInitialValues;

unsigned char **gEquationCode, **gInitialFunctionCode, **gBoundaryCode;
char **gEquationTexts, **gInitialFunctionTexts, **gBoundaryTexts;
int gTextArrayCount;

DelayedValueName *gDelayedNames;
int gDelayedNameCount;

char *gStatusFirstExpression, *gStatusSecondExpression, *gStatusFormat, *gDiscontinuities;

ValueStack gValueStack;
unsigned char *gPcodeBuffer;
char *gProblemTextBuffer, *gEditorTextBuffer;
size_t gProblemTextLength;
int gWorkspaceReady;

SolverWorkspace gSolverWork;

double *gCalculatorResults;
int gCalculatorResultCount;
int gCalculatorResultCapacity;

namespace {

// 1 when the variables are numbered x[1]..x[n] (a system or map of more than
// one variable), 0 when x[0]..x[n-1] (a single ODE, where x' and x'' are the
// derivatives, or a single variable).
int FirstVariableIndex() { return gProblemKind != kSingleOde && gDimension > 1 ? 1 : 0; }

// Part of a batch: once an allocation of the batch has failed the rest is
// skipped, so the user hears of it once.
void CopyTextOfBatch(char *&slot, const char *text) {
    if (!gOutOfMemory) SetNonEmptyStringCopy(slot, text);
}

void SetColumn(int i, int nameId, double *address, int low, int high) {
    ColumnEntry &e = gColumnTable[i];
    if (nameId) CopyTextOfBatch(e.name, LoadTextResource(nameId));
    e.address = address;
    e.low = low;
    e.high = high;
}

void FillFixedColumns() {
    const bool map = gProblemKind == kMap;
    const int f = FirstVariableIndex();
    const int n = static_cast<int>(gDimension);
    SetColumn(kColumnVariables, IDS_COLUMN_X, gVariables, f, n - 1 + f);
    SetColumn(kColumnTime, map ? IDS_COLUMN_N : IDS_COLUMN_T, &gTime, 0, 0);
    SetColumn(kColumnInitial, IDS_COLUMN_X0, gInitialValues, f, f + n + 1);
    SetColumn(kColumnInitialTime, map ? IDS_COLUMN_N0 : IDS_COLUMN_T0, &gInitialTime, 0, 0);
    SetColumn(kColumnTrajectory, map ? 0 : IDS_COLUMN_TP, &gTrajectoryValue, 0, 0);
    SetColumn(kColumnFamilyX, IDS_COLUMN_NX, &gFamilyX, 0, 0);
    SetColumn(kColumnFamilyY, IDS_COLUMN_NY, &gFamilyY, 0, 0);
}

void SetStatusLineDefaults() {
    const bool map = gProblemKind == kMap;
    CopyTextOfBatch(gStatusFirstExpression, LoadTextResource(map ? IDS_COLUMN_N : IDS_COLUMN_T));
    char second[32];
    std::snprintf(second, sizeof second, FirstVariableIndex() ? "%s[1]" : "%s",
                  LoadTextResource(IDS_COLUMN_X));
    CopyTextOfBatch(gStatusSecondExpression, second);
    CopyTextOfBatch(gStatusFormat, LoadTextResource(map ? IDS_STATUS_FORMAT_MAP : IDS_STATUS_FORMAT));
}

// Frees count owned texts, last first, then the array.
void FreeTextArray(char **&texts, int count) {
    if (texts)
        for (int i = count - 1; i >= 0; --i) FreeAndNull(texts[i]);
    FreeAndNull(texts);
}

}  // namespace

int AllocValueStack() {
    AllocArray(gValueStack.base, gStackLength);
    if (!gValueStack.base) {
        gValueStack.top = gValueStack.limit = nullptr;
        return 0;
    }
    gValueStack.top = gValueStack.base;
    gValueStack.limit = gValueStack.base + (gStackLength - 1);
    AddEvalAbortHook(ResetValueStack);
    return 1;
}

void ResetValueStack() {
    // Down to the level of the recovery point the abort jumps to; below it
    // an outer evaluation may still hold operands.
    const uintptr_t mark = reinterpret_cast<uintptr_t>(EvalRecoveryStackTop());
    const bool inStack = mark >= reinterpret_cast<uintptr_t>(gValueStack.base) &&
                         mark <= reinterpret_cast<uintptr_t>(gValueStack.limit);
    gValueStack.top = inStack ? reinterpret_cast<double *>(mark) : gValueStack.base;
}

int AllocPcodeBuffer() {
    AllocArray(gPcodeBuffer, gPcodeLength);
    return gPcodeBuffer != nullptr;
}

int AllocColumnTable() {
    const int n = static_cast<int>(gDimension);
    gColumnCount = 2 * n + 9;
    AllocArray(gColumnTable, gColumnCount);
    AllocArray(gParameters, gParameterCount);
    AllocArray(gDelayedNames, n);
    gDelayedNameCount = gDelayedNames ? n : 0;
    AllocArray(gEquationTexts, n);
    AllocArray(gInitialFunctionTexts, n);
    AllocArray(gBoundaryTexts, n);
    gTextArrayCount = gBoundaryTexts ? n : 0;
    if (gColumnTable) FillFixedColumns();
    else gColumnCount = 0;
    if (!gParameters) gParameterCount = 0;
    SetStatusLineDefaults();
    AllocValueStack();
    return AllocPcodeBuffer();
}

void FreeProblemArrays() {
    if (gParameters)
        for (int i = gParameterCount - 1; i >= 0; --i) FreeAndNull(gParameters[i].name);
    if (gColumnTable)
        for (int i = gColumnCount - 1; i >= 0; --i) FreeAndNull(gColumnTable[i].name);
    // The arrays were allocated for the dimension of their time, which may
    // differ from the one just chosen.
    FreeTextArray(gEquationTexts, gTextArrayCount);
    FreeTextArray(gInitialFunctionTexts, gTextArrayCount);
    FreeTextArray(gBoundaryTexts, gTextArrayCount);
    gTextArrayCount = 0;
    FreeAndNull(gParameters);
    if (gNameTable == gColumnTable) gNameTable = nullptr;
    FreeAndNull(gColumnTable);
    FreeAndNull(gDelayedNames);
    gDelayedNameCount = 0;
    FreeAndNull(gValueStack.base);
    gValueStack.top = gValueStack.limit = nullptr;
    FreeAndNull(gPcodeBuffer);
    // Code compiled into the buffer is gone with it.
    gStatusLineCode[0] = gStatusLineCode[1] = nullptr;
    FreeAndNull(gStatusFirstExpression);
    FreeAndNull(gStatusSecondExpression);
    FreeAndNull(gStatusFormat);
    FreeAndNull(gDiscontinuities);
    gColumnCount = 0;
    gParameterCount = 0;
}

int NewProblemWorkspace() {
    ResetSolverMethod(1);
    gOutOfMemory = 0;
    FreeFusedEquations();
    FreeProblemArrays();
    const unsigned n = gDimension;
    AllocArray(gVariables, n);
    AllocArray(gSavedVariables, n);
    AllocArray(gWorkVectorA, n);
    AllocArray(gWorkVectorB, n);
    AllocArray(gBridgeVariables, n);
    AllocArray(gBridgeInitialValues, n);
    AllocArray(gInitialValues, n + 2);
    AllocArray(gEquationCode, n);
    AllocArray(gInitialFunctionCode, n);
    AllocArray(gBoundaryCode, n);
    AllocColumnTable();
    PlatformSetChoiceState(kChoiceMethod, gProblemKind != kMap);
    gWorkspaceReady = !gOutOfMemory;
    return gWorkspaceReady;
}

void FreeProblemWorkspace() {
    ResetSolverMethod(1);
    FreeFusedEquations();
    FreeProblemArrays();
    FreeAndNull(gVariables);
    FreeAndNull(gSavedVariables);
    FreeAndNull(gWorkVectorA);
    FreeAndNull(gWorkVectorB);
    FreeAndNull(gBridgeVariables);
    FreeAndNull(gBridgeInitialValues);
    FreeAndNull(gInitialValues);
    FreeAndNull(gEquationCode);
    FreeAndNull(gInitialFunctionCode);
    FreeAndNull(gBoundaryCode);
    FreeAndNull(gValueStack.base);
    FreeAndNull(gPcodeBuffer);
    FreeAndNull(gProblemTextBuffer);
    FreeAndNull(gEditorTextBuffer);
    gWorkspaceReady = 0;
}

int AllocSolverWorkspace() {
    gOutOfMemory = 0;
    FreeSolverWorkspace();
    const int n = static_cast<int>(gDimension);
    for (double *&v : gSolverWork.vectors) AllocArray(v, n);
    for (int *&v : gSolverWork.indices) AllocArray(v, n);
    for (double **&m : gSolverWork.matrices) {
        AllocArray(m, n);
        if (m)
            for (int r = 0; r < n; ++r) AllocArray(m[r], n);
    }
    gSolverWork.rows = n;
    gRunState.shootingIndex = gSolverWork.indices[0];
    return !gOutOfMemory;
}

void FreeSolverWorkspace() {
    for (double **&m : gSolverWork.matrices) {
        if (m)
            for (int r = gSolverWork.rows - 1; r >= 0; --r) FreeAndNull(m[r]);
        FreeAndNull(m);
    }
    for (int *&v : gSolverWork.indices) FreeAndNull(v);
    for (double *&v : gSolverWork.vectors) FreeAndNull(v);
    gSolverWork.rows = 0;
    gRunState.shootingIndex = nullptr;
}

int GrowCalculatorResults() {
    // A new block first: a failed reallocation would lose the results.
    const int capacity = gCalculatorResultCapacity + 10;
    double *grown = static_cast<double *>(AllocZeroed(capacity * sizeof(double)));
    if (!grown) return 0;
    if (gCalculatorResults)
        std::memcpy(grown, gCalculatorResults, gCalculatorResultCount * sizeof(double));
    FreeAndNull(gCalculatorResults);
    gCalculatorResults = grown;
    gCalculatorResultCapacity = capacity;
    return 1;
}

void ClearCalculatorResults() {
    FreeAndNull(gCalculatorResults);
    gCalculatorResultCount = 0;
    gCalculatorResultCapacity = 0;
}

double GetCalculatorOutput(double k) {
    const double r = std::floor(k + 0.5);
    // Compared as doubles first: a NaN or huge k must not reach the int.
    const double index = r > 0 ? r - 1 : gCalculatorResultCount - 1 + r;
    if (!(index >= 0 && index < gCalculatorResultCount)) RaiseEvalError(kEvalNoCalculatorResult);
    return gCalculatorResults[static_cast<int>(index)];
}
