// The coordinate pipeline of graph windows: world points of the current
// graph (gCurrentGraph) are mapped to device pixels and to the plotter's
// device range, then drawn into the pass's device context (gDrawDc), the
// window's off-screen bitmap (memoryDc), the display list and the plotter.
//
// Portable: device contexts are opaque handles, and what needs the platform
// (lines, pens, the screen's pixel aspect, moving a window) goes through the
// GraphSurface below, which graphics/win32 implements on GDI.
#pragma once
#include <cstdint>

#include "graph_state.h"

// A device context as the core sees it; 0 = none.
typedef uint32_t DcHandle;

// Context of the drawing pass in progress (window, printer or metafile), or
// 0 when only the bitmap, the display list or the plotter receive drawing.
// The caller of a pass sets it; a pass that gets a context of its own saves
// and restores it.
extern DcHandle gDrawDc;
// The printer's context while a graph is printed, else 0: pens drawn into it
// are widened by the plotter width factor.
extern DcHandle gPrinterDc;

// Device coordinates are kept within this limit so that every device can
// take them; farther points are drawn on the limit.
constexpr int32_t kDeviceLimit = 0x3FFFFFF;  // 67,108,863
// No client extent computed by the aspect rule exceeds this (the largest
// window Windows makes).
constexpr int32_t kMaxClientExtent = 32766;

struct GraphSurface {
    void (*moveTo)(DcHandle dc, int32_t x, int32_t y);
    void (*lineTo)(DcHandle dc, int32_t x, int32_t y);
    // Selects a new solid pen into dc and deletes the pen it replaces, unless
    // that is a stock pen.
    void (*selectSolidPen)(DcHandle dc, int32_t color, int32_t width);
    // Selects the stock black pen into dc and deletes ours.
    void (*selectStockPen)(DcHandle dc);
    // The screen's pixel aspect: relative width (ax) and height (ay) of a
    // pixel, both positive.
    void (*screenAspect)(int *ax, int *ay);
    // The graph window (not an owned window) whose record is gCurrentGraph;
    // 0 when none.
    WindowId (*findGraphWindow)();
    // Moves w so that its client extents grow from old to new, keeping its
    // position; the window's size message then reaches SetClientExtent.
    void (*resizeClient)(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY);
};

// The surface drawing goes to, installed whole. While it is not (host
// builds, tests that need no surface) drawing goes nowhere, pixels are
// square and no window is found.
extern GraphSurface gGraphSurface;
// gGraphSurface when it is installed, else null.
const GraphSurface *InstalledGraphSurface();

// ---- Mapping of gCurrentGraph

// Stores the client extents (width - 1, height - 1); on every size change.
void SetClientExtent(int32_t maxX, int32_t maxY);
// Enforces fixedWidth/fixedHeight, then the aspect mode, on client extents
// w, h; may resize the window (through the surface) or change the range.
void ApplyAspectRule(int32_t w, int32_t h);
// Aspect rule, then widens an empty range and recomputes the screen and the
// plotter transform. Valid until the size, the range or the plotter range
// change.
void UpdateGraphMapping();
// Stores the plotter's device range and recomputes the mapping.
void SetPlotterRange(int32_t xMin, int32_t yMin, int32_t xMax, int32_t yMax);
// Sets deviceX, deviceY and the plotter point of world point (x, y).
void MapToDevice(double x, double y);
// The window's graph window through the surface; 0 when none.
WindowId FindGraphWindow();
// Moves w so that its client grows by the differences; nothing when equal.
void ResizeClient(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY);

// ---- Drawing into gCurrentGraph's outputs

// A single point: one pixel with a thin pen, a round dot with a wide one.
void PlotPoint(double x, double y);
// A line from the previous device point to (x, y).
void PlotLineTo(double x, double y);
void PlotSegment(double x1, double y1, double x2, double y2);
// A line in device pixels into gDrawDc and the off-screen bitmap only.
void DrawDeviceLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Changes the pen of every output; appends a pen record when it changes.
void SetPen(int32_t color, int32_t width);
// Puts the stock black pen back into gDrawDc and the memory context and
// deletes ours; penWidth -1 then says that no pen of this window is selected.
void ReleasePens();

// ---- Plotter

// The visible part of a plotter line, clipped to a range.
struct PlotterClip {
    // 0: nothing visible; 1: a line-to (x2, y2) from where the plotter is;
    // 2: a move to (x1, y1), then a line-to (x2, y2).
    int kind;
    int32_t x1, y1, x2, y2;
};
// Clips the line (a, b)-(c, d) to [x0, x1] x [y0, y1]; computed coordinates
// are truncated toward zero.
PlotterClip ClipToPlotterRange(int32_t a, int32_t b, int32_t c, int32_t d, int32_t x0, int32_t y0,
                               int32_t x1, int32_t y1);
// Clips a plotter line to the current graph's plotter range and sends the
// visible part to the plotter.
void ClipPlotterLine(int32_t a, int32_t b, int32_t c, int32_t d);
