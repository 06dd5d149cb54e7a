// Solver libraries on Win32: the entries of settings section "Code libraries"
// (key: display name, value: library path, ":" for the program folder) and
// the loading of one of them into gSolverDll (solver_dll.h), whose hooks then
// integrate ODE problems in place of the built-in method.
#pragma once
#include <windows.h>

#include "solver_dll.h"

// Sections of the list and of the libraries' help files (same keys), file 1.
extern const char kCodeLibrariesSection[];
extern const char kCodeHelpSection[];

// Loads the library at path and finds its entry points, plain names first,
// then the stdcall-decorated ones. A library that does not load, or lacks
// one of InitDLL, SolveDLL, InterpolateDLL and EndDLL, is reported with
// message 10214 and the path, left unloaded, and the selection falls back to
// the built-in integrator. 1 when loaded. A library loaded before is freed
// first: the caller has reset the method.
int OpenSolverDll(const char *path);

// Frees the loaded library (none: nothing) and clears every entry.
void CloseSolverDll();

// Key of the index-th entry (1..) of "Code libraries"; null when there is
// none. Valid until the next call.
const char *CodeLibraryKey(int index);

// Makes entry index (0: the built-in integrator) the problem's method:
// resets the method, frees the loaded library and loads the entry's one. An
// entry without a path selects the built-in integrator. The current choice
// again changes nothing. A new choice ends with gCodeLibraryHooks.menuChanged.
void SelectSolverLibrary(int index);

// The help file of the selected library, from "Code help" under its entry
// ("" when none or no library is selected).
extern char gCodeLibraryHelpFile[];
