// Functions that math-function plug-ins add to the expression language,
// collected in load order into one table that the compiler searches by exact
// name and the interpreter calls by address.
#pragma once
#include "math_plugin.h"  // the records and calls all plug-ins share

// Copies of the plug-ins' records; empty until the plug-ins are loaded.
extern MathFunctionEntry *gMathFunctions;
extern int gMathFunctionCount;
