// Test double of the frame's multi-document children for the problem file:
// windows are records in a list kept topmost first, created, synchronised
// and destroyed as the real windows would be. Install makes it the problem
// window host (gProblemWindowHost), until another double is installed, this
// one is destroyed or Uninstall clears the record.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "problem_windows.h"
#include "text_window_state.h"

struct FakeChild {
    WindowId id;
    int kind;
    WindowRect rect;
    int showState;
    GraphWindowState *graph;  // owned
    TextWindowState *text;    // owned
    std::string caption;
};

class WindowHostDouble {
public:
    std::vector<FakeChild> children;  // topmost first
    WindowRect client{0, 0, 1000, 800};
    WindowId nextId = 0x1A0;
    int failCreate = 0;  // CreateChild fails
    // Settings section "Code libraries" and the parameters of each library
    // (index 1 = first key).
    std::vector<std::string> libraries;
    std::vector<std::vector<std::pair<std::string, double>>> libraryParams;
    int begins = 0, ends = 0;
    // Leaves the library parameters to the record's default, the loaded
    // solver library's own list.
    bool solverLibraryParams = false;

    ~WindowHostDouble();
    void Install();
    static void Uninstall();
    void DestroyAll();
    FakeChild *Find(WindowId w);
    // Creates a child as the user would (default placement when rect is null).
    WindowId Add(int kind, const WindowRect *rect = nullptr, int show = 0);
    std::vector<std::string> CaptionsTopFirst() const;

    int ChildrenTopFirst(WindowId *out, int max);
    int ChildKind(WindowId w);
    WindowRect ChildNormalRect(WindowId w);
    int ChildShowState(WindowId w);
    WindowRect ClientRect() { return client; }
    WindowId CreateChild(int kind, const WindowPlacement *placement);
    void DestroyChild(WindowId w);
    void SyncState(WindowId w, int toWindow);
    void SetCaption(WindowId w, const char *text);
    const char *GraphTitle(WindowId w);
    void BringToTop(WindowId w);
    void BeginProblemText() { ++begins; }
    void EndProblemText() { ++ends; }
    const char *CodeLibraryKey(int index);
    const char *LibraryParamName(int i);
    double *LibraryParamValue(int i);
};
