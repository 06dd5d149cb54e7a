// Plotting during a run: what a graph window does with each output point the
// run engine hands it (gOutputTime, gOutputValues). ODE windows evaluate their
// axis expressions and draw a point or a line, optionally only at the
// crossings of a Poincare section; map windows can also draw the graph of an
// iterate of a one-dimensional map with a staircase, count a histogram or
// plot a running average. A window may pass its points to a linked graph
// window, drawn there in that window's range, pen and display list.
//
// The caller makes the window's record the current graph (gCurrentGraph)
// before each call; the window itself is an opaque id that goes back to the
// windowing side through gPlotHost.
#pragma once
#include "graph_pipeline.h"
#include "run_host.h"  // RunPoint

// The window being served: the drawing commands of the axis expressions
// draw into it.
extern WindowId gOutputWindow;
// Plot coordinates of the point being drawn.
extern double gPlotBuffer[2];
// The next line goes horizontally to the diagonal first (staircase).
extern int gStaircasePending;

// What plotting needs from the windowing side. The program sets every entry
// (InstallWin32Platform); a test double may leave some null, which do without.
struct PlotHost {
    // The record of a graph window; null when w is no (longer a) graph window.
    GraphWindowState *(*stateOf)(WindowId w);
    // A drawing context of w; 0 when w is minimised.
    DcHandle (*getDc)(WindowId w);
    void (*releaseDc)(WindowId w, DcHandle dc);
    void (*invalidate)(WindowId w);
    // Posts a key-down with code 0, which ends a pause waiting for a key.
    void (*postKeyDown)(WindowId w);
    // Draws the current graph's direction field into gDrawDc and clears
    // directionFieldPending.
    void (*drawDirectionField)();
};
extern PlotHost gPlotHost;

// first != 0 prepares a trajectory; otherwise the current output point is
// processed. 0 = go on; negative: an error code of the step-result bands
// (-7 no crossing found, r - 3 for an interpolation failure r).
int PlotOdePoint(WindowId window, const RunPoint &point);
int PlotMapPoint(WindowId window, const RunPoint &point);

// Draws one plot point into the window, or into its linked window.
int PlotSolutionStep(WindowId window, const double *point);

// enter 1: puts the linked window's drawing fields (range, mapping, pen,
// display list, capture, bitmap) into the current record, saving its own;
// 1 when that happened, 0 (and the link forgotten) when the linked window
// is gone. enter 0: gives the linked window its fields back and restores.
int LinkedView(int enter);

// Background curves of one-dimensional maps: the map iterated
// directPower (inversePower) x "Power" times, over the x (y) range.
void DrawDirectGraph();
void DrawInverseGraph();

// The bin of value v in a histogram of bins over [begin, end) (or
// (end, begin] when end < begin); -1 outside.
int HistogramBin(double v, double begin, double end, int bins);
