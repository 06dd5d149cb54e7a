// What the problem file needs of the windows that show a problem: the
// frame's multi-document children in stacking order, their placements,
// creation of a window for a section, and the state exchange of
// SyncStateMessage, as a host record. The shell installs it on real windows
// (InstallWin32Platform); tests install a double. With no host set a problem
// has no windows.
#pragma once
#include "graph_state.h"

enum ChildWindowKind { kChildOther = 0, kChildGraph = 1, kChildText = 2 };

struct WindowRect {
    int left, top, width, height;
};

// Where CreateChild puts a new window; showState -1 minimised, 1 maximised.
struct WindowPlacement {
    WindowRect rect;
    int showState;
};

struct ProblemWindowHost {
    // The children of the multi-document client, topmost first; returns the
    // count written (at most max).
    int (*childrenTopFirst)(WindowId *out, int max);
    int (*childKind)(WindowId w);
    // Normal (restored) rectangle of a child; show state -1, 0, 1.
    WindowRect (*childNormalRect)(WindowId w);
    int (*childShowState)(WindowId w);
    // Normal size of the multi-document client.
    WindowRect (*clientRect)();
    // Creates a child of the kind (its record initialised with the defaults;
    // a graph window is created with the option "Aspect ratio" held at 0);
    // placement null means the default placement. 0 on failure, reported by
    // the caller of the load.
    WindowId (*createChild)(int kind, const WindowPlacement *placement);
    void (*destroyChild)(WindowId w);
    // SyncStateMessage: toWindow 0 copies the child's record into
    // gGraphWorkCopy or gTextWorkCopy, 1 copies it back.
    void (*syncState)(WindowId w, int toWindow);
    void (*setCaption)(WindowId w, const char *text);
    // Title of a graph child (its record's title; "" when none).
    const char *(*graphTitle)(WindowId w);
    // Puts a child on top of the others.
    void (*bringToTop)(WindowId w);

    // The entries below have a default, taken when the entry is null; the
    // functions after the record call them.
    // A graph section has been read into the child: mapping, caret. Null:
    // nothing.
    void (*graphSectionRead)(WindowId w);
    // Before and after a parse: wait cursor, mouse mode; focus, menus,
    // toolbars and frame refresh. Null: nothing.
    void (*beginProblemText)();
    void (*endProblemText)();
    // Code libraries (settings section "Code libraries"): the key of
    // library index (1..), null when there is none. Null: no libraries.
    const char *(*codeLibraryKey)(int index);
    // Selects library index (0 = the built-in method). Null: only
    // gCodeLibraryIndex is set.
    void (*selectCodeLibrary)(int index);
    // Parameter i of the selected library: name, or null past the last one.
    // Optional; null: the loaded solver library's own list.
    const char *(*libraryParamName)(int i);
    double *(*libraryParamValue)(int i);
};

// All null: a problem has no windows (childrenTopFirst null means no host).
extern ProblemWindowHost gProblemWindowHost;

// The entries with a default, each through the record.
void HostGraphSectionRead(WindowId w);
void HostBeginProblemText();
void HostEndProblemText();
const char *HostCodeLibraryKey(int index);
void HostSelectCodeLibrary(int index);
const char *HostLibraryParamName(int i);
double *HostLibraryParamValue(int i);
