// The last resort after an unexpected fault: tell the user, save the problem
// to a new temporary file and start the program again on it with "/g".
#pragma once

// Crash state, set by start-up: started with "/g" (a recovery copy), and the
// tick count at start.
extern int gStartedByRecovery;
extern unsigned long gStartTickCount;

// What the last resort needs from the shell, installed with the platform.
struct CrashHooks {
    // Writes the whole problem to path without any question (no file
    // dialog, whatever the problem's ask-for-a-name mark says); 1 when
    // written. Null: nothing is saved.
    int (*writeProblem)(const char *path);
    // Releases the shell's libraries and resources before the process ends.
    void (*releaseResources)();
};
extern CrashHooks gCrashHooks;

// The program started again; empty means this process's own executable.
extern char gRestartProgramPath[260];

// The path the last recovery saved to (empty before).
extern char gRecoveryProblemPath[260];

// A fault less than 5000 ms after a "/g" start ends the process at once with
// exit code 1 (a problem that faults again must not restart in a loop). Else,
// once per process: the system-modal box, the save to a new "VRG" temporary
// file, the restart with "/g" and the quoted path, the release hook. Returns
// 0; the caller ends the process.
int HandleFatalError();

constexpr unsigned long kRestartGuardMs = 5000;
