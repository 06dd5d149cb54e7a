#include "eps_output.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display_list.h"
#include "eps_color_procedure.h"
#include "graph_pipeline.h"
#include "plotter.h"

int32_t EpsMulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    // |a|, |b| stay within 32 bits, so the product fits in 64.
    int64_t p = a * b;
    bool negative = (p < 0) != (c < 0);
    uint64_t up = p < 0 ? 0 - static_cast<uint64_t>(p) : static_cast<uint64_t>(p);
    uint64_t uc = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
    uint64_t q = (up + uc / 2) / uc;
    if (q > static_cast<uint64_t>(INT32_MAX)) return 0;
    return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

namespace {

int32_t ToEpsX(const EpsPageSetup &s, int32_t v) {
    return EpsMulDiv(EpsMulDiv(v, s.pageWidth, s.totalX), static_cast<int64_t>(s.pixels) * 72, 254);
}
int32_t ToEpsY(const EpsPageSetup &s, int32_t v) {
    return EpsMulDiv(EpsMulDiv(v, s.pageHeight, s.totalY), static_cast<int64_t>(s.pixels) * 72, 254);
}

const char *OrEmpty(const char *s) { return s ? s : ""; }

// The EPS commands; the record is restored from a copy after the job, so
// these are never freed.
char gEpsMoveto[] = "%d %d g\n";
char gEpsLineto[] = "%d %d l\n";
char gEpsPoint[] = "%d %d p\n";
char gEpsColor[] = "%ld c\n";
char gEpsWidth[] = "%d w\n";

}  // namespace

EpsLayout ComputeEpsLayout(const EpsPageSetup &s) {
    EpsLayout l;
    l.left = ToEpsX(s, s.left);
    l.width = ToEpsX(s, s.width);
    l.top = ToEpsY(s, s.top);
    l.height = ToEpsY(s, s.height);
    l.pageHeight = ToEpsY(s, s.totalY);
    l.a = EpsMulDiv(s.line, s.frame, 2);
    return l;
}

void InstallEpsPlotterDriver(GraphWindowState *state, int32_t line) {
    PlotterDriver &p = state->plotter;
    p.prologCount = p.epilogCount = p.typesCount = 0;
    p.prolog = p.epilog = p.types = nullptr;
    p.onString = p.offString = p.charString = nullptr;
    p.speedFormat = p.penFormat = p.ejectString = p.clearString = nullptr;
    p.movetoFormat = gEpsMoveto;
    p.linetoFormat = gEpsLineto;
    p.pointFormat = gEpsPoint;
    p.colorFormat = gEpsColor;
    p.widthFormat = gEpsWidth;
    p.width = line;
}

int WriteEpsHeader(std::FILE *out, const EpsPageSetup &s, const EpsHeaderInfo &info) {
    const EpsLayout l = ComputeEpsLayout(s);
    const double pixels = s.pixels > 0 ? s.pixels : 1;
    const double box[4] = {
        (l.left - l.a) / pixels,
        (l.pageHeight + 1 - l.top - l.height - l.a) / pixels,
        (l.left + l.width + l.a - 1) / pixels,
        (l.pageHeight - l.top + l.a) / pixels,
    };
    std::fprintf(out, "%s\n", "%!PS-Adobe-2.0 EPSF-2.0");
    std::fprintf(out, "%%%%Creator: %s %s\n", OrEmpty(info.product), OrEmpty(info.version));
    std::fprintf(out, "%%%%For: %.31s\n", OrEmpty(info.identifier));
    std::fprintf(out, "%%%%Title: %.254s\n", OrEmpty(info.title));
    std::fprintf(out, "%%%%Pages: 1\n%%%%DocumentFonts: (atend)\n%%%%DocumentNeededFonts: (atend)\n");
    std::fprintf(out, "%%%%CreationDate: %d-%02d-%d\n", info.month, info.day, info.year);
    std::fprintf(out, "%%%%BoundingBox: %lg %lg %lg %lg\n", std::floor(box[0]), std::floor(box[1]),
                 std::ceil(box[2]), std::ceil(box[3]));
    std::fprintf(out, "%%%%HiResBoundingBox: %lg %lg %lg %lg\n", box[0], box[1], box[2], box[3]);
    std::fprintf(out, "%%%%EndComments\nsave\n");
    if (s.rotate) {
        int32_t w = EpsMulDiv(s.pageWidth, 72, 254), h = EpsMulDiv(s.pageHeight, 72, 254);
        std::fprintf(out, "90 rotate\n0 -%d translate\n", w < h ? w : h);
    }
    if (s.pixels > 1) std::fprintf(out, "1 %d div dup scale\n", s.pixels);
    std::fprintf(out, "%d %d translate\n", l.left, l.pageHeight - l.top - l.height + 1);
    std::fprintf(out,
                 "1 setlinecap\n1 setlinewidth\n0 0 0 setrgbcolor\n/g { moveto } bind def\n"
                 "/p { moveto currentpoint l } bind def\n"
                 "/l { lineto currentpoint stroke moveto } bind def\n/w { setlinewidth } bind def\n");
    for (const char *procLine : EpsColorProcedure) std::fprintf(out, "%s\n", procLine);
    std::fprintf(out, "%s\n%%%%Page: 1 1\n", EPS_END_PROLOG);
    return 1;
}

