#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics_host.h"
#include "builtin_tables.h"
#include "compile_problem.h"
#include "display_list.h"
#include "eval_errors.h"
#include "fpu_faults.h"
#include "graph_commands.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_elements.h"
#include "graph_pipeline.h"
#include "interpreter.h"
#include "plotter.h"
#include "pointdata.h"
#include "problem_settings.h"
#include "settings.h"
#include "text_layout.h"
#include "workspace.h"

GraphicsElement *gDrawnElement;
int gElementsBeingDrawn;
int gElementDialogOpen;
int gElementActionInProgress;
ElementDcHooks gElementDcHooks;

namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr size_t kDataLineLimit = 20479;
constexpr size_t kDataNameLimit = 4096;
// Esc is looked for every so many points: pumping messages per point
// would make long curves crawl.
constexpr int kAbortPollPoints = 256;

int DefaultFaultGuard(void (*work)(void *), void *context) {
    EvalRecovery r;
    BeginEvalRecovery(&r);
    int jumped = VR_SETJMP(gEvalJmpBuf);
    if (jumped == 0) work(context);
    EndEvalRecovery(&r);
    return jumped;
}

int gAbortCountdown;
int gAborted;

int CheckUserAbort() {
    if (gAborted) return 1;
    if (--gAbortCountdown > 0) return 0;
    gAbortCountdown = kAbortPollPoints;
    if (gDisplayReplayHooks.pumpCheckEscape && gDisplayReplayHooks.pumpCheckEscape()) gAborted = 1;
    return gAborted;
}

void ResetUserAbort() {
    gAborted = 0;
    gAbortCountdown = 1;  // the first check pumps
}

class PickTextSink : public TextStrokeSink {
public:
    void Point(double x, double y) override { PickPlotPoint(x, y); }
    void LineTo(double x, double y) override { PickPlotLineTo(x, y); }
    bool Aborted() override { return CheckUserAbort() != 0; }
};

bool RecordsPlotter() {
    const GraphWindowState *g = gCurrentGraph;
    return g && g->plotter.recording;
}

// ---- Data curves. The open file lives here, not in a frame, so that the
// end of a guarded pass closes it whichever way the pass ended.

struct DataCurve {
    double x, y, px, py;
    double xmin, ymin, xmax, ymax;
    int clip, penUpPending, previousOutside;
};
DataCurve gData;
FILE *gDataFile;
PointReader gDataReader;
int gDataReaderOpen;
char gDataName[kDataNameLimit];

void CloseDataFile() {
    if (gDataReaderOpen) ClosePointReader(&gDataReader);
    gDataReaderOpen = 0;
    if (gDataFile) std::fclose(gDataFile);
    gDataFile = nullptr;
}

FILE *OpenDataFile(const char *name) {
    const char *mode = GetDataFileKind(name) == kPointText ? "r" : "rb";
    if (FILE *f = std::fopen(name, mode)) return f;
    const char *folder = gGraphicsHost.elementDataFolder ? gGraphicsHost.elementDataFolder() : nullptr;
    if (!folder || !*folder) return nullptr;
    char path[kDataNameLimit + 512];
    const size_t n = std::strlen(folder);
    const char *sep = folder[n - 1] == '\\' || folder[n - 1] == '/' ? "" : "\\";
    if (std::snprintf(path, sizeof path, "%s%s%s", folder, sep, name) >= static_cast<int>(sizeof path))
        return nullptr;
    return std::fopen(path, mode);
}

bool InClipBox(double x, double y) {
    return x >= gData.xmin && x <= gData.xmax && y >= gData.ymin && y <= gData.ymax;
}

void EmitDataPoint() {
    gData.px = gData.x;
    gData.py = gData.y;
    if (gData.penUpPending || gData.previousOutside) {
        PickPlotPoint(gData.x, gData.y);
        gData.penUpPending = gData.previousOutside = 0;
    } else {
        PickPlotLineTo(gData.x, gData.y);
    }
}

}  // namespace


