// A derived form of the compiled right-hand side, for speed: all equations
// in one sequence of fused instructions with the top of the value stack in
// a register, operands taken straight from the cells and constants. The
// P-code stays the reference: the form does the same operations in the same
// order on the same values, rounds every result to a double as the stack
// slots do (x87 too), and raises the same errors. An equation it cannot
// cover (jumps, MathLink calls, code it does not recognise) runs through
// RunPcode in its place.
#pragma once
#include "compiler.h"

// Counts every CompileExpression: the form built from code of an older
// count is rebuilt before it is used again.
extern unsigned gPcodeGeneration;

// Builds the form of code[0..count-1]. 0 when memory ran short (the
// equations then run through RunPcode).
int BuildFusedEquations(PcodeProgram *const *code, int count);
void FreeFusedEquations();

// out[i] = RunPcode(code[i]) for i = 0 .. count-1 in order, through the form
// when it is current for code and count. mayRebuild 0: a stale form is not
// rebuilt (the caller may be nested inside an evaluation of the form) and
// the P-code runs. A null code only hands the loop's labels to the form's
// builder. Returns 1.
//
// With variables: the same as if the variables (gVariables) held
// variables[0 .. count-1], which are read in their place and left as they
// are. Only a form whose equations read nothing but cells and constants
// can (no built-in, plug-in or P-code of its own could look at the
// variables); 0 (out undefined, nothing else changed) when the form cannot
// do it, and the caller copies. variables must not overlap out.
int EvaluateEquations(PcodeProgram *const *code, int count, double *out, int mayRebuild,
                      const double *variables = nullptr);

// For tests: whether equation index of the current form runs fused (1) or
// through RunPcode (0); -1 when there is no form or no such equation.
int FusedEquationCovered(int index);

// For tests: whether equation index of the current form belongs to a run
// of equations of one shape evaluated a column at a time (1) or not (0).
int FusedEquationInColumns(int index);
