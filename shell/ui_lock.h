// The interface lock around a run, and the message pump of other long
// operations (redraws, saving points, EPS output, reading data files). The
// program has one thread: these pumps dispatch messages while a computation
// is on the stack, so whatever must not happen meanwhile is greyed first.
#pragma once
#include <windows.h>

#include "window_helpers.h"  // gFrameWindow, gMdiClient
#include "command_ids.h"

// Windows the lock and the pump act on. Each owner sets its handle when it
// creates the window and clears it when the window goes; null: not there.
extern HACCEL gFrameAccelerators;    // the frame's accelerator table
extern HWND gBrowserDialogs[2];      // initial-value and parameter browsers
extern HWND gCalculatorDialog;
extern HWND gFindReplaceDialog;      // shared by the editors and text windows
extern HWND gEditorTextControls[2];  // text controls of the two editor windows

// A run is in progress: the frame and the windows refuse conflicting actions.
extern int gRunning;
extern int gRunsStarted;  // runs begun since start-up
// Latch of an Esc seen by CheckUserAbort; the long operation that tests it
// clears it before it starts.
extern int gUserAbort;

// Services of the frame, toolbars, browsers and child windows that the lock
// calls; each owner installs its own through InstallWin32Platform, which must
// set every entry. Null entries (test doubles) are skipped.
struct UiLockHooks {
    void (*endPause)();                                                // the run's pause
    void (*updateCommandStates)();                                     // menus and buttons from the state
    void (*setToolbarButtonState)(int command, int checked, int enabled);  // -1: leave as is
    void (*refreshBrowsers)();                                         // reload their values
    void (*setGraphCaret)(HWND graph, int visible);                    // the graph cursor's caret
    // A graph window's record becomes the current graph, a text window's the
    // current text window.
    void (*makeChildCurrent)(HWND child);
    // The current graph and text window, kept across dispatching.
    void (*saveCurrentWindows)(void **graph, void **text);
    void (*restoreCurrentWindows)(void *graph, void *text);
};
extern UiLockHooks gUiLockHooks;

// Top-level menus greyed during a run, by position without a maximised
// child: Edit, Output, Action.
constexpr int kRunLockedMenus[] = {1, 2, 6};


void LockUiForRun();
void UnlockUiAfterRun();

// Browsers visible at the start are hidden (option "Hide browsers") or
// disabled, and come back with RestoreToolWindows; refresh nonzero makes them
// reload their values. The focus goes to the frame.
void HideToolWindows();
void RestoreToolWindows(int refresh);

// Enumeration callback: greys (enable 0) or enables Close in a child's
// system menu; always goes on.
BOOL CALLBACK SetChildCloseProc(HWND child, LPARAM enable);

// The active multi-document child in *window (null when none); 1 when it is
// maximised, which puts its system menu first in the frame's menu bar.
int GetActiveChild(HWND *window);

void RedrawFrameMenu();

// Dispatches waiting messages until the queue is empty (0), a paint, command
// or quit message is next (0, left queued so that no redraw or command runs
// inside the long operation), or an Esc key-down aimed at the frame itself
// was taken from the queue (1).
int PumpMessagesCheckEscape();

// 1 when the latch is set; else pumps, and an Esc sets the latch.
int CheckUserAbort();
