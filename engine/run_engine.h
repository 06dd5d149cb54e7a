// The run engine: turns Start and Continue into a computation. It locks the
// interface, sets the thread's priority, guards against faults, compiles the
// problem, prepares the stepping method, runs the family of trajectories
// (for maps optionally a parameter scan), hands every point to every child
// window, paces real-time runs, pauses, refreshes the status line, and ends
// every run the same way whatever stopped it.
//
// Everything runs on the one thread; the interface stays alive because the
// output callbacks pump messages. Windows reach the engine's services
// through run_host.h.
//
// Workspace cells the engine moves: gTime and gVariables (t and x, the
// state the next step starts from; a Continue goes on from them),
// gInitialTime and gInitialValues (t0, x0), gTrajectoryValue (tp: for
// differential equations the first output mark, for maps the bifurcation
// parameter), gFamilyX and gFamilyY (nx, ny).
#pragma once
#include "plugin_abi.h"

// The point being handed out; between points gOutputTime is the next
// output mark. gOutputValues holds n doubles (the workspace's first work
// vector).
extern double gOutputTime;
extern double *gOutputValues;

extern int gFamilyCounterX, gFamilyCounterY;  // the family's two counters
extern int gFinalPoint;          // the last point of a trajectory is being output
extern int gInfinityReached;     // a value of the last point reached "Infinity"
extern int gStatusCountdown;     // points until the next status-line refresh
extern int gHasInitialFunctions; // the problem's first initial function is not empty
extern int gPacing;              // real-time pacing is on for this run
extern unsigned gPacingTick;     // tick at the last paced point, 0 before the first
extern double gPacingTime;       // |gOutputTime| at the last paced point
extern double gRealTimeLag;      // seconds per unit of time needed; 0: nothing to report
extern unsigned gPauseTimer;     // id of the running pause timer, 0 when none
extern double gTrajectoryStart;  // t0 of the current trajectory
extern int gExitAfterRun;        // started with "/x": exit when the run ends

// Boundary conditions: corrects x0 by shooting (SolveBoundaryConditions of
// shooting.h). Null: the given initial values are used.
extern void (*gSolveBoundaryConditions)();

// One whole run (Start: the caller clears canContinue first; Continue: only
// when canContinue is set).
void StartSolving();

// Thread priority from the problem's choice (on) or normal (off), and the
// ideal processor from "Processor".
void SetRunPriority(int on);

void RunOdeFamily();
void RunMapFamily();
void ComputeInitialPoint();
void IterateMapToEnd();

// Output of the steppers; nonzero asks them to stop. Plug-ins call the first.
int VR_PLUGIN_CALL OdeOutputCallback(double t, const double *y);
int VR_PLUGIN_CALL MapOutputCallback(double t, const double *y);

// Pacing, hand-out to every child, pause, pump, status line.
void ProcessOutputPoint();

// Hands the current point to one child window.
void DispatchPointProc(void *window, int first);

// The pump of a run: 1 when a quit message arrived (the run stops). While a
// pause is armed it waits for messages until the pause ends or a stop or
// abort arrives. It lets the host show the output collected so far, and
// looks at the queue only when the host says it is due.
int PumpRunMessages();

// Pauses: "Pause" > 0 tenths of a second, < 0 until a key, 0 with pacing
// the given milliseconds. EndPause is also called by the frame's timer 117,
// key presses in the frame and its children, and the end of every run.
void StartPause(int milliseconds);
void EndPause();

// Status line while boundary conditions are computed.
void ShowBoundaryStatus();
void RestoreBoundaryStatus();

// The shooting's trial run from t0 and the current x to "Point"; windows
// receive nothing.
void RunToBoundaryPoint();
void IntegrateToBoundaryPoint();
void IterateToBoundaryPoint();

// Shows the message of a step result (ODE and map bands); nothing for
// results >= 0 unless "Infinity" was reached and "Infinity warning" is on.
void ReportStepResult(int rc, int map);

// Chooses and initialises the stepping method for the current problem;
// sets gMethodReady and returns it.
int PrepareSolverMethod();

// Timer id of pauses on the frame.
constexpr unsigned kPauseTimerId = 117;
