#include "plotting.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "bridges.h"
#include "display_list.h"
#include "eval_errors.h"
#include "heap.h"
#include "memory.h"
#include "problem_settings.h"
#include "projection.h"
#include "root_finder.h"
#include "run_control.h"
#include "run_engine.h"
#include "settings.h"
#include "solver_method.h"
#include "workspace.h"

WindowId gOutputWindow;
double gPlotBuffer[2];
int gStaircasePending;
PlotHost gPlotHost;

namespace {

// The drawing fields that a linked view exchanges: xMin through
// savedDcBitmap of the record.
constexpr size_t kDrawingFieldsBegin = offsetof(GraphWindowState, xMin);
constexpr size_t kDrawingFieldsEnd = offsetof(GraphWindowState, savedDcBitmap) + sizeof(uint32_t);
constexpr size_t kDrawingFieldsSize = kDrawingFieldsEnd - kDrawingFieldsBegin;

unsigned char gLinkSave[kDrawingFieldsSize];
GraphWindowState *gLinkedRecord;

unsigned char *DrawingFields(GraphWindowState *g) {
    return reinterpret_cast<unsigned char *>(g) + kDrawingFieldsBegin;
}

// State vector at a crossing or at a trial time of the crossing search.
double *gCrossingState;
unsigned gCrossingStateSize;

int Dimension() { return static_cast<int>(gDimension); }

double *CrossingState() {
    const unsigned n = gDimension ? gDimension : 1;
    if (gCrossingStateSize < n) {
        double *grown = static_cast<double *>(HeapResize(gCrossingState, n * sizeof(double)));
        if (!grown) return nullptr;
        gCrossingState = grown;
        gCrossingStateSize = n;
    }
    return gCrossingState;
}

// The state of the trajectory at time t from the method's interpolation
// hook; r < 0 when it cannot give it.
int StateAt(double t, double **state) {
    *state = CrossingState();
    if (!*state) return -1;
    if (!gSolverMethod.interpolate) return -1;
    return gSolverMethod.interpolate(-Dimension(), t, *state, nullptr);
}

// The condition at a trial time of the crossing search, with the state of
// that time: a condition on the variables (a section x = 0, say) would
// otherwise be constant over the bracket and never found. Where the method
// cannot give the state, the variables stay as they are.
double ConditionBetweenPoints(double t) {
    double *state;
    if (StateAt(t, &state) < 0) return EvaluateWindowCondition(t);
    double c;
    EvaluateExpressionsAt(1, t, state, &c, &gConditionCode);
    return c;
}

// The condition at an output point, with the point's own state.
double ConditionAtPoint(double t, const double *y) {
    double c;
    EvaluateExpressionsAt(1, t, y, &c, &gConditionCode);
    return c;
}

void SelectWindowCode(const GraphWindowState *g) {
    gAxisCode[0] = g->axisCode[0];
    gAxisCode[1] = g->axisCode[1];
    gConditionCode = g->conditionCode;
}

DcHandle WindowDc(WindowId w) { return gPlotHost.getDc && w ? gPlotHost.getDc(w) : 0; }

void ReleaseWindowDc(WindowId w, DcHandle dc) {
    if (dc && gPlotHost.releaseDc) gPlotHost.releaseDc(w, dc);
}

void DrawPendingDirectionField(WindowId window, GraphWindowState *g) {
    if (!g->directionFieldPending) return;
    if (!g->directionField || !gPlotHost.drawDirectionField) {
        g->directionFieldPending = 0;
        return;
    }
    gDrawDc = WindowDc(window);
    SetPen(g->directionFieldColor, g->directionFieldWidth);
    gPlotHost.drawDirectionField();
    g->directionFieldPending = 0;
    if (!gOwnDc) ReleasePens();
    ReleaseWindowDc(window, gDrawDc);
    gDrawDc = 0;
}

// Frequency: only every frequency-th point goes on; 0 draws nothing.
bool PassesFrequency(GraphWindowState *g) {
    if (g->frequency == 0) return false;
    if (--g->frequencyCountdown > 0) return false;
    g->frequencyCountdown = g->frequency;
    return true;
}

void StartTrajectory(WindowId window, GraphWindowState *g) {
    gOutputWindow = window;
    SetupProjection(g->viewPoint);
    UpdateGraphMapping();
    gStaircasePending = 0;
    g->frequencyCountdown = 1;
    g->penUpPending = 0;
}

}  // namespace

