// What the problem file needs of the windows that show a problem: the
// frame's multi-document children in stacking order, their placements,
// creation of a window for a section, and the state exchange of
// SyncStateMessage. The shell implements it on real windows; tests use a
// double. With no host set a problem has no windows.
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

class ProblemWindowHost {
public:
    virtual ~ProblemWindowHost() = default;
    // The children of the multi-document client, topmost first; returns the
    // count written (at most max).
    virtual int ChildrenTopFirst(WindowId *out, int max) = 0;
    virtual int ChildKind(WindowId w) = 0;
    // Normal (restored) rectangle of a child; show state -1, 0, 1.
    virtual WindowRect ChildNormalRect(WindowId w) = 0;
    virtual int ChildShowState(WindowId w) = 0;
    // Normal size of the multi-document client.
    virtual WindowRect ClientRect() = 0;
    // Creates a child of the kind (its record initialised with the defaults;
    // a graph window is created with the option "Aspect ratio" held at 0);
    // placement null means the default placement. 0 on failure, reported by
    // the caller of the load.
    virtual WindowId CreateChild(int kind, const WindowPlacement *placement) = 0;
    virtual void DestroyChild(WindowId w) = 0;
    // SyncStateMessage: toWindow 0 copies the child's record into
    // gGraphWorkCopy or gTextWorkCopy, 1 copies it back.
    virtual void SyncState(WindowId w, int toWindow) = 0;
    virtual void SetCaption(WindowId w, const char *text) = 0;
    // Title of a graph child (its record's title; "" when none).
    virtual const char *GraphTitle(WindowId w) = 0;
    // Puts a child on top of the others.
    virtual void BringToTop(WindowId w) = 0;
    // A graph section has been read into the child: mapping, caret.
    virtual void GraphSectionRead(WindowId) {}
    // Before and after a parse: wait cursor, mouse mode; focus, menus,
    // toolbars and frame refresh.
    virtual void BeginProblemText() {}
    virtual void EndProblemText() {}

    // Code libraries (settings section "Code libraries"): the key of
    // library index (1..), null when there is none.
    virtual const char *CodeLibraryKey(int) { return nullptr; }
    // Selects library index (0 = the built-in method).
    virtual void SelectCodeLibrary(int index);
    // Parameter i of the selected library: name, or null past the last one.
    // By default the loaded solver library's own list.
    virtual const char *LibraryParamName(int i);
    virtual double *LibraryParamValue(int i);
};

extern ProblemWindowHost *gProblemWindowHost;