void PlaceElementPoint(double *x, double *y) {
    const GraphicsElement *e = gDrawnElement;
    if (!e) return;
    if (e->direction != 0) {
        const double a = e->direction * kDegree, c = std::cos(a), s = std::sin(a);
        const double rx = *x * c - *y * s, ry = *x * s + *y * c;
        *x = rx;
        *y = ry;
    }
    *x += e->x;
    *y += e->y;
}

double ClipCut(double a, double b, double c) {
    if (std::fabs(a) < 1e-38) return 0;
    if (std::fabs(b) < 1e-38) return 1e38;
    return a / b * c;
}

int32_t IntPower(int32_t base, int32_t exponent) {
    if (exponent <= 0) return 1;
    const bool negative = base < 0 && (exponent & 1);
    if (base == 0 || base == 1) return base;
    int64_t result = 1, b = base < 0 ? -static_cast<int64_t>(base) : base;
    const int64_t limit = 0x7FFFFFFF;
    while (exponent > 0) {
        if (exponent & 1) {
            result *= b;
            if (result > limit) return 0;
        }
        exponent >>= 1;
        if (exponent) {
            b *= b;
            if (b > limit) return 0;
        }
    }
    // An odd power of a negative base keeps its sign.
    return static_cast<int32_t>(negative ? -result : result);
}

void DataClipMove() {
    if (InClipBox(gData.x, gData.y)) {
        gData.penUpPending = 1;
        gData.previousOutside = 0;
        EmitDataPoint();
    } else {
        gData.px = gData.x;
        gData.py = gData.y;
    }
}

void DataClipLineTo() {
    const double readX = gData.x, readY = gData.y;
    double px = gData.px, py = gData.py, cx = gData.x, cy = gData.y;
    bool rejected = false, clipped = false;
    if (gData.previousOutside) {
        if (px < gData.xmin) {
            if (cx < gData.xmin) rejected = true;
            else { py = cy + ClipCut(gData.xmin - cx, cx - px, cy - py); px = gData.xmin; }
        } else if (px > gData.xmax) {
            if (cx > gData.xmax) rejected = true;
            else { py = cy + ClipCut(gData.xmax - cx, cx - px, cy - py); px = gData.xmax; }
        }
        if (py < gData.ymin) {
            if (cy < gData.ymin) rejected = true;
            else { px = cx + ClipCut(gData.ymin - cy, cy - py, cx - px); py = gData.ymin; }
        } else if (py > gData.ymax) {
            if (cy > gData.ymax) rejected = true;
            else { px = cx + ClipCut(gData.ymax - cy, cy - py, cx - px); py = gData.ymax; }
        }
        if (!rejected) {
            gData.x = px;
            gData.y = py;
            DataClipMove();
            gData.x = cx;
            gData.y = cy;
        }
    }
    if (!rejected) {
        if (cx < gData.xmin) {
            cy = py + ClipCut(gData.xmin - px, px - cx, py - cy); cx = gData.xmin; clipped = true;
        } else if (cx > gData.xmax) {
            cy = py + ClipCut(gData.xmax - px, px - cx, py - cy); cx = gData.xmax; clipped = true;
        }
        if (cy < gData.ymin) {
            cx = px + ClipCut(gData.ymin - py, py - cy, px - cx); cy = gData.ymin; clipped = true;
        } else if (cy > gData.ymax) {
            cx = px + ClipCut(gData.ymax - py, py - cy, px - cx); cy = gData.ymax; clipped = true;
        }
        gData.x = cx;
        gData.y = cy;
        if (gData.previousOutside)
            DataClipMove();
        else
            EmitDataPoint();
    }
    if (rejected || clipped) {
        gData.px = readX;
        gData.py = readY;
        gData.previousOutside = 1;
    }
    gData.x = readX;
    gData.y = readY;
}

