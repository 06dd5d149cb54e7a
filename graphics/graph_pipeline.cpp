#include "graph_pipeline.h"

#include <cmath>

#include "display_records.h"
#include "plotter_output.h"
#include "settings.h"

DcHandle gDrawDc;
DcHandle gPrinterDc;
GraphSurface gGraphSurface;

const GraphSurface *InstalledGraphSurface() {
    const GraphSurface &s = gGraphSurface;
    const bool whole = s.moveTo && s.lineTo && s.selectSolidPen && s.selectStockPen && s.screenAspect &&
                       s.findGraphWindow && s.resizeClient;
    return whole ? &s : nullptr;
}

namespace {

// v truncated toward zero, within the device limit; NaN goes to the
// negative limit.
int32_t ToDevice(double v) {
    if (std::isnan(v) || v < -kDeviceLimit) return -kDeviceLimit;
    if (v > kDeviceLimit) return kDeviceLimit;
    return static_cast<int32_t>(v);
}

// An empty range gets width 1. Where 1 is lost in the magnitude of the
// bounds, a relative widening keeps the range from staying empty.
void WidenEmptyRange(double &lo, double &hi) {
    if (hi != lo || !std::isfinite(lo)) return;
    hi += 1;
    if (hi == lo) hi = lo + std::fabs(lo) * 0x1p-40;
}

// scale, offset that take lo to 0 and hi to extent. A range that is still
// empty or not finite maps every point to 0 rather than divide by zero.
void AxisTransform(double lo, double hi, double extent, double &scale, double &offset) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi == lo) {
        scale = offset = 0;
        return;
    }
    scale = extent / (hi - lo);
    offset = -lo * scale;
}

void ComputeTransforms(GraphWindowState *g) {
    AxisTransform(g->xMin, g->xMax, g->clientMaxX, g->scaleX, g->offsetX);
    // y grows upwards: yMax is row 0.
    AxisTransform(g->yMax, g->yMin, g->clientMaxY, g->scaleY, g->offsetY);
    PlotterDriver &p = g->plotter;
    AxisTransform(g->xMin, g->xMax, double(p.rangeXMax) - p.rangeXMin, p.scaleX, p.offsetX);
    AxisTransform(g->yMin, g->yMax, double(p.rangeYMax) - p.rangeYMin, p.scaleY, p.offsetY);
    p.offsetX += p.rangeXMin;
    p.offsetY += p.rangeYMin;
}

void ScreenAspect(int &ax, int &ay) {
    ax = ay = 1;
    if (const GraphSurface *surface = InstalledGraphSurface()) surface->screenAspect(&ax, &ay);
    if (ax <= 0 || ay <= 0) ax = ay = 1;
}

int32_t ClampExtent(double v) {
    if (std::isnan(v) || v < 0) return 0;
    return v > kMaxClientExtent ? kMaxClientExtent : static_cast<int32_t>(v);
}

// Asks for client extents (newW, newH) and takes them as the rule's w, h.
void ResizeForRule(double newW, double newH, int32_t &w, int32_t &h) {
    const int32_t width = ClampExtent(newW), height = ClampExtent(newH);
    ResizeClient(FindGraphWindow(), width, height, w, h);
    w = width;
    h = height;
}

// The outputs a screen primitive draws into: the pass's context and the
// off-screen bitmap, which a zoomed view leaves alone.
void DeviceLine(const GraphWindowState *g, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const GraphSurface *surface = InstalledGraphSurface();
    if (!surface) return;
    if (gDrawDc) {
        surface->moveTo(gDrawDc, x1, y1);
        surface->lineTo(gDrawDc, x2, y2);
    }
    if (g->memoryDc && !g->zoomed) {
        surface->moveTo(g->memoryDc, x1, y1);
        surface->lineTo(g->memoryDc, x2, y2);
    }
}

// The y where the line through (x0, y0) and (x1, y1) reaches x, measured
// from (x1, y1); the ends differ in x. Truncated toward zero.
int32_t CrossAtX(double x, double x0, double y0, double x1, double y1) {
    return static_cast<int32_t>(y1 + (x - x1) / (x1 - x0) * (y1 - y0));
}

}  // namespace

void SetClientExtent(int32_t maxX, int32_t maxY) {
    if (!gCurrentGraph) return;
    gCurrentGraph->clientMaxX = maxX;
    gCurrentGraph->clientMaxY = maxY;
}

WindowId FindGraphWindow() {
    const GraphSurface *surface = InstalledGraphSurface();
    return surface ? surface->findGraphWindow() : 0;
}

