// Test double of the frame's multi-document children for the problem file:
// windows are records in a list kept topmost first, created, synchronised
// and destroyed as the real windows would be.
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

class WindowHostDouble : public ProblemWindowHost {
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

    ~WindowHostDouble() override { DestroyAll(); }
    void DestroyAll();
    FakeChild *Find(WindowId w);
    // Creates a child as the user would (default placement when rect is null).
    WindowId Add(int kind, const WindowRect *rect = nullptr, int show = 0);
    std::vector<std::string> CaptionsTopFirst() const;

    int ChildrenTopFirst(WindowId *out, int max) override;
    int ChildKind(WindowId w) override;
    WindowRect ChildNormalRect(WindowId w) override;
    int ChildShowState(WindowId w) override;
    WindowRect ClientRect() override { return client; }
    WindowId CreateChild(int kind, const WindowPlacement *placement) override;
    void DestroyChild(WindowId w) override;
    void SyncState(WindowId w, int toWindow) override;
    void SetCaption(WindowId w, const char *text) override;
    const char *GraphTitle(WindowId w) override;
    void BringToTop(WindowId w) override;
    void BeginProblemText() override { ++begins; }
    void EndProblemText() override { ++ends; }
    const char *CodeLibraryKey(int index) override;
    const char *LibraryParamName(int i) override;
    double *LibraryParamValue(int i) override;
};
