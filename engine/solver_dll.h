// Solver plug-ins: a user's library that integrates ODE problems in place of
// the built-in integrator. This is the portable side of the contract: the
// entry points as the loader found them and the method hooks that forward
// to them. Finding and loading the library is platform code
// (win32/solver_dll.h).
#pragma once
#include "solver_dll_entry.h"
#include "solver_method.h"

// Handed to InitDLL: the module instance of the host program.
extern void *gSolverHostInstance;

// The four hooks. SolverDllInit installs the other three and initialises the
// library for the current problem; when the library is already in use by
// another program, the built-in integrator takes over (selection 0) and its
// initialiser's result is returned. Without a library, the built-in
// integrator takes over silently.
int SolverDllInit();

// The selectable code libraries, as the platform installs them. solverInit:
// the initialiser of a loaded library (SolverDllInit); null, the built-in
// integrator stands in also when a library is selected. menuChanged: after a
// new selection, with the entry text and its help file (both "" when none),
// so the frame puts the library's item into its Help menu; null, nothing.
struct CodeLibraryHooks {
    int (*solverInit)();
    void (*menuChanged)(const char *entry, const char *helpFile);
};
extern CodeLibraryHooks gCodeLibraryHooks;
int SolverDllStep(double *t, double *y, double tEnd, double tolerance, double hMax, double h,
                  int extra);
int SolverDllInterpolate(int which, double t, double *out, InitialFunctionFallback fallback);
void SolverDllEnd();

// Parameter index of the library; null past the last one or without ParamDLL.
SolverParamEntry *GetSolverDllParam(int index);

// The expression language's ITERATIONORDER: the library's IterOrderDLL, 0
// without one.
double ITERATIONORDER();
