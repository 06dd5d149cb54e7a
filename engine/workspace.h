// The problem workspace: every per-problem array whose size follows from the
// problem's kind and dimension. Compiled expressions read the state cells
// here by address, so everything compiled becomes invalid when the
// workspace is rebuilt.
#pragma once
#include <cstddef>

#include "value_stack.h"

// The problem's kind and sizes (the [Type] section of a problem file).
enum ProblemKind { kSingleOde = 0, kOdeSystem = 1, kMap = 2 };

extern int gProblemKind;        // ProblemKind, initially a single ODE
extern unsigned gDimension;     // n: "Dimension/Order", initially 2
extern unsigned gStackLength;   // "Stack length": doubles of the value stack, initially 1000
extern unsigned gPcodeLength;   // "P-code length": bytes of the P-code buffer, initially 10000

// One named quantity: scalar when low and high are both 0, else components
// low..high, component k at address + (k - low). A null or empty name never
// matches a name in an expression.
struct ColumnEntry {
    char *name;  // owned
    double *address;
    int low;
    int high;
};

struct ParameterEntry {
    char *name;  // owned
    double value;
};

// Individual variable names for delayed values name(t). The names are
// borrowed from the column table while compiling.
struct DelayedValueName {
    const char *name;
    int spare;
};

// Fixed entries of the column table (ORDER: the table's first seven rows).
enum ColumnIndex {
    kColumnVariables = 0,   // "x"
    kColumnTime = 1,        // "t", for a map "n"
    kColumnInitial = 2,     // "x0"
    kColumnInitialTime = 3, // "t0", for a map "n0"
    kColumnTrajectory = 4,  // "tp", none for a map
    kColumnFamilyX = 5,     // "nx"
    kColumnFamilyY = 6,     // "ny"
    kFixedColumnCount = 7,  // then n variable names, then n + 2 initial-value names
};

extern ColumnEntry *gColumnTable;  // 2n + 9 entries
extern int gColumnCount;
extern ParameterEntry *gParameters;
extern int gParameterCount;

// State cells and vectors.
extern double gTime;               // the independent variable
extern double gInitialTime;        // its initial value
extern double gTrajectoryValue;    // "tp": set by the run engine per trajectory
extern double gFamilyX, gFamilyY;  // "nx", "ny": set per trajectory of a family
extern double *gVariables;         // n
extern double *gSavedVariables;    // n: save copy of the variables
extern double *gWorkVectorA;       // n: working vectors of the run engine
extern double *gWorkVectorB;       // n
extern double *gInitialValues;     // n + 2
// n each: where the evaluation bridges keep the cells they overwrite.
extern double *gBridgeVariables;
extern double *gBridgeInitialValues;

// Pointers into the P-code buffer, n each.
extern unsigned char **gEquationCode;
extern unsigned char **gInitialFunctionCode;
extern unsigned char **gBoundaryCode;

// Owned texts, gTextArrayCount each (the n at allocation).
extern char **gEquationTexts;
extern char **gInitialFunctionTexts;
extern char **gBoundaryTexts;
extern int gTextArrayCount;

extern DelayedValueName *gDelayedNames;  // n entries
extern int gDelayedNameCount;

// Status line and discontinuities (owned texts).
extern char *gStatusFirstExpression;
extern char *gStatusSecondExpression;
extern char *gStatusFormat;
extern char *gDiscontinuities;

extern unsigned char *gPcodeBuffer;  // gPcodeLength bytes shared by all compiled code

// The problem file's text buffer and the editors' buffer; owned here so that
// the workspace's release frees them.
extern char *gProblemTextBuffer;
extern char *gEditorTextBuffer;
// Length of the text in gProblemTextBuffer after a build or a conversion.
extern size_t gProblemTextLength;

// The last NewProblemWorkspace succeeded; tested before a run.
extern int gWorkspaceReady;


// Rebuilds the workspace for the current kind and dimension; 1 on success,
// 0 when an allocation failed (reported once).
int NewProblemWorkspace();
int AllocColumnTable();
int AllocValueStack();
int AllocPcodeBuffer();
void FreeProblemArrays();
void FreeProblemWorkspace();

// Work of the boundary-value shooting: five n-vectors of doubles, four of
// ints and two n x n matrices held as vectors of row pointers. The first
// int vector is also gRunState.shootingIndex while it is allocated.
struct SolverWorkspace {
    double *vectors[5];
    int *indices[4];
    double **matrices[2];
    int rows;  // n at allocation
};
extern SolverWorkspace gSolverWork;

int AllocSolverWorkspace();  // 1 on success
void FreeSolverWorkspace();

// The calculator's results.
extern double *gCalculatorResults;
extern int gCalculatorResultCount;
extern int gCalculatorResultCapacity;

// Room for ten more results. On failure the user is told and the results
// held so far stay as they were; returns 0.
int GrowCalculatorResults();
void ClearCalculatorResults();

// Calculator result k for the expression language: k is rounded; k > 0 is
// the k-th result, k <= 0 counts back from the last (0 the last). No such
// result raises evaluation error 7.
double GetCalculatorOutput(double k);

// Empties the value stack; run on every evaluation abort.
void ResetValueStack();
