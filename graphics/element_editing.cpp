#include <cmath>

#include "compile_problem.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_elements.h"
#include "graph_pipeline.h"
#include "graphics_host.h"
#include "settings.h"
#include "text_layout.h"

namespace {

constexpr double kDegree = 0.017453292519943295;

void WorkCopyFromCurrent() {
    const GraphWindowState *g = gCurrentGraph;
    if (g && g->currentElement) gElementWorkCopy = *g->currentElement;
}

void CurrentFromWorkCopy() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return;
    GraphicsElement *next = g->currentElement->next;
    *g->currentElement = gElementWorkCopy;
    g->currentElement->next = next;
}

double SnapToZero(double v, double step) { return std::fabs(v) * 1000000.0 <= std::fabs(step) ? 0.0 : v; }

// The cursor hooks: keys and clicks of the element modes.
void CaretPoint(int dx, int dy, int32_t *x, int32_t *y) {
    int32_t mx = dx, my = dy;
    MoveElementCursor(&mx, &my, 0);
    *x = mx;
    *y = my;
}

double ModeValue(int mode) {
    switch (mode) {
    case kModeFirst: return gElementWorkCopy.begin;
    case kModeLast: return gElementWorkCopy.end;
    case kModeRotate: return gElementWorkCopy.direction;
    default: return 0;
    }
}

void ClickAt(int, double x, double y) {
    gElementCursorX = x;
    gElementCursorY = y;
    int32_t dx = 0, dy = 0;
    MoveElementCursor(&dx, &dy, 1);
}

}  // namespace

double PointToAngle(double dy, double dx) {
    if (dy == 0 && dx == 0) return 0;
    return std::atan2(dy, dx) * 57.295779513082321;
}

int AdjustMouseMode(int m) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return m == kModeMove ? kModeMove : kModeInitialConditions;
    if (m <= kModeMove || m >= kMouseModeCount) return m < 0 || m >= kMouseModeCount ? kModeInitialConditions : m;
    WorkCopyFromCurrent();
    const int k = gElementWorkCopy.kind;
    // Special has no handle in any mode, Rotate included: it is a text for
    // the plotter, not a figure.
    if (k == kElementSpecial) return kModeMove;
    const bool noPoint = k == kElementArrow || k == kElement2Curve || k == kElement3Curve || k == kElementAxes ||
                         k == kElementInitialValues || k == kElementParameters;
    const bool noValues = k == kElementSegment || k == kElementText || k == kElementData || k == kElementFractal ||
                          k == kElementAxes || k == kElementInitialValues || k == kElementParameters;
    switch (m) {
    case kModePoint: return noPoint ? kModeOrigin : m;
    case kModeThird:
        if (k == kElementSegment || k == kElementCircle || k == kElementFractal) return kModePoint;
        return noPoint ? kModeOrigin : m;
    case kModeFirst: return noValues ? kModeOrigin : m;
    case kModeLast:
        if (noValues) return kModeOrigin;
        return k == kElementArrow ? kModeFirst : m;
    case kModeRotate:
        return k == kElementAxes || k == kElementInitialValues || k == kElementParameters ? kModeOrigin : m;
    default: return m;
    }
}

void PlaceElementCursor(int apply) {
    GraphicsElement &e = gElementWorkCopy;
    const int mode = gMouseMode;
    if (mode >= kModeOrigin && mode < kMouseModeCount && gCurrentGraph && gCurrentGraph->currentElement) {
        const double theta = e.direction * kDegree, c = std::cos(theta), s = std::sin(theta);
        const bool arc = e.kind == kElementCircle || e.kind == kElementEllipse;
        const bool textual = e.kind == kElementText || e.kind == kElementData;
        if (mode == kModeOrigin || mode == kModeRotate || ((mode == kModeFirst || mode == kModeLast) && !arc)) {
            gElementCursorX = e.x;
            gElementCursorY = e.y;
        } else if (mode == kModePoint) {
            double length = -1;
            if (e.kind == kElementSegment || e.kind == kElementFractal) length = e.size;
            else if (arc) length = e.radius;
            else if (textual) length = MeasureElementText(e) * e.radius;
            if (length != -1) {
                gElementCursorX = e.x + length * c;
                gElementCursorY = e.y + length * s;
            }
        } else if (mode == kModeThird) {
            if (e.kind == kElementEllipse) {
                gElementCursorX = e.x - e.size * s;
                gElementCursorY = e.y + e.size * c;
            } else if (textual) {
                const double w = MeasureElementText(e);
                gElementCursorX = e.x + c * w * e.radius - s * e.size;
                gElementCursorY = e.y + s * w * e.radius + c * e.size;
            }
        } else {
            if (e.kind == kElementCircle) e.size = e.radius;
            const double a = (mode == kModeFirst ? e.begin : e.end) * kDegree;
            const double px = e.radius * std::cos(a), py = e.size * std::sin(a);
            gElementCursorX = e.x + px * c - py * s;
            gElementCursorY = e.y + px * s + py * c;
        }
        if (apply) ApplyElementCursor(0);
    }
    UpdateCursorStatus();
}

