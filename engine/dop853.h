// The built-in integrator: the explicit Runge-Kutta method of order 8 with
// error estimators of orders 5 and 3 and a dense output of order 7
// ("Dormand-Prince 8(5,3)"). Besides stepping it keeps a ring of the
// dense-output polynomials of the last "Retarded points" steps, which answers
// delayed values, their time derivatives and interpolated output.
//
// Use, in this order:
//   Dop853SetCallbacks   once (the run engine installs RhsCallback and
//                        OdeOutputCallback; tests and benchmarks their own)
//   Dop853Configure      with the problem's n, type and "Retarded points"
//   Dop853Init           (the init hook) allocates everything
//   Dop853BeginTrajectory at the start of every trajectory (empties the ring)
//   Dop853Step / Dop853Interpolate as often as wanted
//   Dop853End            (the cleanup hook)
// A change of n or depth needs Dop853End and Dop853Init again.
#pragma once
#include "plugin_abi.h"
#include "solver_method.h"

// dydt = f(t, y). Reaches the problem's equations through the plug-in calling
// convention, since solver plug-ins are handed the same function.
typedef void(VR_PLUGIN_CALL *Dop853Rhs)(double t, double *y, double *dydt);

// Receives every output point; a nonzero result stops the integration and is
// returned by Dop853Step.
typedef int(VR_PLUGIN_CALL *Dop853Output)(double t, const double *y);

void Dop853SetCallbacks(Dop853Rhs rhs, Dop853Output output);

// The problem's inputs: n variables; isSystem 1 for "System of ODEs", 0 for a
// "Single ODE" of order n (which decides what derivative indices mean); depth
// = "Retarded points", the number of steps the ring keeps (0: none).
void Dop853Configure(int n, int isSystem, int depth);

// Empties the ring and records the trajectory start t0 (before which, in the
// direction of integration, delayed values come from the initial functions).
void Dop853BeginTrajectory(double t0);

// The init hook: installs the other three hooks, allocates the stage arrays
// and the ring for the configured n and depth. Nonzero when ready; on a failed
// allocation the user has been told once and 0 is returned.
int Dop853Init();

// The cleanup hook: frees everything; safe on partly allocated or freed storage.
void Dop853End();

// The step hook: integrates (*t, y) to tEnd (direction from tEnd; the sign of
// h is ignored). A negative hMax sets the extrapolation flag. Calls the output
// callback for the initial point and after every accepted step, and stores
// each accepted step in the ring when keepHistory is nonzero. Returns 0, -1
// ("Step too small") or the first nonzero result of the output callback.
int Dop853Step(double *t, double *y, double tEnd, double tolerance, double hMax, double h,
               int keepHistory);

// Writes one ring record for the step just accepted by Dop853Step (its stages
// are still in the integrator's arrays); evaluates the three extra stages.
void StoreDenseOutput(double tOld, double tNew, const double *yOld);

// The interpolate hook. which >= 0: index `which` into out[0]; which = -k:
// indices 0..k-1. Index j < n is variable j; larger indices ask for time
// derivatives (system: order j / n of variable j mod n; single ODE: order
// j - (n - 1) of the last variable). The fallback answers for times before the
// trajectory start. 0 on success, -1 when t is not covered, -2 for a bad
// index, a derivative order above 7 or a fallback returning -infinity.
int Dop853Interpolate(int which, double t, double *out, InitialFunctionFallback fallback);