void DrawDataCurve() {
    GraphicsElement *e = gDrawnElement;
    if (!e || !e->text1) return;
    // The name and the box are read from a copy: the element's text stays
    // whole even when a fault ends the drawing.
    const size_t length = std::strlen(e->text1);
    if (length >= kDataNameLimit) return;
    std::memcpy(gDataName, e->text1, length + 1);
    gData = DataCurve{};
    for (char *p = gDataName; (p = std::strchr(p, ' ')) != nullptr; ++p) {
        double b[4];
        if (std::sscanf(p, "%lg %lg %lg %lg", &b[0], &b[1], &b[2], &b[3]) == 4) {
            gData.clip = 1;
            if (b[0] > b[2]) { gData.xmin = b[2]; gData.xmax = b[0]; } else { gData.xmin = b[0]; gData.xmax = b[2]; }
            if (b[1] > b[3]) { gData.ymin = b[3]; gData.ymax = b[1]; } else { gData.ymin = b[1]; gData.ymax = b[3]; }
            *p = 0;
            break;
        }
    }
    CloseDataFile();
    gDataFile = OpenDataFile(gDataName);
    if (!gDataFile) return;
    const int kind = GetDataFileKind(gDataName);
    if (!OpenPointReader(&gDataReader, gDataFile, kind, "%lg %lg", kDataLineLimit, 0)) {
        CloseDataFile();
        return;
    }
    gDataReaderOpen = 1;
    gData.penUpPending = 1;
    double x, y;
    for (;;) {
        if (CheckUserAbort()) break;
        const PointItem item = ReadPointItem(&gDataReader, &x, &y);
        if (item == kItemEnd) break;
        if (item == kItemBreak) {
            gData.penUpPending = 1;
            continue;
        }
        if (e->radius != 0 && e->radius != 1) x *= e->radius;
        if (e->size != 0 && e->size != 1) y *= e->size;
        PlaceElementPoint(&x, &y);
        gData.x = x;
        gData.y = y;
        if (gData.penUpPending || e->steps == 0) {
            if (gData.clip) {
                DataClipMove();
            } else {
                PickPlotPoint(x, y);
                gData.penUpPending = 0;
            }
        } else if (gData.clip) {
            DataClipLineTo();
        } else {
            PickPlotLineTo(x, y);
            gData.penUpPending = 0;
        }
    }
    CloseDataFile();
}

namespace {

int EscapeDigits(const char *&p, int base, int limit) {
    int value = 0;
    for (int i = 0; i < limit; ++i) {
        const int c = std::tolower(static_cast<unsigned char>(*p));
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            break;
        if (d >= base) break;
        value = value * base + d;
        ++p;
    }
    return value & 0xFF;
}

// One byte of the text at p; p is left after what it used.
int NextSpecialByte(const char *&p) {
    if (*p != '\\') return static_cast<unsigned char>(*p++);
    ++p;
    const char c = *p;
    if (!c) return -1;  // a lone backslash at the end writes nothing
    static const char kLetters[] = "abefnrtvz";
    static const int kBytes[] = {7, 8, 27, 12, 10, 13, 9, 11, 0};
    if (const char *l = std::strchr(kLetters, c)) {
        ++p;
        return kBytes[l - kLetters];
    }
    if (c == 'o') return EscapeDigits(++p, 8, 3);
    if (c == 'x') return EscapeDigits(++p, 16, 2);
    if (c >= '0' && c <= '9') return EscapeDigits(p, 10, 3);
    ++p;
    return static_cast<unsigned char>(c);
}

}  // namespace

int DecodeSpecialText(const char *text, char *out, int size) {
    int n = 0;
    for (const char *p = text; p && *p && n < size;) {
        const int b = NextSpecialByte(p);
        if (b >= 0) out[n++] = static_cast<char>(b);
    }
    return n;
}

void WriteSpecialText() {
    const GraphWindowState *g = gCurrentGraph;
    const GraphicsElement *e = gDrawnElement;
    if (!g || !e || !e->text1 || !g->plotter.stream) return;
    std::fflush(g->plotter.stream);
    for (const char *p = e->text1; *p && !CheckUserAbort();) {
        const int b = NextSpecialByte(p);
        if (b >= 0) std::fputc(b, g->plotter.stream);
    }
    std::fflush(g->plotter.stream);
}

