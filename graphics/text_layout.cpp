#include "graphics_host.h"
#include "text_layout.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "fontfile.h"
#include "graph_pipeline.h"
#include "stroke_font_table.h"


void PipelineTextSink::Point(double x, double y) { PlotPoint(x, y); }
void PipelineTextSink::LineTo(double x, double y) { PlotLineTo(x, y); }

namespace {

int FontIndex(long n) {
    long m = n % kStrokeFontCount;
    return static_cast<int>(m < 0 ? -m : m);
}

int32_t ClampedSum(int32_t a, long b) {
    long long s = static_cast<long long>(a) + b;
    if (s > INT32_MAX) return INT32_MAX;
    if (s < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(s);
}

// An integer as "%i" reads it (blanks before it, a sign, 0 octal, 0x
// hexadecimal), saturated. Returns the character after it and the blanks
// that follow, or p itself (and 0) when there is no number.
const char *ReadInteger(const char *p, long *value) {
    char *end;
    long v = std::strtol(p, &end, 0);
    if (end == p) {
        *value = 0;
        return p;
    }
    *value = v > INT32_MAX ? INT32_MAX : v < -INT32_MAX ? -INT32_MAX : v;
    while (*end == ' ') ++end;
    return end;
}

const char *ReadReal(const char *p, double *value) {
    char *end;
    *value = std::strtod(p, &end);
    if (end == p) {
        *value = 0;
        return p;
    }
    while (*end == ' ') ++end;
    return end;
}

int MacroIndex(char d) {
    for (int i = 0; i < kEscapeMacroCount; ++i)
        if (gEscapeMacros[i].character == d) return i;
    return -1;
}

// Scales by f unless that leaves them unusable (\/0, an overflow): such a
// factor is ignored.
void ScaleBy(TextLayoutState &s, double f) {
    double x = s.xScale * f, y = s.yScale * f;
    if (std::isfinite(x) && std::isfinite(y)) s.xScale = x, s.yScale = y;
}

void PopMacro(TextLayoutState &s) {
    --s.depth;
    s.macroInUse[s.stack[s.depth].macro] = false;
    s.cursor = s.stack[s.depth].resume + 1;
}

const unsigned char *Glyph(int font, int code) {
    if (!gStrokeFontTable) return nullptr;
    return gStrokeFontTable->glyph[font][code & 0xFF];
}

// Index of the glyph's end pair: the first 0x80 0x80 after the width byte.
// The table keeps two more 0x80 after every record, so this stays inside
// the block whatever the record holds.
int GlyphEnd(const unsigned char *g) {
    int i = 1;
    while (!(g[i] == kStrokeMarker && g[i + 1] == kStrokeMarker)) ++i;
    return i;
}

}  // namespace

void BeginTextLayout(TextLayoutState &s, const char *text, int font, double xScale,
                     double yScale) {
    std::memset(&s, 0, sizeof s);
    s.cursor = text;
    s.xScale = s.baseXScale = xScale;
    s.yScale = s.baseYScale = yScale;
    s.font = s.baseFont = FontIndex(font);
}

bool EnsureStrokeFont(int n) {
    n = FontIndex(n);
    if ((!gStrokeFontTable || !gStrokeFontTable->loadAttempted[n]) && gGraphicsHost.loadStrokeFont)
        gGraphicsHost.loadStrokeFont(n);
    return gStrokeFontTable != nullptr;
}

int NextTextCode(TextLayoutState &s) {
    s.hOffset = 0;
    for (;;) {
        const char c = *s.cursor;
        if (c == 0) {
            if (!s.depth) return 0;
            PopMacro(s);
            continue;
        }
        if (c != '\\') return static_cast<unsigned char>(c);
        const char *d = s.cursor + 1;
        s.cursor = d;
        long n;
        double f;
        switch (*d) {
        case 0:
            if (s.depth) {
                PopMacro(s);
                continue;
            }
            s.cursor = d - 1;
            return '\\';
        case '0': case '1': case '2': case '3': case '4':
        case '5': case '6': case '7': case '8': case '9':
            s.cursor = ReadInteger(d, &n) - 1;
            if (n) return static_cast<int>(n);
            s.xScale = s.baseXScale;
            s.yScale = s.baseYScale;
            s.font = s.baseFont;
            s.hOffset = s.vOffset = 0;
            break;
        case ':': {
            const char *end = ReadInteger(d + 1, &n);
            if (end != d + 1) s.cursor = end - 1;
            s.font = FontIndex(n);
            EnsureStrokeFont(s.font);
            break;
        }
        case '^':
        case '_': {
            const char *end = ReadInteger(d + 1, &n);
            if (end != d + 1) s.cursor = end - 1;
            s.vOffset = ClampedSum(s.vOffset, *d == '^' ? n : -n);
            break;
        }
        case '+':
        case '-': {
            const char *end = ReadInteger(d, &n);
            if (end != d) s.cursor = end - 1;
            s.hOffset = ClampedSum(s.hOffset, n);
            break;
        }
        case '*':
        case '/': {
            const char *end = ReadReal(d + 1, &f);
            if (end == d + 1) break;  // no number: no factor
            s.cursor = end - 1;
            if (*d == '*') ScaleBy(s, f);
            else if (f != 0) ScaleBy(s, 1 / f);
            break;
        }
        case '.':
            break;
        default:
            if (*d >= 'A' && *d <= 'D') return *d + 104;
            if (*d >= 'E' && *d <= 'Z') return *d + 107;
            if (*d >= 'a' && *d <= 'z') return *d + 101;
            const int m = MacroIndex(*d);
            if (m < 0) return static_cast<unsigned char>(*d);
            const char *text = gEscapeMacros[m].text;
            // A macro already open (a macro that names itself) or one level
            // too deep is ignored; so is a replacement text with no end.
            if (s.depth < kTextMacroDepth && !s.macroInUse[m] &&
                std::memchr(text, 0, sizeof gEscapeMacros[m].text)) {
                s.macroInUse[m] = true;
                s.stack[s.depth].macro = m;
                s.stack[s.depth].resume = d;
                ++s.depth;
                s.cursor = text;
                continue;
            }
            break;
        }
        ++s.cursor;
    }
}

double MeasureStrokeText(const char *text, int steps) {
    if (!text) return 1.0;
    if (!EnsureStrokeFont(steps)) return 0.0;
    TextLayoutState s;
    BeginTextLayout(s, text, steps, 0.02, 0);
    double width = 0;
    for (int c; ((c = NextTextCode(s)) & 0xFF) != 0; ++s.cursor) {
        const unsigned char *g = Glyph(s.font, c);
        const int advance = g ? static_cast<signed char>(g[0]) : 0;
        width += (static_cast<double>(advance) + s.hOffset) * s.xScale;
    }
    return width == 0 ? 1e6 : width;
}

void DefaultTextSize(StrokeTextPlacement &p) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    if (p.size == 0 && g->clientMaxY > 0) p.size = 12 * (g->yMax - g->yMin) / g->clientMaxY;
    if (p.radius == 0 && g->clientMaxX > 0) p.radius = 12 * (g->xMax - g->xMin) / g->clientMaxX;
}

