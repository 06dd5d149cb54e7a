// Everything a run needs from the windowing side, as one record of function
// pointers. The run engine is portable and never sees a window handle: the
// Win32 shell fills the record (InstallWin32Platform, shell/install_win32.h)
// and the graph and text windows add their per-point procedures; host tests
// install a recording fake. The program sets every entry except those marked
// optional (a Win32 test checks it); a test double may leave any entry null,
// and the run then does without that service (no priority change, no status
// line, no windows to serve).
//
// For the graph and text windows: a child window is an opaque pointer (the
// Win32 host passes the HWND). The engine visits every child through
// forEachChild and asks childKind what it is; for a graph child it calls
// plotOdePoint or plotMapPoint, for a text child addTextOdePoint or
// addTextMapPoint, with the point: first = 1 when a trajectory (or a
// bifurcation scan) starts and 0 for every point after; t and values are the
// point being handed out (besides the workspace cells). A procedure may
// change values in place (a Poincaré section interpolates there) but puts
// them back before it returns. The procedure makes the window current itself. textWindowFiles is called for every child with
// close = 0 before the family starts (text windows open their output files)
// and close = 1 at every end of a run, also after a fault (the text windows'
// TextWindowRunEnumProc). None of these may pump messages; the engine pumps
// after each point. The windows' own names for the entries: PlotOdePoint,
// PlotMapPoint, AddTextWindowOdePoint, AddTextWindowMapPoint,
// BeginPlotterOutput, EndPlotterOutput.
#pragma once

// What a child window of the multi-document client is.
enum RunChildKind { kRunChildOther = 0, kRunChildGraph = 1, kRunChildText = 2 };

// What one step of the message pump found.
enum RunPumpResult {
    kPumpEmpty = 0,       // the queue was empty
    kPumpDispatched = 1,  // one message was taken and handled
    kPumpQuit = 2,        // the quit message was taken
};

typedef void (*RunChildProc)(void *window, int arg);

// One point of a run, handed to every window.
struct RunPoint {
    double t;
    double *values;  // n doubles
    int first;       // 1: a trajectory starts (t and values are not a point yet)
};
typedef void (*RunPointProc)(void *window, const RunPoint *point);

struct RunHost {
    // ---- Interface lock and compiling (frame and shell).
    int (*elementActionInProgress)();  // a mouse action on a graphics element runs
    void (*lockUi)();                  // greys what must not happen during a run
    void (*unlockUi)();                // undoes it; ends a pause, allows Continue
    int (*compileProblem)();           // 1 compiled; 0 failed (the user was told)

    // ---- Faults. runGuarded runs work(context) inside the structured-exception
    // guard of the platform and returns whatever the guard returns; null runs
    // work directly. installFaultHandlers makes hardware arithmetic faults
    // reach the evaluation's recovery point.
    int (*runGuarded)(void (*work)(void *), void *context);
    void (*installFaultHandlers)();

    // ---- Thread and clock.
    void (*setThreadPriority)(int priority);  // -15 .. 15
    int (*processorCount)();
    void (*setIdealProcessor)(int processor); // 32: no preference
    unsigned (*tickCount)();                  // optional; null: TickCount()

    // ---- Pause timer 117 on the frame: returns the timer's id, 0 when no
    // timer was available. When it fires the host calls EndPause.
    unsigned (*startPauseTimer)(unsigned milliseconds);
    void (*killPauseTimer)(unsigned id);

    // ---- Message pump: takes one message, offers it to the accelerators
    // (unless an editor's text control has the focus), translates and
    // dispatches it. waitMessage blocks until a message arrives.
    int (*pumpOne)();  // RunPumpResult
    void (*waitMessage)();
    // Whether the pump should look at the queue now: looking costs a round
    // trip to the window system, so the host may look only every few
    // milliseconds. A pause always looks; null: the pump always looks.
    int (*messagesDue)();

    // ---- Controls show what the windows and the status line were given in
    // batches: the host keeps the rows and the status text and shows them
    // when its clock says so (final = 0, called at every pump) and at once
    // with final = 1 (before a pause waits, at the end of every run). Null:
    // nothing to show, everything was shown as it came.
    void (*flushRunOutput)(int final);

    // ---- Status line of the frame (during a run shown with the batches of
    // flushRunOutput; getStatusText answers the latest text).
    void (*setStatusText)(const char *text);
    void (*getStatusText)(char *buffer, int size);

    // ---- Children of the multi-document client.
    void (*forEachChild)(RunChildProc proc, int arg);
    int (*childKind)(void *window);  // RunChildKind

    // ---- Per-point procedures of the windows (see above).
    RunPointProc plotOdePoint;
    RunPointProc plotMapPoint;
    RunPointProc addTextOdePoint;
    RunPointProc addTextMapPoint;
    void (*textWindowFiles)(void *window, int close);
    void (*beginPlotterOutput)();
    void (*endPlotterOutput)();

    // ---- The program was started to exit after the run ("/x"): post Exit.
    void (*postExit)();
};

extern RunHost gRunHost;