void DrawFractal(int order) {
    GraphicsElement *e = gDrawnElement;
    const double *factor = static_cast<const double *>(e->code1);
    const double *angle = static_cast<const double *>(e->code2);
    const int k = e->steps;
    if (!factor || !angle || k <= 0) return;
    double x = e->x, y = e->y;
    PickPlotPoint(x, y);
    const double theta0 = e->direction * kDegree;
    const int32_t count = IntPower(k, order);
    for (int32_t i = 0; i < count; ++i) {
        if (CheckUserAbort()) break;
        int s = 1;
        int32_t u = i, m = count;
        double length = e->size, theta = theta0;
        for (int level = 1; level <= order; ++level) {
            m /= k;
            const int32_t d = u / m;
            u %= m;
            theta += s > 0 ? angle[d] : -angle[d];
            length *= std::fabs(factor[d]);
            if (factor[d] < 0) s = -s;
        }
        x += length * std::cos(theta);
        y += length * std::sin(theta);
        PickPlotLineTo(x, y);
    }
}

namespace {

void DrawCurve(GraphicsElement *e) {
    if (!e->code1 || !e->code2 || (e->kind == kElement3Curve && !e->code3)) return;
    const PcodeProgram *cx = static_cast<const PcodeProgram *>(e->code1);
    const PcodeProgram *cy = static_cast<const PcodeProgram *>(e->code2);
    const PcodeProgram *cz = static_cast<const PcodeProgram *>(e->code3);
    const double dt = (e->end - e->begin) / e->steps;
    gElementT = e->begin;
    for (int i = 0; i <= e->steps; ++i) {
        if (CheckUserAbort()) break;
        if ((dt > 0 && gElementT > e->end) || (dt < 0 && gElementT < e->end)) gElementT = e->end;
        double X, Y;
        if (e->kind == kElement2Curve) {
            Y = RunPcode(cy);
            X = RunPcode(cx);
        } else {
            const double x3 = RunPcode(cx), y3 = RunPcode(cy), z3 = RunPcode(cz);
            X = projx(x3, y3, z3);
            Y = projy(x3, y3, z3);
        }
        if (i > 0 && (e->line >= 0 || (i & 1)))
            PickPlotLineTo(X, Y);
        else if (i != e->steps)
            PickPlotPoint(X, Y);
        gElementT += dt;
    }
    if (gMask87) CheckFpuStatus();
}

void DrawEllipse(GraphicsElement *e) {
    double a = e->begin;
    const double da = (e->end - e->begin) / e->steps;
    for (int i = 0; i <= e->steps; ++i) {
        if (CheckUserAbort()) break;
        double x = e->radius * std::cos(a * kDegree), y = e->size * std::sin(a * kDegree);
        PlaceElementPoint(&x, &y);
        if (i > 0 && (e->line >= 0 || (i & 1)))
            PickPlotLineTo(x, y);
        else if (i != e->steps)
            PickPlotPoint(x, y);
        a += da;
    }
}

}  // namespace

void DrawGraphicsElement(int32_t colour) {
    GraphicsElement *e = gDrawnElement;
    if (!e) return;
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const int32_t width = e->line < 0 ? -e->line : e->line;
    SetPen(colour, width);
    const bool lineType = RecordsPlotter() && e->line != 0;
    if (lineType) PlotterSetLineType(width);
    switch (e->kind) {
    case kElementText:
    case kElementData:
    case kElementFractal:
    case kElementAxes:
    case kElementInitialValues:
    case kElementParameters: break;
    default:
        if (e->steps < 1) e->steps = 1;
        break;
    }
    switch (e->kind) {
    case kElementSegment: {
        if (e->line >= 0) e->steps = 1;
        const double theta = e->direction * kDegree, piece = e->size / e->steps;
        PickPlotPoint(e->x, e->y);
        for (int i = 1; i <= e->steps; ++i) {
            if (CheckUserAbort()) break;
            const double r = i * piece;
            const double px = e->x + r * std::cos(theta), py = e->y + r * std::sin(theta);
            if (i & 1)
                PickPlotLineTo(px, py);
            else
                PickPlotPoint(px, py);
        }
        break;
    }
    case kElementCircle:
        e->size = e->radius;
        DrawEllipse(e);
        break;
    case kElementEllipse: DrawEllipse(e); break;
    case kElementArrow: {
        if (e->begin == 0) e->begin = 15;
        const double a1 = (e->direction + e->begin + 180) * kDegree;
        const double a2 = (e->direction - e->begin + 180) * kDegree;
        PickPlotSegment(e->x + e->size * std::cos(a1), e->y + e->size * std::sin(a1), e->x, e->y);
        PickPlotLineTo(e->x + e->size * std::cos(a2), e->y + e->size * std::sin(a2));
        break;
    }
    case kElementText: {
        PickTextSink sink;
        DrawElementText(*e, sink);
        break;
    }
    case kElement2Curve:
    case kElement3Curve: DrawCurve(e); break;
    case kElementSpecial:
        if (RecordsPlotter()) WriteSpecialText();
        break;
    case kElementData: DrawDataCurve(); break;
    case kElementFractal: {
        const int first = static_cast<int>(e->begin), last = static_cast<int>(e->end);
        int n = first + g->fractalOrder;
        if (n < first) n = first;
        if (n > last) n = last;
        DrawFractal(n);
        break;
    }
    case kElementAxes: DrawAxesElement(); break;
    case kElementInitialValues: DrawInitialValuesTable(); break;
    case kElementParameters: DrawParametersTable(); break;
    default: break;
    }
    if (lineType) PlotterSetLineType(-1);
}

