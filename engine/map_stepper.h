// The stepping method of "Map" problems: iterates x(n+1) = F(n, x(n)) and
// keeps the last "Retarded points" states in a ring for delayed values
// x(n - k).
//
// Use, in this order (as the integrator's):
//   MapSetCallbacks      once (the run engine installs RhsCallback and
//                        MapOutputCallback; tests their own)
//   MapConfigure         with n and the problem's "Retarded points" setting
//   InitMapMethod        (the init hook) allocates everything
//   MapBeginTrajectory   at the start of every trajectory (empties the ring)
//   IterateMap / MapHistoryLookup
//   FreeMapHistory       (the cleanup hook)
#pragma once
#include "plugin_abi.h"
#include "solver_method.h"

typedef void(VR_PLUGIN_CALL *MapRhs)(double n, double *x, double *result);
typedef int(VR_PLUGIN_CALL *MapOutput)(double n, const double *x);

void MapSetCallbacks(MapRhs rhs, MapOutput output);

// n variables; retardedPoints points at the problem's "Retarded points",
// which InitMapMethod turns from 0 into 2 (a map always keeps two states).
void MapConfigure(int n, int *retardedPoints);

// Empties the ring; times before n0 are answered by the initial functions.
void MapBeginTrajectory(double n0);

// The init hook: installs the other three hooks, allocates the scratch vector
// and the ring. 1 when ready; 0 after a failed allocation (reported once).
int InitMapMethod();

// The cleanup hook; safe on partly allocated or freed storage.
void FreeMapHistory();

// The step hook: outputs the current state (storing it first when the ring
// is empty), then applies the map `power` times per iterate and outputs each
// iterate with n advanced by one, until n reaches nEnd. tolerance, hMax and h
// are ignored. Returns 0 or the first nonzero result of the output callback.
int IterateMap(double *n, double *x, double nEnd, double tolerance, double hMax, double h, int power);

// The interpolate hook: the stored state of step trunc(t). 0 on success; -1
// when t is outside the stored history; -2 for a bad index.
int MapHistoryLookup(int which, double t, double *out, InitialFunctionFallback fallback);
