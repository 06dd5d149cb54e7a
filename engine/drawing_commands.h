// The drawing commands of the expression language (ERASE, LINETO, PENCOLOR
// and the rest), usable in a graph window's axis expressions only. They act
// on the graph window being drawn through gDrawingTarget, which the graph
// window code sets while it draws and clears after; with none set, each
// command does nothing and returns 0.
#pragma once
#include "builtin_math.h"  // PackedColor

// What the graph window being drawn offers the commands.
struct DrawingTarget {
    void (*erase)(int fullRedraw);         // erase (or redraw), pump, take the state again
    double (*bound)(int which);            // DrawingBound
    void (*setPenColor)(PackedColor color);
    void (*setPenWidth)(int width);
    void (*clearPreviousPoint)();          // the next point starts a new line
    void (*plotPoint)(double x, double y, int forceLine);  // through the window's point plotter
    void (*startAnimation)();              // sets animating when the window animates
    void (*endAnimation)();                // clears animating; redraws when the window animates
};
enum DrawingBound { kBoundXMin, kBoundXMax, kBoundYMin, kBoundYMax };

extern const DrawingTarget *gDrawingTarget;

double DrawErase();
double DrawRedraw();
double DrawLastT();
double DrawMinX();
double DrawMaxX();
double DrawMinY();
double DrawMaxY();
double DrawStartAnimation();
double DrawEndAnimation();
double DrawPenColor(double x);
double DrawPenWidth(double x);
double DrawMoveTo(double x, double y);
double DrawLineTo(double x, double y);
double DrawNewPath(double a, double b);  // returns b
double DrawHsv(double h, double s, double v);
double DrawRgb(double r, double g, double b);
