// The control words of a run, for the code that only steers or tests it
// (pumps, error boxes, built-in functions) without the stepping method
// (solver_method.h, which defines gRunState).
#pragma once

// Seven 32-bit words, all zero at start-up.
struct RunState {
    int *shootingIndex;       // index vector of the shooting's linear solve
    int processorCount;       // set by the first SetRunPriority
    int canContinue;          // the next run may continue the last trajectory
    int stopRequested;        // ends the whole run at the next test
    int pauseArmed;           // a pause is in progress
    int trajectoryAborted;    // ends the current trajectory; the family goes on
    int boundaryStatusShown;  // shooting in progress: output only pumps and tests limits
};

extern RunState gRunState;
