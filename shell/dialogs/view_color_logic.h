// The arithmetic of the view-point dialog (wrapping and scrolling of the
// five values, the preview cube and its visible edges) and the working set
// of the colour dialog: portable, so that it is tested natively.
#pragma once
#include <cstdint>

#include "graph_state.h"

// A value outside [0, max] moves into [0, |max|) (the expression language's
// MOD); inside it is kept.
double WrapViewValue(double value, double max);

// Scroll-bar codes (the Win32 SB_ values).
enum ViewScrollCode {
    kScrollLineUp = 0, kScrollLineDown = 1, kScrollPageUp = 2, kScrollPageDown = 3,
    kScrollThumbPosition = 4, kScrollThumbTrack = 5, kScrollTop = 6, kScrollBottom = 7,
};
// The new value of an angle (max 360: steps 1 and 15) or of the distance
// (max 10: steps 0.1 and 1, thumb in tenths; a result strictly between 0
// and 2 becomes 2).
double ScrollViewValue(double value, double max, int code, int thumb);

// The twelve edges of the cube (+-1, +-1, +-1); the first three are
// labelled "x", "y", "z".
struct CubeEdge {
    double a[3], b[3];
    char label;
};
extern const CubeEdge kCubeEdges[12];
// Which edges face the viewer; v must be set up (SetupProjection).
void CubeEdgeVisibility(const ViewPoint &v, bool visible[12]);

// Turning the view by dragging (dx, dy) pixels over a preview of the size.
void DragViewPoint(ViewPoint &v, int dx, int dy, int width, int height);

// The colour dialog's working set: drawing, axes, direction field,
// background; the widths of the first three.
struct ColorSet {
    int32_t colors[4];
    int32_t widths[3];
};
void ColorSetFromGraph(const GraphWindowState &g, ColorSet &set);
void ColorSetToGraph(const ColorSet &set, GraphWindowState &g);