int PlotOdePoint(WindowId window, const RunPoint &point) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    SelectWindowCode(g);
    if (point.first) {
        StartTrajectory(window, g);
        g->conditionSign = 0;
        g->hasPreviousPoint = 0;
        g->previousTime = g->crossingTime = gInitialTime;
        return 0;
    }
    gOutputWindow = window;
    gViewPoint = g->viewPoint;
    DrawPendingDirectionField(window, g);
    if (!PassesFrequency(g)) return 0;

    const double t = point.t;
    double at = t;
    const double *state = point.values;
    if (g->increasing || g->decreasing) {
        const double c = ConditionAtPoint(t, point.values);
        const int newSign = c < 0 || std::isnan(c) ? -1 : 1;
        const int oldSign = g->conditionSign;
        g->conditionSign = static_cast<int8_t>(newSign);
        const bool crossing = oldSign != 0 && oldSign != newSign &&
                              ((g->increasing && oldSign < 0) || (g->decreasing && oldSign > 0));
        if (crossing) {
            if (FindCrossing(ConditionBetweenPoints, g->previousTime, t, g->crossingError, &g->crossingTime) !=
                kCrossingFound)
                return -7;
            if (g->poincareSection) {
                double *crossingState;
                const int r = StateAt(g->crossingTime, &crossingState);
                if (r < 0) return r - 3;
                at = g->crossingTime;
                state = crossingState;
            }
        }
        g->previousTime = t;
        gTrajectoryValue = g->crossingTime;
        if (!crossing && g->poincareSection) return 0;
    }
    gSkipOutputPoint = 0;
    EvaluateAxisExpressions(at, state, gPlotBuffer);
    if (gSkipOutputPoint) return 0;
    return PlotSolutionStep(window, gPlotBuffer);
}

int PlotSolutionStep(WindowId window, const double *point) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    const double x = point[0], y = point[1];
    const int linked = g->linkedWindow && LinkedView(1);
    const WindowId target = linked ? g->linkedWindow : window;
    gDrawDc = g->animating ? 0 : WindowDc(target);
    if (!gOwnDc || g->penColor != g->drawingColor || g->penWidth != g->drawingWidth)
        SetPen(g->drawingColor, g->drawingWidth);
    if (g->continuousLine && g->hasPreviousPoint) {
        if (g->penUpPending) {
            g->penUpPending = 0;
            if (g->capture) AppendDisplayPoint(kDisplayPoint, g->lastPoint[0], g->lastPoint[1]);
        }
        g->deviceX = g->previousDevice[0];
        g->deviceY = g->previousDevice[1];
        g->plotter.pointX = g->previousPlotter[0];
        g->plotter.pointY = g->previousPlotter[1];
        if (gStaircasePending) {
            PlotLineTo(x, x);
            gStaircasePending = 0;
        }
        PlotLineTo(x, y);
    } else {
        PlotPoint(x, y);
        g->hasPreviousPoint = 1;
    }
    g->previousDevice[0] = g->deviceX;
    g->previousDevice[1] = g->deviceY;
    g->previousPlotter[0] = g->plotter.pointX;
    g->previousPlotter[1] = g->plotter.pointY;
    g->lastPoint[0] = x;
    g->lastPoint[1] = y;
    if (!gOwnDc) ReleasePens();
    ReleaseWindowDc(target, gDrawDc);
    gDrawDc = 0;
    if (linked) return LinkedView(0);
    return 0;
}

