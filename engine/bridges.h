// Evaluation bridges: how integrators, the run engine and windows evaluate
// compiled code at a point of their own choosing. Each saves the cells it
// overwrites (time, variables, initial values), puts the point in, runs the
// P-code and puts the saved values back, so an evaluation never disturbs the
// state of the run; also when the code raises an error, since the abort path
// restores every bridge that the jump leaves.
#pragma once
#include "compiler.h"
#include "plugin_abi.h"

// Settings the bridges read, copied in by the run engine from the problem:
// the step and tolerance of the numerical derivative of initial functions
// (|"h"| and "Tolerance", initially 0.1 and 1e-5), and whether the problem
// has initial functions for times before the start ("Initial functions").
extern double gDerivativeStep;
extern double gDerivativeTolerance;
extern int gUseInitialFunctions;

// Compiled code of whatever window is being served; the windows set these
// before evaluating (as they set gCurrentGraph). Null: nothing to evaluate.
// The status line's code is the problem's own: gStatusLineCode, set by
// CompileProblem and kept here beside the other code the bridges run.
extern PcodeProgram *gStatusLineCode[2];
extern const PcodeProgram *gAxisCode[2];
extern const PcodeProgram *const *gTextColumnCode;
extern const PcodeProgram *gConditionCode;

// out[i] = code[i] at (t, y) for i < count.
void EvaluateExpressionsAt(int count, double t, const double *y, double *out,
                           const PcodeProgram *const *code);

// dydt = the problem's equations at (t, y); the right-hand side handed to the
// integrators and to solver plug-ins.
void VR_PLUGIN_CALL RhsCallback(double t, double *y, double *dydt);

void EvaluateAxisExpressions(double t, const double *y, double *out);
void EvaluateStatusExpressions(double t, const double *y, double *out);
void EvaluateTextColumn(int index, double t, const double *y, double *out);

// The Poincare condition at time t (variables as they are).
double EvaluateWindowCondition(double t);

// The direction-field vector at a grid point (x, y) of a graph window, with
// the variables set to the initial values first.
void EvaluateDirectionVector(double t, double pointX, double pointY, double *out);

// Evaluates each initial function at gTime into gVariables and the save copy.
void EvaluateInitialValues();

// out[i] = boundary condition i with the first n initial-value cells set to
// values.
void EvaluateBoundaryConditions(const double *values, double *out);

double EvaluateInitialFunction(int index, double t);

// The fallback of the method's lookup for times before the start: initial
// function `which`, or one of its time derivatives (numerically); -infinity
// when the derivative does not converge.
double VR_PLUGIN_CALL EvaluateHistoryValue(int which, double t);

// EvaluateDelayedValue (builtin_tables.h) is the built-in behind name(t) and
// x(k, t): an index that is not an integer of the variables (or their
// derivatives) raises "Argument out of range"; a time outside the stored
// history raises "Argument out of range", a derivative the method cannot
// give "Order too high".