void DrawStrokeText(const char *text, StrokeTextPlacement &p, TextStrokeSink &sink) {
    if (!text) return;
    if (!EnsureStrokeFont(p.steps)) return;
    DefaultTextSize(p);
    TextLayoutState s;
    BeginTextLayout(s, text, p.steps, p.radius * 0.02, p.size * 0.02);
    const double theta = p.direction * 0.017453292519943295;
    const double cs = std::cos(theta), sn = std::sin(theta);
    double pen = 0;
    for (;;) {
        if (sink.Aborted()) return;
        const int c = NextTextCode(s);
        if ((c & 0xFF) == 0) return;
        const unsigned char *g = Glyph(s.font, c);
        double advance = s.hOffset;
        if (g) {
            advance += static_cast<signed char>(g[0]);
            const int end = GlyphEnd(g);
            // Points before the first marker start a stroke of their own
            // rather than join the previous glyph's last point.
            bool started = false;
            for (int i = 1; i < end;) {
                bool start = !started;
                if (g[i] == kStrokeMarker) {
                    start = true;
                    ++i;
                }
                if (i + 1 >= end) break;  // a lone byte before the end pair
                const int px = static_cast<signed char>(g[i]);
                const int py = static_cast<signed char>(g[i + 1]);
                i += 2;
                const double X = (static_cast<double>(px) + s.hOffset) * s.xScale + pen;
                const double Y = (static_cast<double>(s.vOffset) + py) * s.yScale;
                const double wx = p.x + X * cs - Y * sn, wy = p.y + X * sn + Y * cs;
                if (start) sink.Point(wx, wy);
                sink.LineTo(wx, wy);
                started = true;
            }
        }
        ++s.cursor;
        pen += advance * s.xScale;
    }
}

double MeasureElementText(const GraphicsElement &e) {
    if (e.kind == kElementData || !e.text1) return 1.0;
    return MeasureStrokeText(e.text1, e.steps);
}

void DrawElementText(GraphicsElement &e, TextStrokeSink &sink) {
    if (!e.text1) return;
    StrokeTextPlacement p{e.x, e.y, e.size, e.radius, e.direction, e.steps};
    DrawStrokeText(e.text1, p, sink);
    e.size = p.size;
    e.radius = p.radius;
}
