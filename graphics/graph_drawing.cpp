#include "graph_drawing.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bridges.h"
#include "display_list.h"
#include "eval_errors.h"
#include "graph_pipeline.h"
#include "graphics_host.h"
#include "plotting.h"
#include "problem_settings.h"
#include "settings.h"
#include "solver_method.h"
#include "workspace.h"

int gDrawingElementIndex = -1;

namespace {

constexpr size_t kAxesTextLimit = 20480;

void ReleasePensUnlessOwnDc() {
    if (!gOwnDc) ReleasePens();
}

struct FieldPass {
    DirectionFieldGrid grid;
    double time;
    int marks;
};

// Runs inside the recovery point of DrawDirectionField: no locals of its
// own that a jump out of an evaluation would leave behind.
void DrawFieldMarks(FieldPass *pass) {
    const DirectionFieldGrid &grid = pass->grid;
    bool escaped = false;
    for (int32_t i = 0; i <= grid.ny && !escaped; ++i) {
        for (int32_t j = 0; j <= grid.nx && !escaped; ++j) {
            if (gDisplayReplayHooks.pumpCheckEscape && gDisplayReplayHooks.pumpCheckEscape()) escaped = true;
            const double x = grid.x0 + j * grid.dx, y = grid.y0 + i * grid.dy;
            double uv[2] = {0, 0};
            EvaluateDirectionVector(pass->time, x, y, uv);
            double ex, ey;
            DirectionMark(uv[0], uv[1], grid, &ex, &ey);
            if (!std::isfinite(ex) || !std::isfinite(ey)) continue;
            PlotSegment(x - ex, y - ey, x + ex, y + ey);
            ++pass->marks;
        }
    }
}

bool EquationsCompiled() { return gEquationCode && gEquationCode[0]; }

}  // namespace

void DrawAllGraphicsElements() {
    if (gGraphicsHost.drawElements) gGraphicsHost.drawElements();
    gDrawingElementIndex = -1;
}

int DrawAxesText(const char *text) {
    if (!text) return 0;
    const size_t length = strnlen(text, kAxesTextLimit);
    std::vector<char> copy(text, text + length);
    copy.push_back(0);
    const char *p = copy.data();
    int drawn = 0;
    for (;;) {
        double x1, y1, x2, y2;
        int used = 0;
        if (std::sscanf(p, "%lg %lg %lg %lg%n", &x1, &y1, &x2, &y2, &used) != 4 || used <= 0) break;
        PlotSegment(x1, y1, x2, y2);
        ++drawn;
        p += used;
    }
    return drawn;
}

int DrawHistogram() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !g->histogramPoints || !g->histogramCounts || !g->histogramPeriod || g->histogramBins <= 1)
        return 0;
    const double b = gScanBegin, e = gScanEnd;
    const int bins = g->histogramBins;
    const double scale = bins / (std::fabs(e - b) * g->histogramPoints);
    const double step = (e - b) / (bins - 1);
    SetPen(g->drawingColor, g->drawingWidth);
    for (int i = 0; i < bins; ++i) PlotSegment(b + i * step, 0, b + i * step, g->histogramCounts[i] * scale);
    ReleasePensUnlessOwnDc();
    return bins;
}

bool DirectionFieldLayout(const GraphWindowState &g, DirectionFieldGrid *grid) {
    if (g.cellLength <= 0 || g.clientMaxX < 0 || g.clientMaxY < 0) return false;
    // Cells of the client's width and height in pixels: 240 pixels hold ten
    // cells of 24, and eleven columns of marks.
    const uint32_t cell = static_cast<uint32_t>(g.cellLength);
    grid->nx = static_cast<int32_t>((static_cast<uint32_t>(g.clientMaxX) + 1) / cell);
    grid->ny = static_cast<int32_t>((static_cast<uint32_t>(g.clientMaxY) + 1) / cell);
    if (grid->nx == 0 || grid->ny == 0) return false;
    grid->dx = (g.xMax - g.xMin) / grid->nx;
    grid->dy = (g.yMax - g.yMin) / grid->ny;
    grid->hx = g.markLength * 0.5 / g.cellLength * grid->dx;
    grid->hy = g.markLength * 0.5 / g.cellLength * grid->dy;
    grid->x0 = (g.xMin + g.xMax) / 2 - (grid->nx / 2) * grid->dx;
    grid->y0 = (g.yMin + g.yMax) / 2 - (grid->ny / 2) * grid->dy;
    return true;
}

void DirectionMark(double u, double v, const DirectionFieldGrid &grid, double *ex, double *ey) {
    u = u * grid.dy / grid.dx;
    const double length = std::hypot(u, v);
    if (length == 0) {
        *ex = grid.hx;
        *ey = 0;
        return;
    }
    *ex = u / length * grid.hx;
    *ey = v / length * grid.hy;
}

int DrawDirectionField() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    g->directionFieldPending = 0;
    FieldPass pass = {};
    if (!DirectionFieldLayout(*g, &pass.grid)) return 0;
    pass.time = gFirstValue != 0 ? gFirstValue : gInitialTime;
    const int32_t capture = g->capture;
    g->capture = 0;
    const double time = gTime;
    std::vector<double> variables;
    if (gVariables) variables.assign(gVariables, gVariables + gDimension);
    if (gDisplayReplayHooks.beginWait) gDisplayReplayHooks.beginWait();
    EvalRecovery r;
    BeginEvalRecovery(&r);
    if (VR_SETJMP(gEvalJmpBuf) == 0) {
        DrawFieldMarks(&pass);
    } else {
        gTime = time;
        if (gVariables) std::copy(variables.begin(), variables.end(), gVariables);
    }
    EndEvalRecovery(&r);
    if (gDisplayReplayHooks.endWait) gDisplayReplayHooks.endWait();
    g->capture = capture;
    return pass.marks;
}

void RedrawGraphContents(int runInProgress) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const int32_t capture = g->capture;
    const uint32_t memoryDc = g->memoryDc;
    g->capture = 0;
    g->memoryDc = 0;
    if (g->axesLocation) {
        SetPen(g->gridColor, g->gridWidth);
        DrawAxesText(g->axesLocation);
        ReleasePens();
    }
    if (gProblemKind == kMap) {
        if (runInProgress) {
            if (g->directPower || g->inversePower) DrawDirectGraph();
            if (g->inversePower) DrawInverseGraph();
        }
        DrawHistogram();
    } else if (g->directionField) {
        if (EquationsCompiled()) {
            SetPen(g->directionFieldColor, g->directionFieldWidth);
            DrawDirectionField();
            ReleasePensUnlessOwnDc();
        } else {
            g->directionFieldPending = 1;
        }
    }
    g->repaintPending = 0;
    DrawAllGraphicsElements();
    g->capture = capture;
    g->memoryDc = memoryDc;
}
