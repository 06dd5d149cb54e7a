// Run control from inside an equation: the built-ins STOP, BREAK, CONTINUE,
// SKIP, PAUSE, BACKWARD and TIME, and the few run-engine values they act on.
//
// For the run engine: it owns the meaning of everything below and keeps it
// current; this file only holds the storage so that the built-ins link
// before the engine exists.
//   - gForward: 1 while integrating towards increasing time (set per
//     trajectory); BACKWARD() reads it.
//   - gSkipOutputPoint: set by SKIP; the engine leaves the current output
//     point out of the output and clears the flag.
//   - gPause: the problem's "Pause" setting; PAUSE changes it only while it
//     calls the engine's pause.
//   - gStartPauseHook: the engine's StartPause(milliseconds); null before
//     the engine installs it, and PAUSE then does not wait.
//   - gRunStartTick, gTrajectoryStartTick: TickCount() at the start of the
//     run and of the current trajectory. gProgramStartTick is taken when the
//     program starts.
//   - gLastOutputTime: the time of the last point handed out (LASTT).
#pragma once

extern int gForward;
extern int gSkipOutputPoint;
extern int gPause;
extern void (*gStartPauseHook)(int milliseconds);
extern unsigned gProgramStartTick;
extern unsigned gRunStartTick;
extern unsigned gTrajectoryStartTick;
extern double gLastOutputTime;

// Milliseconds of a monotonic clock, wrapping in 32 bits; differences of
// two readings are the elapsed time (unsigned arithmetic).
unsigned TickCount();

// These return their second argument b.
double STOP(double a, double b);      // a != 0: end the whole run
double BREAK(double a, double b);     // a != 0: end the current trajectory
double CONTINUE(double a, double b);  // a == 0: end the current trajectory
double SKIP(double a, double b);      // a != 0: leave out the current output point

// Pauses the run with "Pause" = ROUND(x) for the moment (positive: tenths of
// a second, negative: until a key). Returns 0.
double PAUSE(double x);
// 1 while the solution is computed backward in time, else 0.
double BACKWARD();
// Milliseconds since the run started (x > 0), since the trajectory started
// (x = 0 or NaN), or since the program started (x < 0).
double TIME(double x);
