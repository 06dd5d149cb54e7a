// The P-code interpreter: evaluates one compiled expression over the shared
// value stack. Called for every right-hand side and every plotted point, so
// it is one flat dispatch loop with no allocation.
#pragma once
#include "compiler.h"
#include "math_plugins.h"

// Evaluates the program at code and returns its value. Every run-time error
// (evaluator codes 1-7, -2000, and those of the built-ins it calls) leaves
// through RaiseEvalError to the caller's recovery point, so callers run it
// inside an EvalRecovery guard. Re-entrant: a built-in may run P-code on top
// of the same stack.
double RunPcode(const PcodeProgram *code);

// Calls a plug-in function with count arguments (0 to 20) taken in order
// from args, in the plug-in calling convention (the callee removes them).
double CallMathFunction(MathFunction function, int count, const double *args);

// Opcode 16 on the stack whose top (next free slot) is sp: the count values
// below sp are the arguments; the result replaces them. Returns the new top.
// Raises as RunPcode does (count above 20, overflow past limit, a result of
// +infinity). Shared with the fused right-hand side, so both agree exactly.
double *CallMathOnStack(MathFunction function, int count, double *sp, double *limit);