// ---- Axes and tables

namespace {

// 12 pixels of the current graph in world units.
double PixelsY(double n) {
    const GraphWindowState *g = gCurrentGraph;
    return g->clientMaxY > 0 ? n * (g->yMax - g->yMin) / g->clientMaxY : 0;
}
double PixelsX(double n) {
    const GraphWindowState *g = gCurrentGraph;
    return g->clientMaxX > 0 ? n * (g->xMax - g->xMin) / g->clientMaxX : 0;
}

double AutoTick(double range) {
    double v = 0;
    for (int i = 0; i <= 19; ++i) {
        const double p = std::pow(10.0, i);
        v = std::floor(0.1 * range * p) / p;
        if (v > 0) break;
    }
    return v;
}

// The temporary Text element of the axes and tables; gDrawnElement points
// at it while a text is drawn.
GraphicsElement gTextElement;

void DrawTextAt(const char *text, double x, double y, double scale) {
    GraphicsElement *owner = gDrawnElement;
    GraphicsElement &t = gTextElement;
    const double size = t.size, radius = t.radius;
    t.text1 = const_cast<char *>(text);
    t.x = x;
    t.y = y;
    t.size = size * scale;
    t.radius = radius * scale;
    gDrawnElement = &t;
    PickTextSink sink;
    DrawElementText(t, sink);
    gDrawnElement = owner;
    t.size = size;
    t.radius = radius;
    t.text1 = nullptr;
}

double MeasureText(const char *text) {
    GraphicsElement t = gTextElement;
    t.text1 = const_cast<char *>(text);
    return MeasureElementText(t);
}

void BeginTemporaryText(GraphicsElement *e, int font) {
    if (e->size == 0) e->size = PixelsY(12);
    if (e->radius == 0) e->radius = PixelsX(12);
    gTextElement = GraphicsElement{};
    gTextElement.kind = kElementText;
    gTextElement.size = e->size;
    gTextElement.radius = e->radius;
    gTextElement.color = e->color;
    gTextElement.line = e->line;
    gTextElement.steps = font;
    gTextElement.x = e->x;
    gTextElement.y = e->y;
}

// The ticks, labels and minor marks of one axis: along runs over the
// axis from lo to hi through origin, the marks rise from across.
void DrawAxisTicks(bool vertical, double lo, double hi, double origin, double across, double tick, double mark,
                   int n, double size, double radius) {
    auto segment = [vertical](double a1, double c1, double a2, double c2) {
        if (vertical)
            PickPlotSegment(c1, a1, c2, a2);
        else
            PickPlotSegment(a1, c1, a2, c2);
    };
    // Tick counts are bounded: a tick far below a pixel would loop for ever.
    const double first = std::floor((lo - origin) / tick), last = std::ceil((hi - origin) / tick);
    if (std::fabs(last - first) > 100000) return;
    const double from = std::fmin(first, last), to = std::fmax(first, last);
    char label[64];
    for (double i = from; i <= to && !CheckUserAbort(); ++i) {
        const double v = i * tick + origin;
        if (i != 0) segment(v, across, v, across + mark);
        if (((lo < v && v < hi) || (hi < v && v < lo)) && v != origin) {
            std::snprintf(label, sizeof label, "%*lg", 2, v);
            const double w = MeasureText(label);
            if (vertical)
                DrawTextAt(label, across - (w + 0.25) * 0.75 * radius, v - 0.4 * 0.75 * size, 0.75);
            else
                DrawTextAt(label, v - 0.5 * w * 0.75 * radius, across - 1.25 * 0.75 * size, 0.75);
        }
        if (i != to && n > 1)
            for (int j = 1; j < n; ++j) {
                const double m = v + j * tick / n;
                segment(m, across, m, across + 0.5 * mark);
            }
    }
}

}  // namespace

