#include "graph_cursor.h"

#include <cmath>
#include <cstdio>

#include "graph_pipeline.h"
#include "messages.h"
#include "run_host.h"
#include "string_ids.h"
#include "workspace.h"

int gMouseMode;
int gPreviousMouseMode;
double gClickWorldX, gClickWorldY;
ElementEditHooks gElementEditHooks;
CursorHost gCursorHost;

namespace {

// Halves go up: ROUND(-2.5) is -2.
double Round(double v) {
    const double f = std::floor(v);
    return v - f >= 0.5 ? f + 1 : f;
}

double ToWorld(int32_t pixel, double scale, double origin) {
    if (scale == 0) return origin;
    return RoundToPixel(pixel / scale + origin, scale);
}

// A step so small against the value that what is left is rounding residue.
double SnapToZero(double v, double step) {
    return std::fabs(v) * 1000000.0 <= std::fabs(step) ? 0.0 : v;
}

double CellValue(int c) {
    const double *cell = ColumnCell(c);
    return cell ? *cell : 0.0;
}

void PlaceCaret(int32_t x, int32_t y) {
    GraphWindowState *g = gCurrentGraph;
    g->caretX = x;
    g->caretY = y;
    if (gCursorHost.placeCaret) gCursorHost.placeCaret(x - 10, y - 10);
}

void CaretAfterSteps(int dx, int dy) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    int32_t x = 0, y = 0;
    if (gMouseMode == kModeInitialConditions) {
        x = dx;
        y = dy;
        MoveCursorSteps(&x, &y);
    } else if (gElementEditHooks.caretPoint) {
        gElementEditHooks.caretPoint(dx, dy, &x, &y);
    }
    PlaceCaret(x, y);
    UpdateCursorStatus();
}

}  // namespace

double RoundToPixel(double w, double scale) {
    const double p = std::pow(10.0, std::floor(std::log10(std::fabs(scale))));
    if (!std::isfinite(p) || p == 0) return w;
    return Round(w * p) / p;
}

double PixelToWorldX(int32_t x) {
    const GraphWindowState *g = gCurrentGraph;
    return g ? ToWorld(x, g->scaleX, g->xMin) : 0;
}

double PixelToWorldY(int32_t y) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    // An empty scale gives yMin, like x gives xMin.
    return g->scaleY == 0 ? g->yMin : ToWorld(y, g->scaleY, g->yMax);
}

double MouseToWorldX() { return gCurrentGraph ? PixelToWorldX(gCurrentGraph->mouseX) : 0; }
double MouseToWorldY() { return gCurrentGraph ? PixelToWorldY(gCurrentGraph->mouseY) : 0; }
double CaretToWorldX() { return gCurrentGraph ? PixelToWorldX(gCurrentGraph->caretX) : 0; }
double CaretToWorldY() { return gCurrentGraph ? PixelToWorldY(gCurrentGraph->caretY) : 0; }

double *ColumnCell(int c) {
    if (c == 0) return &gInitialTime;
    if (c < 1 || c > static_cast<int>(gDimension) || !gInitialValues) return nullptr;
    return &gInitialValues[c - 1];
}

void MoveCursorSteps(int32_t *dx, int32_t *dy) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    int32_t sx = *dx, sy = *dy;
    if (g->xMax < g->xMin) sx = -sx;
    if (g->yMax < g->yMin) sy = -sy;
    if (double *x = ColumnCell(g->selectX)) *x = SnapToZero(*x + sx * g->stepX, g->stepX);
    if (double *y = ColumnCell(g->selectY)) *y = SnapToZero(*y - sy * g->stepY, g->stepY);
    MapToDevice(CellValue(g->selectX), CellValue(g->selectY));
    *dx = g->deviceX;
    *dy = g->deviceY;
}

void UpdateCursorCaret() { CaretAfterSteps(0, 0); }

void MoveCursorByKeys(int dx, int dy) { CaretAfterSteps(dx, dy); }

void FormatCursorStatus(char *buffer, size_t size) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g) {
        std::snprintf(buffer, size, "%s", "");
        return;
    }
    switch (gMouseMode) {
    case kModeInitialConditions:
        std::snprintf(buffer, size, "(%lg + %lg)", CellValue(g->selectX), CellValue(g->selectY));
        break;
    case kModeFirst:
    case kModeLast:
    case kModeRotate:
        std::snprintf(buffer, size, "%lg",
                      gElementEditHooks.modeValue ? gElementEditHooks.modeValue(gMouseMode) : 0.0);
        break;
    default:
        std::snprintf(buffer, size, "(%lg + %lg)", gClickWorldX, gClickWorldY);
        break;
    }
}

void FormatMouseStatus(char *buffer, size_t size) {
    std::snprintf(buffer, size, "%lg + %lg", MouseToWorldX(), MouseToWorldY());
}

void FormatModeText(char *buffer, size_t size) {
    const GraphWindowState *g = gCurrentGraph;
    const int mode = gMouseMode;
    if (mode < kModeSelect || mode >= kMouseModeCount || !g) {
        std::snprintf(buffer, size, "%s", "");
        return;
    }
    // The mode's name lives in the shared text buffer: copy it first.
    char name[64];
    std::snprintf(name, sizeof name, "%s", LoadTextResource(IDS_MODE_SELECT + mode - 1));
    if (mode <= kModeMove) {
        std::snprintf(buffer, size, "(%s)", name);
    } else if (g->currentElement && g->currentElement->kind >= 0 && g->currentElement->kind < kElementKindCount) {
        std::snprintf(buffer, size, "%d (%s - %s)", g->currentElementIndex + 1,
                      kElementKindNames[g->currentElement->kind], name);
    } else {
        std::snprintf(buffer, size, "%s", "");
    }
}

void UpdateCursorStatus() {
    char text[128];
    FormatCursorStatus(text, sizeof text);
    if (gCursorHost.setStatusPart) gCursorHost.setStatusPart(1, text);
    if (gMouseMode == kModeInitialConditions && gCurrentGraph && gCursorHost.refreshInitialValueRows)
        gCursorHost.refreshInitialValueRows(gCurrentGraph->selectX, gCurrentGraph->selectY);
}

void UpdateMouseStatus() {
    char text[128];
    FormatMouseStatus(text, sizeof text);
    if (gCursorHost.setStatusPart) gCursorHost.setStatusPart(2, text);
    FormatModeText(text, sizeof text);
    if (gRunHost.setStatusText) gRunHost.setStatusText(text);
}
