#include "problem_windows.h"

#include "problem_settings.h"
#include "solver_dll.h"

ProblemWindowHost gProblemWindowHost;

void HostGraphSectionRead(WindowId w) {
    if (gProblemWindowHost.graphSectionRead) gProblemWindowHost.graphSectionRead(w);
}

void HostBeginProblemText() {
    if (gProblemWindowHost.beginProblemText) gProblemWindowHost.beginProblemText();
}

void HostEndProblemText() {
    if (gProblemWindowHost.endProblemText) gProblemWindowHost.endProblemText();
}

const char *HostCodeLibraryKey(int index) {
    return gProblemWindowHost.codeLibraryKey ? gProblemWindowHost.codeLibraryKey(index) : nullptr;
}

void HostSelectCodeLibrary(int index) {
    if (gProblemWindowHost.selectCodeLibrary) gProblemWindowHost.selectCodeLibrary(index);
    else gCodeLibraryIndex = index;
}

const char *HostLibraryParamName(int i) {
    if (gProblemWindowHost.libraryParamName) return gProblemWindowHost.libraryParamName(i);
    const SolverParamEntry *e = GetSolverDllParam(i);
    return e ? e->name : nullptr;
}

double *HostLibraryParamValue(int i) {
    if (gProblemWindowHost.libraryParamValue) return gProblemWindowHost.libraryParamValue(i);
    SolverParamEntry *e = GetSolverDllParam(i);
    return e ? &e->value : nullptr;
}
