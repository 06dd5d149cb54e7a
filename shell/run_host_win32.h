// The Win32 side of the run engine's host record (engine/run_host.h).
#pragma once
#include <windows.h>

#include "graph_window_win32.h"  // kGraphWindowClass

// Fills gRunHost with the Win32 services: thread priority and ideal
// processor, the tick count, timer 117 on the frame (gFrameWindow; its
// firing ends the pause by itself), the run's message pump over the
// accelerators (it looks at the queue every few milliseconds), the walk
// over the children of the multi-document client (gMdiClient) and the
// fault guards. accelerators and editorControls point at the shell's own
// variables (the frame's accelerator table, the text controls of the two
// editor windows), so later changes are seen; either may be null. The
// graph windows' per-point procedures come with them
// (InstallGraphPlotting), and display-list replays pump through
// PumpMessagesCheckEscape. Entries that belong to other parts of the shell
// (interface lock, compiling, status line and the batches of a run's
// output, text windows' per-point procedures, plotter output) are left as
// they are: their owners install them (lockUi = LockUiForRun, after which
// the walk takes the children once per run; unlockUi = UnlockUiAfterRun,
// compileProblem = CompileProblem; and the lock's own endPause hook is
// EndPause).
void InstallWin32RunHost(HACCEL *accelerators, HWND *editorControls);

// Window class of the text children the run serves (graph children:
// kGraphWindowClass).
constexpr char kTextWindowClass[] = "VR_Text";
