#include "plotting_win32.h"

#include "display_list.h"
#include "drawing_commands.h"
#include "graph_drawing.h"
#include "graph_window_win32.h"
#include "plotting.h"
#include "run_engine.h"
#include "run_host.h"
#include "solver_method.h"

namespace {

GraphWindowState *StateOf(WindowId w) { return GraphStateOf(ToHwnd(w)); }

// Nothing is drawn into a minimised window; its repaint draws it all.
DcHandle GetWindowDc(WindowId w) {
    HWND window = ToHwnd(w);
    if (!IsWindow(window) || IsIconic(window)) return 0;
    return FromHdc(GetDC(window));
}

void ReleaseWindowDc(WindowId w, DcHandle dc) { ReleaseDC(ToHwnd(w), ToHdc(dc)); }

void Invalidate(WindowId w) { InvalidateRect(ToHwnd(w), nullptr, TRUE); }

void PostKeyDown(WindowId w) { PostMessageA(ToHwnd(w), WM_KEYDOWN, 0, 0); }

HCURSOR gCursorBeforeReplay;
void BeginWait() { gCursorBeforeReplay = SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
void EndWait() { SetCursor(gCursorBeforeReplay); }

void DrawFieldOfCurrentGraph() { DrawDirectionField(); }

// Like a failed step: the message, and the family goes on with the next
// trajectory rather than repeat the message at every point.
void Serve(void *window, const RunPoint *point, int map) {
    HWND w = static_cast<HWND>(window);
    GraphWindowState *g = GraphStateOf(w);
    if (!g) return;
    gCurrentGraph = g;
    // The drawing commands of the axis expressions act on this window.
    const DrawingTarget *target = gDrawingTarget;
    gDrawingTarget = GraphDrawingTarget();
    const int rc = map ? PlotMapPoint(FromHwnd(w), *point) : PlotOdePoint(FromHwnd(w), *point);
    gDrawingTarget = target;
    if (rc < 0) {
        ReportStepResult(rc, map);
        gRunState.trajectoryAborted = 1;
    }
}

}  // namespace

void PlotOdePointProc(void *window, const RunPoint *point) { Serve(window, point, 0); }
void PlotMapPointProc(void *window, const RunPoint *point) { Serve(window, point, 1); }

void InstallGraphPlotting() {
    gPlotHost.stateOf = StateOf;
    gPlotHost.getDc = GetWindowDc;
    gPlotHost.releaseDc = ReleaseWindowDc;
    gPlotHost.invalidate = Invalidate;
    gPlotHost.postKeyDown = PostKeyDown;
    gPlotHost.drawDirectionField = DrawFieldOfCurrentGraph;
    gRunHost.plotOdePoint = PlotOdePointProc;
    gRunHost.plotMapPoint = PlotMapPointProc;
    gDisplayReplayHooks.beginWait = BeginWait;
    gDisplayReplayHooks.endWait = EndWait;
    if (!InstalledGraphSurface()) gGraphSurface = GdiGraphSurface();
}