int LinkedView(int enter) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    if (enter) {
        GraphWindowState *other = gPlotHost.stateOf ? gPlotHost.stateOf(g->linkedWindow) : nullptr;
        if (!other || other == g) {
            // A window linked to itself draws into itself.
            if (!other) g->linkedWindow = 0;
            return 0;
        }
        std::memcpy(gLinkSave, DrawingFields(g), kDrawingFieldsSize);
        std::memcpy(DrawingFields(g), DrawingFields(other), kDrawingFieldsSize);
        gLinkedRecord = other;
        g->penUpPending = 1;
        return 1;
    }
    g->penUpPending = 1;
    if (gLinkedRecord) std::memcpy(DrawingFields(gLinkedRecord), DrawingFields(g), kDrawingFieldsSize);
    std::memcpy(DrawingFields(g), gLinkSave, kDrawingFieldsSize);
    gLinkedRecord = nullptr;
    return 0;
}

// ---- Maps

namespace {

// The map applied count times to v (one-dimensional maps).
double IterateMap(double v, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        double next = v;
        RhsCallback(gInitialTime, &v, &next);
        v = next;
    }
    return v;
}

// The curve and, for the direct graph, the diagonal; runs inside the
// recovery point of DrawMapGraph, so it keeps its own locals.
void DrawMapGraphCurves(GraphWindowState *g, int inverse) {
    const unsigned count = (inverse ? g->inversePower : g->directPower) * gMapPower;
    const double lo = inverse ? g->yMin : g->xMin, hi = inverse ? g->yMax : g->xMax;
    const int32_t pixels = inverse ? g->clientMaxY : g->clientMaxX;
    SetPen(g->gridColor, g->gridWidth);
    // One point per pixel; the count, not the sum of steps, ends the walk
    // so that rounding cannot add or lose the last pixel.
    if (pixels > 0 && std::isfinite(hi - lo)) {
        const double step = (hi - lo) / pixels;
        for (int32_t i = 0; i <= pixels; ++i) {
            const double u = lo + i * step;
            const double v = IterateMap(u, count);
            const double x = inverse ? v : u, y = inverse ? u : v;
            if (i == 0)
                PlotPoint(x, y);
            else
                PlotLineTo(x, y);
        }
    }
    if (!inverse && g->inversePower == 0) {
        const double m = g->xMin < g->yMin ? g->xMin : g->yMin;
        const double M = g->yMin > g->yMax ? g->yMin : g->yMax;
        PlotSegment(m, m, M, M);
    }
}

// Draws y = the map iterated over the horizontal axis (inverse: x over the
// vertical one). A fault in the map ends the drawing, not the run.
void DrawMapGraph(int inverse) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    EvalRecovery r;
    BeginEvalRecovery(&r);
    if (VR_SETJMP(gEvalJmpBuf) == 0) DrawMapGraphCurves(g, inverse);
    EndEvalRecovery(&r);
    if (!gOwnDc) ReleasePens();
}

// The first variable m steps back (x(m)); r < 0 when the history lacks it.
int ValueStepsBack(double t, unsigned m, double *out) {
    if (!gSolverMethod.interpolate) return -1;
    return gSolverMethod.interpolate(0, t - m, out, nullptr);
}

void SetUpHistogram(GraphWindowState *g) {
    if (gOutputStep == 0) {
        gScanBegin = g->xMin;
        gScanEnd = g->xMax;
        if (g->clientMaxX > 0) gOutputStep = std::fabs(gScanBegin - gScanEnd) / g->clientMaxX;
    }
    if (gScanBegin == gScanEnd) gScanEnd += 1;
    if (gOutputStep == 0) gOutputStep = 1;
    if (!g->histogramPeriod) return;
    FreeAndNull(g->histogramCounts);
    const double bins = std::round(std::fabs((gScanBegin - gScanEnd) / gOutputStep)) + 1;
    // Silently off when it cannot be had: a run does not stop for a histogram.
    if (bins <= 1e7) {
        g->histogramBins = bins < 2 ? 2 : static_cast<int32_t>(bins);
        g->histogramCounts = static_cast<uint32_t *>(HeapAllocZeroed(sizeof(uint32_t) * g->histogramBins));
    }
    if (!g->histogramCounts) g->histogramPeriod = 0;
}