void DrawAxesElement() {
    GraphicsElement *e = gDrawnElement;
    const GraphWindowState *g = gCurrentGraph;
    const double xMin = g->xMin, xMax = g->xMax, yMin = g->yMin, yMax = g->yMax;
    const double autoX = AutoTick(xMax - xMin), autoY = AutoTick(yMax - yMin);
    const double tickX = e->begin != 0 ? e->begin : autoX;
    const double tickY = e->end != 0 ? e->end : autoY;
    if (!(tickX > 0 || tickX < 0) || !(tickY > 0 || tickY < 0)) return;  // an empty range
    double x0 = e->x, y0 = e->y;
    if (x0 == 0 && !(xMin < 0 && 0 < xMax)) x0 = std::ceil(xMin / tickX + 1e-6) * tickX;
    if (y0 == 0 && !(yMin < 0 && 0 < yMax)) y0 = std::ceil(yMin / tickY + 1e-6) * tickY;
    int n = 0;
    if (e->direction != 0) {
        n = static_cast<int>(e->direction);
    } else {
        const double mx = std::floor(g->clientMaxX * tickX / (xMax - xMin));
        const double my = std::floor(g->clientMaxY * tickY / (yMax - yMin));
        const double m = std::fmin(mx, my);
        n = m >= 51 ? 10 : m >= 26 ? 5 : m >= 11 ? 2 : 0;
    }
    const double markX = 0.2 * autoX, markY = 0.2 * autoY;
    BeginTemporaryText(e, 4);
    const double size = e->size, radius = e->radius;

    PickPlotSegment(xMin, y0, xMax, y0);
    const char *caption = e->text1 && *e->text1 ? e->text1 : g->axisText[0];
    if (caption && *caption) {
        const double w = MeasureText(caption);
        DrawTextAt(caption, xMax - (w + 0.1) * radius, y0 + 0.75 * size, 1);
    }
    gTextElement.steps = e->steps;
    DrawAxisTicks(false, xMin, xMax, x0, y0, tickX, markY, n, size, radius);
    PickPlotSegment(x0, yMin, x0, yMax);
    caption = e->text2 && *e->text2 ? e->text2 : g->axisText[1];
    if (caption && *caption) {
        gTextElement.steps = 4;
        DrawTextAt(caption, x0 + 0.5 * radius, yMax - 1.2 * size, 1);
        gTextElement.steps = e->steps;
    }
    DrawAxisTicks(true, yMin, yMax, y0, x0, tickY, markX, n, size, radius);
}