void ResizeClient(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY) {
    const GraphSurface *surface = InstalledGraphSurface();
    if (!w || !surface || (newMaxX == oldMaxX && newMaxY == oldMaxY)) return;
    surface->resizeClient(w, newMaxX, newMaxY, oldMaxX, oldMaxY);
}

// ax, ay is the width and the height of a screen pixel, so that a world
// unit has the same length on screen in x and y after modes 1 to 5.
void ApplyAspectRule(int32_t w, int32_t h) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    int ax, ay;
    ScreenAspect(ax, ay);
    int mode = g->aspectMode;
    // Fixed sizes are widths and heights (extent + 1); 0, or a negative value
    // from a damaged file, leaves the size free. A fixed size wins over the
    // mode that would change it.
    const bool fixedW = g->fixedWidth > 0, fixedH = g->fixedHeight > 0;
    if (fixedW && mode == 4) mode = 0;
    if (fixedH && mode == 5) mode = 0;
    if ((fixedW && g->fixedWidth != w + 1) || (fixedH && g->fixedHeight != h + 1)) {
        int32_t width = fixedW ? g->fixedWidth : w + 1;
        int32_t height = fixedH ? g->fixedHeight : h + 1;
        if (mode == 3) {
            width = height = width < height ? width : height;
            if (width < 100) width = height = 100;
            g->fixedWidth = width;
            g->fixedHeight = height;
        }
        ResizeForRule(width - 1.0, height - 1.0, w, h);
    }
    const double dx = g->xMax - g->xMin, dy = g->yMax - g->yMin;
    // An empty range or a client without extent has no aspect to keep.
    const bool spans = dx != 0 && dy != 0 && w > 0 && h > 0;
    switch (mode) {
    case 1:
        if (spans) {
            const double m = std::fabs(dy / dx) * ax / ay * w / h;
            g->xMin *= m;
            g->xMax *= m;
        }
        break;
    case 2:
        if (spans) {
            const double m = std::fabs(dx / dy) * ay / ax * h / w;
            g->yMin *= m;
            g->yMax *= m;
        }
        break;
    case 3:
        if (int64_t(w) * ax < int64_t(h) * ay)
            ResizeForRule(w, double(int64_t(w) * ax / ay), w, h);
        else
            ResizeForRule(double(int64_t(h) * ay / ax), h, w, h);
        break;
    case 4: {
        if (g->yMax == g->yMin) g->yMax += 1;
        const double ratio = std::fabs((g->xMax - g->xMin) / (g->yMax - g->yMin));
        ResizeForRule(std::trunc(double(h) * ay / ax * ratio), h, w, h);
        break;
    }
    case 5: {
        if (g->xMax == g->xMin) g->xMax += 1;
        const double ratio = std::fabs((g->yMax - g->yMin) / (g->xMax - g->xMin));
        ResizeForRule(w, std::trunc(double(w) * ax / ay * ratio), w, h);
        break;
    }
    default:
        break;
    }
}

void UpdateGraphMapping() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    // Widened before the aspect rule too, which divides by the spans.
    WidenEmptyRange(g->xMin, g->xMax);
    WidenEmptyRange(g->yMin, g->yMax);
    ApplyAspectRule(g->clientMaxX, g->clientMaxY);
    WidenEmptyRange(g->xMin, g->xMax);
    WidenEmptyRange(g->yMin, g->yMax);
    ComputeTransforms(g);
}

void SetPlotterRange(int32_t xMin, int32_t yMin, int32_t xMax, int32_t yMax) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    g->plotter.rangeXMin = xMin;
    g->plotter.rangeYMin = yMin;
    g->plotter.rangeXMax = xMax;
    g->plotter.rangeYMax = yMax;
    UpdateGraphMapping();
}

void MapToDevice(double x, double y) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    g->deviceX = ToDevice(g->scaleX * x + g->offsetX);
    g->deviceY = ToDevice(g->scaleY * y + g->offsetY);
    g->plotter.pointX = ToDevice(g->plotter.scaleX * x + g->plotter.offsetX);
    g->plotter.pointY = ToDevice(g->plotter.scaleY * y + g->plotter.offsetY);
}

void PlotPoint(double x, double y) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    MapToDevice(x, y);
    // A thin pen sets exactly one pixel (GDI leaves out a line's last
    // pixel); a wide pen draws a round dot.
    const int32_t d = g->penWidth < 2 ? 1 : 0;
    DeviceLine(g, g->deviceX, g->deviceY, g->deviceX + d, g->deviceY + d);
    if (g->capture) AppendDisplayPoint(kDisplayPoint, x, y);
    if (g->plotter.recording) PlotterPoint(g->plotter.pointX, g->plotter.pointY);
}