void StartMapTrajectory(WindowId window, GraphWindowState *g) {
    StartTrajectory(window, g);
    g->powerToggle = 0;
    g->histogramPoints = 0;
    if (!g->average) g->hasPreviousPoint = 0;
    g->powerCountdown = 1;
    g->averageSum = 0;
    if (gDimension != 1) g->directPower = g->inversePower = 0;
    if (g->directPower || g->inversePower) {
        gDrawDc = WindowDc(window);
        DrawDirectGraph();
        if (g->inversePower) DrawInverseGraph();
        ReleaseWindowDc(window, gDrawDc);
        gDrawDc = 0;
    }
    if (g->histogramPeriod || gBifurcationDiagram) SetUpHistogram(g);
}

}  // namespace

void DrawDirectGraph() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (g->directPower == 0) g->directPower = g->inversePower;
    DrawMapGraph(0);
}

void DrawInverseGraph() { DrawMapGraph(1); }

int HistogramBin(double v, double begin, double end, int bins) {
    const bool inside = begin < end ? begin <= v && v < end : end < v && v <= begin;
    if (!inside || bins <= 0) return -1;
    int bin = static_cast<int>(std::floor((v - begin) / (end - begin) * bins));
    return bin < 0 ? 0 : bin >= bins ? bins - 1 : bin;
}

int PlotMapPoint(WindowId window, const RunPoint &point) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    SelectWindowCode(g);
    if (point.first) {
        StartMapTrajectory(window, g);
        return 0;
    }
    gOutputWindow = window;
    gViewPoint = g->viewPoint;
    gSkipOutputPoint = 0;
    const double t = point.t, x = point.values[0], t0 = gInitialTime;
    if (g->inversePower || g->directPower) {
        if (--g->powerCountdown > 0) {
            if (gRunState.pauseArmed) {
                EndPause();
                if (gPlotHost.postKeyDown) gPlotHost.postKeyDown(window);
            }
            return 0;
        }
        if (t == t0) {
            gPlotBuffer[0] = x;
            gPlotBuffer[1] = g->yMin;
        } else if (g->inversePower) {
            const unsigned k = g->powerToggle ? g->inversePower : g->directPower;
            double back;
            const int r = ValueStepsBack(t, k, &back);
            if (r < 0) return r - 3;
            gPlotBuffer[g->powerToggle] = back;
            gPlotBuffer[1 - g->powerToggle] = x;
            g->powerToggle ^= 1;
        } else {
            const int r = ValueStepsBack(t, g->directPower, &gPlotBuffer[0]);
            if (r < 0) return r - 3;
            gPlotBuffer[1] = x;
            if (g->continuousLine && g->hasPreviousPoint && t != t0 + g->directPower) gStaircasePending = 1;
        }
        const unsigned next = g->inversePower && g->powerToggle ? g->inversePower : g->directPower;
        g->powerCountdown = next ? static_cast<int32_t>(next) : 1;
    } else {
        EvaluateAxisExpressions(t, point.values, gPlotBuffer);
        if (g->average) {
            // The vertical coordinate is averaged; every point is plotted.
            g->averageSum += gPlotBuffer[1];
            const double count = t - gFirstValue + 1;
            gPlotBuffer[1] = count != 0 ? g->averageSum / count : g->averageSum;
        } else if (g->histogramPeriod) {
            const int bin = HistogramBin(gPlotBuffer[0], gScanBegin, gScanEnd, g->histogramBins);
            if (bin >= 0 && g->histogramCounts) ++g->histogramCounts[bin];
            if (++g->histogramPoints % static_cast<int32_t>(g->histogramPeriod) == 0) {
                g->repaintPending = 1;
                if (gPlotHost.invalidate) gPlotHost.invalidate(window);
            }
            return 0;
        }
    }
    if (!PassesFrequency(g)) return 0;
    if (gSkipOutputPoint) return 0;
    return PlotSolutionStep(window, gPlotBuffer);
}
