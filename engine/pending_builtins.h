// Built-ins whose real bodies come with later parts of the engine: the
// solver plug-in's iteration order, delayed values and the 3-D projection.
// Until then each is a stand-in with the documented failure result, so the
// tables and the compiler are complete; whoever builds the real one deletes
// its stand-in from pending_builtins.cpp.
#pragma once

// The solver plug-in's iteration order; 0 when there is none.
double ITERATIONORDER();

// EvaluateDelayedValue, projx and projy are declared in builtin_tables.h,
// where the compiler finds them.
