// The problem's settings beyond its workspace: range, method, run and
// status-line values, texts and flags that the problem file carries and the
// run engine reads. Initial values are those of a new problem.
#pragma once

extern double gHeavisideZero;         // "Heaviside(0)": value of STEP at 0, 0.5
extern int gPhaseXMin, gPhaseXMax;    // "Phase-portrait x min/max"
extern int gPhaseYMin, gPhaseYMax;    // "Phase-portrait y min/max"
extern double gDelay;                 // "Delay"
extern unsigned gMapPower;            // "Power": map applications per output point, 1
extern double gBoundaryPoint;         // "Point"
extern int gShootingIterations;       // "Iterations", 0: no boundary conditions to meet
extern double gShootingError;         // "Error", 1e-8
extern double gFirstValue;            // "First value", 0
extern double gLastValue;             // "Last value", 10
extern double gInfinityLimit;         // "Infinity", 1e10
extern int gInterpolate;              // "Interpolate"
extern int gBifurcationDiagram;       // "Bifurcation diagram"
extern double gScanBegin, gScanEnd;   // "Begin", "End"
extern double gOutputStep;            // "Step", 0.1
extern int gBackward;                 // "Backward"
extern int gPauseSetting;             // "Pause", tenths of a second
extern unsigned gRetardedPoints;      // "Retarded points"
extern double gRealTime;              // "Real time"
extern int gAutoStart;                // "Auto start"
extern int gRunPriority;              // "Idle" 0 .. "Time critical" 6, 3
extern int gPreferredProcessor;       // "Processor", 0 = none
extern double gTolerance;             // "Tolerance", 1e-8
extern double gInitialStep;           // "h", 0.01
extern double gMaxStep;               // "h max.", 1
extern int gCodeLibraryIndex;         // "Integration code": 0 built-in, k: k-th code library
extern unsigned gStatusFrequency;     // "Frequency" of the status line, 1
extern char *gMathematicaInit;        // "Initialization", owned
extern char *gProjectNotes;           // [Notes], owned

// Problem flags of the file commands.
extern int gProblemChanged;
extern int gAskForProblemName;        // the next save asks for a file name

// Back to the values of a new problem (texts freed).
void ResetProblemSettings();
