// The problem file's view of the frame's children, on real windows: what
// it reads creates graph and text windows in their places, what it writes
// comes from the windows' records and placements.
#include <windows.h>

#include <cstring>

#include "app.h"
#include "code_libraries.h"
#include "compile_problem.h"
#include "graph_pipeline.h"
#include "workspace.h"
#include "graph_window_win32.h"
#include "problem_windows.h"
#include "settings.h"
#include "text_window_output.h"

namespace {

HWND W(WindowId w) { return ToHwnd(w); }

int ChildrenTopFirst(WindowId *out, int max) {
    int n = 0;
    if (!gMdiClient) return 0;
    for (HWND child = GetWindow(gMdiClient, GW_CHILD); child && n < max; child = GetWindow(child, GW_HWNDNEXT))
        if (!GetWindow(child, GW_OWNER)) out[n++] = FromHwnd(child);
    return n;
}

int ChildKind(WindowId w) {
    char cls[16];
    if (!GetClassNameA(W(w), cls, sizeof cls)) return kChildOther;
    if (std::strcmp(cls, kGraphWindowClass) == 0) return kChildGraph;
    if (std::strcmp(cls, kTextWindowClass) == 0) return kChildText;
    return kChildOther;
}

WindowRect ChildNormalRect(WindowId w) {
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    GetWindowPlacement(W(w), &p);
    const RECT &r = p.rcNormalPosition;
    return WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int ChildShowState(WindowId w) {
    if (IsIconic(W(w))) return -1;
    return IsZoomed(W(w)) ? 1 : 0;
}

WindowRect ClientRect() {
    RECT r = {0, 0, 0, 0};
    if (gMdiClient) GetClientRect(gMdiClient, &r);
    return WindowRect{0, 0, r.right, r.bottom};
}

WindowId CreateChild(int kind, const WindowPlacement *placement) {
    if (placement) {
        gPending = PendingPlacement{placement->rect.left, placement->rect.top, placement->rect.width,
                                    placement->rect.height, placement->showState};
    } else {
        gPending.width = gPending.height = 0;
        gPending.showState = 0;
    }
    // The file gives the window's size; its own aspect must not change it.
    const int aspect = gAspectRatio;
    gAspectRatio = 0;
    HWND child = CreateChildWindow(kind == kChildGraph, 0);
    gAspectRatio = aspect;
    gPending.showState = 0;
    return FromHwnd(child);
}

void DestroyChild(WindowId w) {
    if (gMdiClient) SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(W(w)), 0);
}

void SyncState(WindowId w, int toWindow) { SendMessageA(W(w), SyncStateMessage, toWindow, 0); }

void SetCaption(WindowId w, const char *text) { SetWindowTextA(W(w), text); }

const char *GraphTitle(WindowId w) {
    GraphWindowState *g = GraphStateOf(W(w));
    return g && g->title ? g->title : "";
}

void BringToTop(WindowId w) { SetWindowPos(W(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

void GraphSectionRead(WindowId w) { UpdateGraphWindowMapping(W(w)); }

HCURSOR gSavedCursor;

void BeginProblemText() { gSavedCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT)); }

// The window on top becomes the active one, as the user left it.
void EndProblemText() {
    SetCursor(gSavedCursor ? gSavedCursor : LoadCursor(nullptr, IDC_ARROW));
    if (gMdiClient)
        if (HWND top = GetWindow(gMdiClient, GW_CHILD))
            SendMessageA(gMdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(top), 0);
    UpdateFrameMenuStates();
    if (gFrameWindow) DrawMenuBar(gFrameWindow);
}

// Every child's own expressions; the active child's record is current after.
int CompileWindowExpressionsWalk() {
    if (!gMdiClient) return 1;
    for (HWND child = GetWindow(gMdiClient, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GraphWindowState *g = GraphStateOf(child)) {
            const int on = g->poincareSection || g->increasing || g->decreasing;
            if (!CompileGraphWindowTexts(g->axisText, g->axisCode, &g->conditionText, &g->conditionCode, on))
                return 0;
        } else if (TextWindowState *t = TextStateOf(child)) {
            const int on = gProblemKind != kMap && (t->poincare || t->increasing || t->decreasing);
            if (!CompileTextWindowTexts(t->expressions, t->codes, t->count, &t->condition, &t->conditionCode, on))
                return 0;
        }
    }
    HWND active = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    if (GraphWindowState *g = GraphStateOf(active)) gCurrentGraph = g;
    else if (TextWindowState *t = TextStateOf(active)) gCurrentText = t;
    return 1;
}

}  // namespace

void UpdateGraphWindowMapping(HWND window) {
    GraphWindowState *g = GraphStateOf(window);
    if (!g) return;
    RECT r;
    GetClientRect(window, &r);
    gCurrentGraph = g;
    SetClientExtent(r.right > 0 ? r.right - 1 : 0, r.bottom > 0 ? r.bottom - 1 : 0);
    UpdateGraphMapping();
}

void InstallWin32WindowHost() {
    ProblemWindowHost &h = gProblemWindowHost;
    h.childrenTopFirst = ChildrenTopFirst;
    h.childKind = ChildKind;
    h.childNormalRect = ChildNormalRect;
    h.childShowState = ChildShowState;
    h.clientRect = ClientRect;
    h.createChild = CreateChild;
    h.destroyChild = DestroyChild;
    h.syncState = SyncState;
    h.setCaption = SetCaption;
    h.graphTitle = GraphTitle;
    h.bringToTop = BringToTop;
    h.graphSectionRead = GraphSectionRead;
    h.beginProblemText = BeginProblemText;
    h.endProblemText = EndProblemText;
    h.codeLibraryKey = CodeLibraryKey;
    h.selectCodeLibrary = SelectSolverLibrary;
    // The library parameters stay the loaded solver library's own list.
    gCompileHooks.windowExpressions = CompileWindowExpressionsWalk;
}
