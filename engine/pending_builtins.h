// Built-ins whose real bodies come with later parts of the engine: the
// solver plug-in's iteration order. Until then it is a stand-in with the
// documented result, so the tables and the compiler are complete; whoever
// builds the real one deletes its stand-in from pending_builtins.cpp.
#pragma once

// The solver plug-in's iteration order; 0 when there is none.
double ITERATIONORDER();
