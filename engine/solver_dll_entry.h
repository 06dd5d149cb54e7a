// The entry points of a loaded solver library alone, for the code that only
// tests or clears them without the method hooks (solver_dll.h; solver_dll.cpp
// defines gSolverDll).
#pragma once
#include <cstddef>

#include "plugin_abi.h"
#include "solver_method.h"  // InitialFunctionFallback

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