void PlotLineTo(double x, double y) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const int32_t fromX = g->deviceX, fromY = g->deviceY;
    const int32_t plotterX = g->plotter.pointX, plotterY = g->plotter.pointY;
    MapToDevice(x, y);
    DeviceLine(g, fromX, fromY, g->deviceX, g->deviceY);
    if (g->capture) AppendDisplayPoint(kDisplayLine, x, y);
    if (g->plotter.recording) ClipPlotterLine(plotterX, plotterY, g->plotter.pointX, g->plotter.pointY);
}

void PlotSegment(double x1, double y1, double x2, double y2) {
    PlotPoint(x1, y1);
    PlotLineTo(x2, y2);
}

void DrawDeviceLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (gCurrentGraph) DeviceLine(gCurrentGraph, x1, y1, x2, y2);
}

void SetPen(int32_t color, int32_t width) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    // Compared with the last pen recorded, not the one selected: released
    // pens (width -1) between points would otherwise add a pen record to
    // every point.
    if (g->capture && (width != g->displayPenWidth || color != g->displayPenColor))
        AppendDisplayPen(color, width);
    if (gOwnDc) ReleasePens();
    PlotterSetColor(color);
    PlotterSetWidth(width);
    if (g->memoryDc) {
        g->penColor = color;
        g->penWidth = width;
        if (const GraphSurface *surface = InstalledGraphSurface()) surface->selectSolidPen(g->memoryDc, color, width);
    }
    if (gDrawDc && gDrawDc == gPrinterDc && g->plotter.width > 0) width *= g->plotter.width;
    if (gDrawDc) {
        g->penColor = color;
        g->penWidth = width;
        if (const GraphSurface *surface = InstalledGraphSurface()) surface->selectSolidPen(gDrawDc, color, width);
    } else {
        g->penWidth = -1;
    }
}

void ReleasePens() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (const GraphSurface *surface = InstalledGraphSurface()) {
        if (gDrawDc) surface->selectStockPen(gDrawDc);
        // The same context is released once.
        if (g->memoryDc && g->memoryDc != gDrawDc) surface->selectStockPen(g->memoryDc);
    }
    g->penWidth = -1;
    g->penColor = 0;
    PlotterSetLineType(-1);
}

// The line is clipped against the x bounds, then what is left against the
// y bounds; each cut point lies on the original line.
PlotterClip ClipToPlotterRange(int32_t a, int32_t b, int32_t c, int32_t d, int32_t x0, int32_t y0,
                               int32_t x1, int32_t y1) {
    PlotterClip r = {0, a, b, c, d};
    if (a < x0 || a > x1) {
        const int32_t edge = a < x0 ? x0 : x1;
        if ((a < x0 && c < x0) || (a > x1 && c > x1)) return r;
        r.x1 = edge;
        r.y1 = CrossAtX(edge, a, b, c, d);
    }
    if (c < x0 || c > x1) {
        const int32_t edge = c < x0 ? x0 : x1;
        r.y2 = CrossAtX(edge, c, d, r.x1, r.y1);
        r.x2 = edge;
    }
    // The same along y, with the roles of x and y swapped.
    if (r.y1 < y0 || r.y1 > y1) {
        const int32_t edge = r.y1 < y0 ? y0 : y1;
        if ((r.y1 < y0 && r.y2 < y0) || (r.y1 > y1 && r.y2 > y1)) return r;
        r.x1 = CrossAtX(edge, r.y1, r.x1, r.y2, r.x2);
        r.y1 = edge;
    }
    if (r.y2 < y0 || r.y2 > y1) {
        const int32_t edge = r.y2 < y0 ? y0 : y1;
        r.x2 = CrossAtX(edge, r.y2, r.x2, r.y1, r.x1);
        r.y2 = edge;
    }
    r.kind = r.x1 == a && r.y1 == b ? 1 : 2;
    return r;
}

void ClipPlotterLine(int32_t a, int32_t b, int32_t c, int32_t d) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const PlotterDriver &p = g->plotter;
    const PlotterClip r = ClipToPlotterRange(a, b, c, d, p.rangeXMin, p.rangeYMin, p.rangeXMax, p.rangeYMax);
    if (r.kind == 2) PlotterSegment(r.x1, r.y1, r.x2, r.y2);
    else if (r.kind) PlotterLineTo(r.x2, r.y2);
}
