// Solver plug-ins: a user's library that integrates ODE problems in place of
// the built-in integrator. This is the portable side of the contract: the
// entry points as the loader found them and the method hooks that forward
// to them. Finding and loading the library is platform code
// (win32/solver_dll.h).
#pragma once
#include <cstddef>

#include "plugin_abi.h"
#include "solver_method.h"

// One parameter of the library, as ParamDLL hands it out: owned by the
// library, its value written by the host. Twelve bytes on the plug-in ABI:
// name pointer at 0, value at 4.
#pragma pack(push, 4)
struct SolverParamEntry {
    const char *name;
    double value;
};
#pragma pack(pop)
#if defined(_WIN32)
static_assert(sizeof(SolverParamEntry) == 12 && offsetof(SolverParamEntry, value) == 4,
              "the plug-in ABI fixes the record's layout");
#endif

typedef void(VR_PLUGIN_CALL *SolverRhsProc)(double t, double *y, double *dydt);
typedef int(VR_PLUGIN_CALL *SolverOutputProc)(double t, const double *y);

typedef int(VR_PLUGIN_CALL *InitDllProc)(void *hostInstance, int isSystem, int dimension,
                                         int retardedPoints);
typedef int(VR_PLUGIN_CALL *SolveDllProc)(double *t, double *y, double tEnd, double tolerance,
                                          double hMax, double h, double t0, int firstCall,
                                          SolverRhsProc rhs, SolverOutputProc output);
typedef int(VR_PLUGIN_CALL *InterpolateDllProc)(int which, double t, double *out,
                                                InitialFunctionFallback fallback);
typedef void(VR_PLUGIN_CALL *EndDllProc)();
typedef SolverParamEntry *(VR_PLUGIN_CALL *ParamDllProc)(int index);
typedef double(VR_PLUGIN_CALL *IterOrderDllProc)();

// The loaded library; every entry null when absent.
struct SolverDllEntry {
    void *module;
    InitDllProc InitDLL;
    ParamDllProc ParamDLL;
    EndDllProc EndDLL;
    InterpolateDllProc InterpolateDLL;
    SolveDllProc SolveDLL;
    IterOrderDllProc IterOrderDLL;
};

extern SolverDllEntry gSolverDll;

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
