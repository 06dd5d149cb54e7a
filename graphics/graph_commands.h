// The arithmetic of the graph commands: zooming around the caret and to a
// dragged rectangle, "Actual size", step sizes and fractal order, and the
// picking of the element nearest to a client point. Works on gCurrentGraph;
// the window side redraws afterwards.
#pragma once
#include <cstdint>

// Zoom in (in != 0) or out around the caret's world point by zoomFactor
// (0 counts as 1). The first zoom saves the range for "Actual size".
void ZoomAroundCaret(int in);
// "Actual size": the saved range back; 1 when a zoom was in force.
int RestoreActualSize();
// The range becomes the rectangle with corners (x1, y1), (x2, y2), ordered
// so that it runs in the same direction as the old range. 0 (nothing
// changed) when the rectangle is degenerate in x or y.
int ZoomToRectangle(double x1, double y1, double x2, double y2);
// "Larger step" (larger != 0) and "Smaller step": the angular step in the
// modes First value .. Rotate, else both cursor steps.
void ChangeStep(int larger);
// "Next"/"Previous fractal order"; 1 when the order changed.
int ChangeFractalOrder(int next);

// ---- Picking

// The pick primitives element drawing calls in place of PlotPoint,
// PlotSegment and PlotLineTo: they draw, and while picking they measure
// the squared pixel distance to the pick point instead.
void PickPlotPoint(double x, double y);
void PickPlotLineTo(double x, double y);
void PickPlotSegment(double x1, double y1, double x2, double y2);
extern int gPicking;

// Squared distance from P to the segment A-B as picking measures it: 0..
// when the foot of P lies beyond B, the distance to B; when it lies before
// A, -1 (A was measured with the previous point). Doubles throughout:
// clamped device points of 2^26 must not overflow.
double PickLineDistance(double px, double py, double ax, double ay, double bx, double by);

// Selects the element nearest to client point (x, y): the index, or -1
// when there is none. The mouse mode then becomes the previous mode when
// that was Point or later, else Origin.
int PickElementAt(int32_t x, int32_t y);
