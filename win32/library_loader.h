// Every library the program loads at run time (math-function and solver
// plug-ins, the mail and MathLink libraries) comes in through here.
#pragma once
#include <windows.h>

// LoadLibraryA without the system's "cannot find file" box: a missing or
// broken plug-in is reported by the caller with its own message. The
// process's error mode is restored afterwards. Null on failure.
HMODULE LoadLibrarySilently(const char *path);