void WriteEpsFrame(const EpsPageSetup &s, int32_t axesColor) {
    if (s.frame <= 0) return;
    const EpsLayout l = ComputeEpsLayout(s);
    PlotterSetColor(axesColor);
    PlotterSetWidth(s.frame);
    PlotterPoint(0, 0);
    PlotterLineTo(l.width - 1, 0);
    PlotterLineTo(l.width - 1, l.height - 1);
    PlotterLineTo(0, l.height - 1);
    PlotterLineTo(0, 0);
}

namespace {

struct VectorReplay {
    double minDistance;
    int32_t penX, penY;  // where the plotter pen stands
    double lastX, lastY; // last written line end, world units
    int haveMove;        // a move or a written dot came before
    int linesSinceMove;
};

int ReplayRecord(const DisplayRecord &r, void *context) {
    auto *v = static_cast<VectorReplay *>(context);
    GraphWindowState *g = gCurrentGraph;
    switch (r.opcode) {
    case kDisplayPen:
        PlotterSetColor(r.color);
        PlotterSetWidth(r.width);
        break;
    case kDisplayPoint:
        MapToDevice(r.x, r.y);
        PlotterPoint(g->plotter.pointX, g->plotter.pointY);
        v->penX = g->plotter.pointX;
        v->penY = g->plotter.pointY;
        v->lastX = r.x;
        v->lastY = r.y;
        v->haveMove = 1;
        v->linesSinceMove = 0;
        break;
    case kDisplayLine: {
        MapToDevice(r.x, r.y);
        const int32_t x = g->plotter.pointX, y = g->plotter.pointY;
        if (!v->haveMove) {
            PlotterPoint(x, y);
            v->haveMove = 1;
        } else if (v->linesSinceMove > 0 && std::fabs(r.x - v->lastX) <= v->minDistance &&
                   std::fabs(r.y - v->lastY) <= v->minDistance) {
            break;  // decimated: the pen stays at the last written end
        } else {
            ClipPlotterLine(v->penX, v->penY, x, y);
        }
        v->linesSinceMove++;
        v->penX = x;
        v->penY = y;
        v->lastX = r.x;
        v->lastY = r.y;
        break;
    }
    default:
        break;
    }
    return gDisplayReplayHooks.pumpCheckEscape && gDisplayReplayHooks.pumpCheckEscape();
}

}  // namespace

int WriteEpsVectors(double minDistance) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    PlotterSetColor(g->penColor);
    PlotterSetWidth(g->penWidth);
    VectorReplay v{minDistance, 0, 0, 0, 0, 0, 0};
    int aborted = WalkDisplayList(g, ReplayRecord, &v);
    PlotterSelectPen();
    return aborted;
}

void WriteEpsTrailer(std::FILE *out) {
    std::fputs("showpage\nrestore\n%%Trailer\n%%DocumentFonts:\n%%DocumentNeededFonts:\n", out);
}