void ApplyElementCursor(int erase) {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->currentElement) return;
    const bool redraw = gDrawWhileEditing || erase;
    if (redraw) {
        // The element is erased where it stands, not where the edit goes.
        const GraphicsElement edited = gElementWorkCopy;
        gElementWorkCopy = *g->currentElement;
        DrawCurrentGraphicsElement(1);
        gElementWorkCopy = edited;
    }
    GraphicsElement &e = gElementWorkCopy;
    if (gMouseMode == kModeOrigin) {
        e.x = gElementCursorX;
        e.y = gElementCursorY;
    } else if (gMouseMode == kModePoint) {
        const double d = std::hypot(gElementCursorX - e.x, gElementCursorY - e.y);
        const double phi = PointToAngle(gElementCursorY - e.y, gElementCursorX - e.x);
        switch (e.kind) {
        case kElementSegment:
        case kElementFractal:
            e.size = d;
            e.direction = phi;
            break;
        case kElementCircle:
        case kElementEllipse:
            e.radius = d;
            e.direction = phi;
            break;
        case kElementText:
        case kElementData: {
            const double w = MeasureElementText(e);
            // A text of no width has nothing to stretch.
            if (w > 0 && w < 1e6) e.radius = d / w;
            e.direction = phi;
            break;
        }
        default: break;
        }
    }
    CurrentFromWorkCopy();
    if (redraw) DrawCurrentGraphicsElement(0);
}

void MoveElementCursor(int32_t *dx, int32_t *dy, int apply) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    int32_t sx = *dx, sy = *dy;
    const bool moved = sx != 0 || sy != 0;
    WorkCopyFromCurrent();
    if (g->xMax < g->xMin) sx = -sx;
    if (g->yMax < g->yMin) sy = -sy;
    GraphicsElement &e = gElementWorkCopy;
    const bool element = g->currentElement != nullptr;
    switch (gMouseMode) {
    case kModeThird:
        if (element) e.size += sx * g->stepX - sy * g->stepY;
        break;
    case kModeFirst:
        if (element) e.begin += (sx - sy) * g->angularStep;
        break;
    case kModeLast:
        if (element) e.end += (sx - sy) * g->angularStep;
        break;
    case kModeRotate:
        if (element) e.direction += (sx - sy) * g->angularStep;
        break;
    default:
        gElementCursorX += sx * g->stepX;
        gElementCursorY -= sy * g->stepY;
        break;
    }
    if (gMouseMode >= kModeThird && moved && element) PlaceElementCursor(0);
    gElementCursorX = SnapToZero(gElementCursorX, g->stepX);
    gElementCursorY = SnapToZero(gElementCursorY, g->stepY);
    gClickWorldX = gElementCursorX;
    gClickWorldY = gElementCursorY;
    MapToDevice(gElementCursorX, gElementCursorY);
    *dx = g->deviceX;
    *dy = g->deviceY;
    if (moved || apply)
        ApplyElementCursor(0);
    else
        CurrentFromWorkCopy();
}

void InstallGraphicsElements() {
    SetElementNameCells(&gElementWorkCopy.x, &gElementT);
    gCompileHooks.elements = CompileElementsOfCurrentGraph;
    gGraphicsHost.drawElements = DrawGraphicsElements;
    gElementEditHooks.caretPoint = CaretPoint;
    gElementEditHooks.modeValue = ModeValue;
    gElementEditHooks.clickAt = ClickAt;
}