namespace {

struct TableLines {
    GraphicsElement *owner;
    double step;
};

void TableLine(TableLines &t, const char *text) {
    DrawTextAt(text, gTextElement.x, gTextElement.y, 1);
    gTextElement.y -= t.step;
}

void ValueLine(TableLines &t, const char *name, double value) {
    char line[512];
    std::snprintf(line, sizeof line, "%s\\:2\\+10=\\+10\\\\%.15lg", name, value);
    TableLine(t, line);
}

void IndexedLine(TableLines &t, const char *name, int index, double value) {
    char line[512];
    std::snprintf(line, sizeof line, "%s[%d]\\:2\\+10=\\+10\\\\%.15lg", name, index, value);
    TableLine(t, line);
}

void RangeLine(TableLines &t, const char *name, int low, int high) {
    char line[512];
    std::snprintf(line, sizeof line, "\\:2\\\\%d\\+10<=\\+10\\0%s\\:2\\+10<=\\+10\\\\%d", low, name, high);
    TableLine(t, line);
}

TableLines BeginTable() {
    GraphicsElement *e = gDrawnElement;
    BeginTemporaryText(e, e->steps);
    TableLines t{e, e->size + e->direction};
    if (e->text1 && *e->text1) TableLine(t, e->text1);
    return t;
}

const char *ColumnName(int i) {
    return gColumnTable && i < gColumnCount && gColumnTable[i].name ? gColumnTable[i].name : "";
}

bool Same(const char *token, const char *name) { return name && *name && std::strcmp(token, name) == 0; }

// Splits the display text at "," ";" tab and blank into a static buffer
// (no frame of ours holds it when a fault ends the drawing).
char gTokens[8192];
const char *NextToken(char *&p) {
    while (*p && std::strchr(",; \t", *p)) ++p;
    if (!*p) return nullptr;
    const char *start = p;
    while (*p && !std::strchr(",; \t", *p)) ++p;
    if (*p) *p++ = 0;
    return start;
}

char *BeginTokens(const char *text) {
    std::snprintf(gTokens, sizeof gTokens, "%.8190s", text);
    return gTokens;
}

}  // namespace

void DrawInitialValuesTable() {
    if (!gColumnTable || !gInitialValues) return;
    GraphicsElement *e = gDrawnElement;
    TableLines t = BeginTable();
    const int n = static_cast<int>(gDimension);
    const char *timeTitle = ColumnName(kColumnInitialTime);
    const char *vectorTitle = ColumnName(kColumnInitial);
    const int firstIndex = gColumnTable[kColumnInitial].low;
    if (e->text2 && *e->text2) {
        char *p = BeginTokens(e->text2);
        while (const char *token = NextToken(p)) {
            if (CheckUserAbort()) break;
            if (Same(token, timeTitle)) {
                ValueLine(t, timeTitle, gInitialTime);
                continue;
            }
            for (int i = 0; i < n + 2; ++i) {
                const char *name = ColumnName(kFixedColumnCount + n + i);
                char indexed[300];
                std::snprintf(indexed, sizeof indexed, "%s[%d]", vectorTitle, i + firstIndex);
                if (Same(token, name)) {
                    ValueLine(t, name, gInitialValues[i]);
                    break;
                }
                if (Same(token, indexed)) {
                    IndexedLine(t, vectorTitle, i + firstIndex, gInitialValues[i]);
                    break;
                }
            }
        }
    } else {
        ValueLine(t, timeTitle, gInitialTime);
        for (int i = 0; i < n + 2 && !CheckUserAbort(); ++i) {
            const char *name = ColumnName(kFixedColumnCount + n + i);
            if (*name)
                ValueLine(t, name, gInitialValues[i]);
            else
                IndexedLine(t, vectorTitle, i + firstIndex, gInitialValues[i]);
        }
    }
}

void DrawParametersTable() {
    GraphicsElement *e = gDrawnElement;
    TableLines t = BeginTable();
    const char *nx = ColumnName(kColumnFamilyX), *ny = ColumnName(kColumnFamilyY);
    const char *timeTitle = ColumnName(kColumnInitialTime);
    if (e->text2 && *e->text2) {
        char *p = BeginTokens(e->text2);
        while (const char *token = NextToken(p)) {
            if (CheckUserAbort()) break;
            if (Same(token, nx)) RangeLine(t, nx, gPhaseXMin, gPhaseXMax);
            else if (Same(token, ny)) RangeLine(t, ny, gPhaseYMin, gPhaseYMax);
            else if (Same(token, timeTitle)) ValueLine(t, timeTitle, gInitialTime);
            else
                for (int i = 0; i < gParameterCount; ++i)
                    if (Same(token, gParameters[i].name)) {
                        ValueLine(t, gParameters[i].name, gParameters[i].value);
                        break;
                    }
        }
    } else {
        for (int i = 0; i < gParameterCount && !CheckUserAbort(); ++i)
            if (gParameters[i].name && *gParameters[i].name) ValueLine(t, gParameters[i].name, gParameters[i].value);
        if (gPhaseXMin != gPhaseXMax) RangeLine(t, nx, gPhaseXMin, gPhaseXMax);
        if (gPhaseYMin != gPhaseYMax) RangeLine(t, ny, gPhaseYMin, gPhaseYMax);
    }
}

