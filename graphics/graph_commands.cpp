#include "graph_commands.h"

#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_pipeline.h"

int gPicking;

namespace {

struct PickState {
    double x, y;
    double best;
    int bestElement;
    int exact;
};
PickState gPick;

void Measure(double d) {
    if (d < gPick.best) {
        gPick.best = d;
        gPick.bestElement = gDrawingElementIndex;
    }
    if (d == 0) gPick.exact = 1;
}

void MeasureDevicePoint() {
    const GraphWindowState *g = gCurrentGraph;
    const double dx = gPick.x - g->deviceX, dy = gPick.y - g->deviceY;
    Measure(dx * dx + dy * dy);
}

void ZoomAxis(double &lo, double &hi, double centre, double f) {
    const double width = hi - lo;
    lo = centre - f * width;
    hi = centre + f * width;
}

// a < b when the old range ran that way, else a > b.
void Order(double &a, double &b, bool increasing) {
    if ((a < b) != increasing) {
        const double t = a;
        a = b;
        b = t;
    }
}

GraphicsElement *ElementAt(GraphWindowState *g, int index) {
    GraphicsElement *e = g->elements;
    for (int i = 0; e && i < index; ++i) e = e->next;
    return e;
}

}  // namespace

void ZoomAroundCaret(int in) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (!g->zoomed) {
        g->savedRange[0] = g->xMin;
        g->savedRange[1] = g->xMax;
        g->savedRange[2] = g->yMin;
        g->savedRange[3] = g->yMax;
        g->zoomed = 1;
    }
    if (g->zoomFactor == 0) g->zoomFactor = 1;
    const double f = in ? 0.5 / g->zoomFactor : 0.5 * g->zoomFactor;
    const double cx = CaretToWorldX(), cy = CaretToWorldY();
    ZoomAxis(g->xMin, g->xMax, cx, f);
    ZoomAxis(g->yMin, g->yMax, cy, f);
}

int RestoreActualSize() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->zoomed) return 0;
    g->zoomed = 0;
    g->xMin = g->savedRange[0];
    g->xMax = g->savedRange[1];
    g->yMin = g->savedRange[2];
    g->yMax = g->savedRange[3];
    return 1;
}

int ZoomToRectangle(double x1, double y1, double x2, double y2) {
    GraphWindowState *g = gCurrentGraph;
    if (!g || x1 == x2 || y1 == y2) return 0;
    Order(x1, x2, g->xMin < g->xMax);
    Order(y1, y2, g->yMin < g->yMax);
    g->xMin = x1;
    g->xMax = x2;
    g->yMin = y1;
    g->yMax = y2;
    return 1;
}

void ChangeStep(int larger) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const double f = larger ? 2.0 : 0.5;
    if (gMouseMode >= kModeFirst && gMouseMode <= kModeRotate) {
        g->angularStep *= f;
    } else {
        g->stepX *= f;
        g->stepY *= f;
    }
}

int ChangeFractalOrder(int next) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    if (next) {
        ++g->fractalOrder;
        return 1;
    }
    if (g->fractalOrder <= 0) return 0;
    --g->fractalOrder;
    return 1;
}

double PickLineDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double ux = bx - ax, uy = by - ay;
    const double t = (px - ax) * ux + (py - ay) * uy;
    if (t <= 0) return -1;
    const double length2 = ux * ux + uy * uy;
    if (t >= length2) return (px - bx) * (px - bx) + (py - by) * (py - by);
    const double d = (px - ax) * (px - ax) + (py - ay) * (py - ay) - t * t / length2;
    return d < 0 ? 0 : d;
}

void PickPlotPoint(double x, double y) {
    if (!gPicking) {
        PlotPoint(x, y);
        return;
    }
    if (!gCurrentGraph) return;
    MapToDevice(x, y);
    MeasureDevicePoint();
}

void PickPlotLineTo(double x, double y) {
    if (!gPicking) {
        PlotLineTo(x, y);
        return;
    }
    const GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const double ax = g->deviceX, ay = g->deviceY;
    MapToDevice(x, y);
    const double d = PickLineDistance(gPick.x, gPick.y, ax, ay, g->deviceX, g->deviceY);
    if (d >= 0) Measure(d);
}

void PickPlotSegment(double x1, double y1, double x2, double y2) {
    PickPlotPoint(x1, y1);
    PickPlotLineTo(x2, y2);
}

int PickElementAt(int32_t x, int32_t y) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return -1;
    gPick = PickState{static_cast<double>(x), static_cast<double>(y), 1e300, -1, 0};
    gPicking = 1;
    DrawAllGraphicsElements();
    gPicking = 0;
    const int found = gPick.bestElement;
    if (found < 0) return -1;
    GraphicsElement *e = ElementAt(g, found);
    if (!e) return -1;
    g->currentElementIndex = found;
    g->currentElement = e;
    gMouseMode = gPreviousMouseMode >= kModePoint ? gPreviousMouseMode : kModeOrigin;
    return found;
}
