// What a graph window shows besides the points of runs: the axes (a segment
// list), the histogram of a map, the direction field of an ODE and the
// graphics elements. Works on gCurrentGraph and draws through the
// coordinate pipeline into gDrawDc (graph_pipeline.h); the windowing side
// gets the context, the bitmap and the plotter around it.
#pragma once
#include <cstdint>

#include "graph_state.h"

// Draws the current graph's graphics elements, numbering each in
// gDrawingElementIndex while it is drawn (picking reads it). Draws nothing
// until element drawing is installed in gGraphicsHost.drawElements.
void DrawAllGraphicsElements();
extern int gDrawingElementIndex;

// Every complete group "x1 y1 x2 y2" of the text as a segment (at most
// 20,480 characters are read); the first incomplete group ends the list.
// Returns the number of segments drawn.
int DrawAxesText(const char *text);

// Vertical bars of the map histogram over the problem's "Begin" .. "End";
// nothing without counts or with fewer than two bins. Returns bars drawn.
int DrawHistogram();

// The grid of direction marks: nx + 1 columns and ny + 1 rows from
// (x0, y0) in steps dx, dy, centred in the range; marks of half lengths
// hx, hy in world units.
struct DirectionFieldGrid {
    int32_t nx, ny;
    double dx, dy, x0, y0, hx, hy;
};
// False when there is no grid to draw: a cell length of 0 or less, or a
// client smaller than one cell (minimised windows among them).
bool DirectionFieldLayout(const GraphWindowState &g, DirectionFieldGrid *grid);
// Half extents (ex, ey) of the mark for direction (u, v) at a grid point;
// a zero vector gives a horizontal mark.
void DirectionMark(double u, double v, const DirectionFieldGrid &grid, double *ex, double *ey);
// The field of the current graph at the problem's field time; Escape (the
// replay hooks' pump) ends it after the current mark. Marks drawn.
int DrawDirectionField();

// The body of a full redraw into gDrawDc, recording nothing and leaving the
// off-screen bitmap alone: axes, map graphs and histogram or direction
// field, then the elements. The map graphs are drawn only while a run is
// in progress (they iterate the map of the run).
void RedrawGraphContents(int runInProgress);