// ---- Passes

namespace {

struct Pass {
    GraphicsElement *element;  // the one being drawn when a fault came
    int erase;
};

void DrawAllPass(void *context) {
    Pass *pass = static_cast<Pass *>(context);
    GraphWindowState *g = gCurrentGraph;
    int counter = 0;
    for (GraphicsElement *e = g->elements; e && !CheckUserAbort(); e = e->next, ++counter) {
        pass->element = e;
        GraphicsElement *next = gElementWorkCopy.next;
        gElementWorkCopy = *e;
        gElementWorkCopy.next = next;
        gDrawnElement = e;
        gDrawingElementIndex = counter;
        DrawGraphicsElement(e->color);
    }
}

void DrawCurrentPass(void *context) {
    Pass *pass = static_cast<Pass *>(context);
    GraphWindowState *g = gCurrentGraph;
    GraphicsElement *e = g->currentElement;
    GraphicsElement &w = gElementWorkCopy;
    w.kind = e->kind;
    w.steps = e->steps;
    w.text1 = e->text1;
    w.text2 = e->text2;
    w.text3 = e->text3;
    w.code1 = e->code1;
    w.code2 = e->code2;
    w.code3 = e->code3;
    gDrawnElement = &w;
    gDrawingElementIndex = g->currentElementIndex;
    DrawGraphicsElement(pass->erase ? g->backgroundColor : w.color);
}

// Steps 2-6 around a pass: the display list and the bitmap stay out, the
// view is set up, the code compiled; afterwards everything is put back
// whichever way the pass ended.
void GuardedPass(void (*work)(void *), int compileIndex, int erase) {
    GraphWindowState *g = gCurrentGraph;
    gElementsBeingDrawn = 1;
    gElementActionInProgress = 1;
    if (gDisplayReplayHooks.beginWait) gDisplayReplayHooks.beginWait();
    const int32_t capture = g->capture;
    const uint32_t memoryDc = g->memoryDc;
    g->capture = 0;
    g->memoryDc = 0;
    SetupProjection(g->viewPoint);
    gViewPoint = g->viewPoint;
    ResetUserAbort();
    if (CompileGraphicsElements(compileIndex, 1)) {
        Pass pass{nullptr, erase};
        (gGraphicsHost.elementFaultGuard ? gGraphicsHost.elementFaultGuard : DefaultFaultGuard)(work, &pass);
    }
    CloseDataFile();
    CompileGraphicsElements(compileIndex, 0);
    ReleasePens();
    gDrawnElement = nullptr;
    g->capture = capture;
    g->memoryDc = memoryDc;
    if (gDisplayReplayHooks.endWait) gDisplayReplayHooks.endWait();
    gElementsBeingDrawn = 0;
    gElementActionInProgress = 0;
}

}  // namespace

void DrawGraphicsElements() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || gElementsBeingDrawn || gElementDialogOpen || gElementActionInProgress || !g->elements) return;
    GuardedPass(DrawAllPass, -1, 0);
}

void DrawCurrentGraphicsElement(int erase) {
    GraphWindowState *g = gCurrentGraph;
    if (!g || gElementActionInProgress || !g->currentElement) return;
    if (gMouseMode == kModeSelect || gMouseMode == kModeMove) return;
    const DcHandle outer = gDrawDc;
    if (!outer && gElementDcHooks.take) gDrawDc = gElementDcHooks.take();
    GuardedPass(DrawCurrentPass, g->currentElementIndex, erase);
    if (!outer && gDrawDc && gElementDcHooks.give) gElementDcHooks.give(gDrawDc);
    gDrawDc = outer;
}