namespace {

struct OutBuffer {
    char *out;
    int size, used;
    bool overflow;  // something did not fit
    // Appends all of s, or nothing when it does not fit.
    bool AppendWhole(const char *s, size_t n) {
        if (used + static_cast<long long>(n) >= size) {
            overflow = true;
            return false;
        }
        std::memcpy(out + used, s, n);
        used += static_cast<int>(n);
        out[used] = 0;
        return true;
    }
    void Append(const char *s, size_t n) {
        size_t i = 0;
        for (; i < n && used + 1 < size; ++i) out[used++] = s[i];
        if (i < n) overflow = true;
        out[used] = 0;
    }
};

// The %@letters% form; letters between the at sign and the closing percent.
void AppendPathPieces(OutBuffer &b, const char *path, const char *letters, size_t count) {
    const size_t len = std::strlen(path);
    if (count == 0) {
        b.Append(path, len);
        return;
    }
    const size_t driveEnd = len >= 2 && path[1] == ':' ? 2 : 0;
    size_t dirEnd = driveEnd;
    for (size_t i = driveEnd; i < len; ++i)
        if (path[i] == '\\' || path[i] == '/') dirEnd = i + 1;
    size_t nameEnd = len;
    for (size_t i = len; i > dirEnd; --i)
        if (path[i - 1] == '.') {
            nameEnd = i - 1;
            break;
        }
    static const char kOrder[] = "dpne";
    int next = 0;
    bool named = false;
    for (size_t k = 0; k < count; ++k) {
        const char *at = std::strchr(kOrder + next, letters[k]);
        if (!letters[k] || !at) break;  // out of order: the list ends
        next = static_cast<int>(at - kOrder) + 1;
        const bool last = k + 1 == count;
        switch (*at) {
        case 'd': b.Append(path, last && driveEnd ? 1 : driveEnd); break;
        case 'p': {
            size_t n = dirEnd - driveEnd;
            if (last && n > 0) --n;
            b.Append(path + driveEnd, n);
            break;
        }
        case 'n': b.Append(path + dirEnd, nameEnd - dirEnd); named = true; break;
        case 'e': {
            size_t from = nameEnd < len && !named ? nameEnd + 1 : nameEnd;
            b.Append(path + from, len - from);
            break;
        }
        }
    }
}

}  // namespace

bool ExpandPostParameters(const char *tmpl, const char *epsPath, char *out, int size) {
    if (!out || size <= 0) return false;
    out[0] = 0;
    if (!tmpl) return true;
    OutBuffer b{out, size, 0, false};
    const char *path = epsPath ? epsPath : "";
    for (const char *s = tmpl; *s;) {
        if (*s != '%') {
            b.Append(s++, 1);
            continue;
        }
        if (s[1] == '%') {
            b.Append("%", 1);
            s += 2;
            continue;
        }
        const char *close = std::strchr(s + 1, '%');
        if (!close) {  // unmatched: the rest as it stands
            b.Append(s, std::strlen(s));
            break;
        }
        const std::string name(s + 1, close);
        if (const char *value = std::getenv(name.c_str())) {
            b.AppendWhole(value, std::strlen(value));
        } else if (name[0] == '@') {
            AppendPathPieces(b, path, name.c_str() + 1, name.size() - 1);
        } else {
            b.Append(s, close - s + 1);
        }
        s = close + 1;
    }
    return !b.overflow;
}

void WriteEpsBitmap(std::FILE *out, const EpsLayout &l, const EpsBitmapSource &b) {
    std::fprintf(out, "save\n0 %d translate %d %d scale\n", l.height, l.width, l.height);
    std::fprintf(out, "%d %d 8\n[%d 0 0 %d 0 %d]\n", b.width, b.height, b.width, b.height, b.height);
    std::fprintf(out, "{currentfile %d string readhexstring pop}\nfalse 3 colorimage", b.width);
    for (int32_t y = b.height - 1; y >= 0; --y) {
        std::fputc('\n', out);
        for (int32_t x = 0; x < b.width; ++x) {
            const uint32_t c = static_cast<uint32_t>(b.pixel(b.context, x, y));
            std::fprintf(out, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        }
        if (b.abortCheck && b.abortCheck(b.context)) break;
    }
    std::fprintf(out, "\nrestore\n");
}

void BeginEpsJob(GraphWindowState *saved, const EpsPageSetup &s, std::FILE *out) {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !saved) return;
    std::memcpy(saved, g, sizeof *g);  // byte for byte, so it comes back exactly
    const EpsLayout l = ComputeEpsLayout(s);
    g->capture = 0;
    g->bitmapMode = 0;
    g->memoryDc = 0;
    g->savedDcBitmap = 0;
    g->aspectMode = 0;
    InstallEpsPlotterDriver(g, s.line);
    // Direction-field marks keep their size relative to the picture.
    const int32_t clientWidth = g->clientMaxX + 1;
    if (clientWidth > 0) {
        g->cellLength = EpsMulDiv(g->cellLength, l.width, clientWidth);
        g->markLength = EpsMulDiv(g->markLength, l.width, clientWidth);
    }
    g->clientMaxX = l.width - 1;
    g->clientMaxY = l.height - 1;
    g->plotter.stream = out;
    g->plotter.jobDepth = 0;
    SetPlotterRange(0, 0, l.width, l.height);
    g->plotter.recording = 1;
}

void EndEpsJob(const GraphWindowState &saved) {
    if (gCurrentGraph) std::memcpy(gCurrentGraph, &saved, sizeof saved);
}
