#include "pointdata.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

// Binary values are stored as the machine holds them: both trees are x86.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "point files are little-endian");

namespace {

constexpr size_t kBlockSize = 65536;

bool EndsWithNoCase(const char *name, const char *suffix) {
    size_t n = strlen(name), m = strlen(suffix);
    if (n < m) return false;
    for (size_t i = 0; i < m; ++i)
        if (tolower(static_cast<unsigned char>(name[n - m + i])) != suffix[i]) return false;
    return true;
}

size_t ValueSize(int kind) { return kind == kPointSingle ? 4 : 8; }

}  // namespace

int GetDataFileKind(const char *name) {
    if (!name) return kPointText;
    if (EndsWithNoCase(name, ".single")) return kPointSingle;
    if (EndsWithNoCase(name, ".double")) return kPointDouble;
    return kPointText;
}

// Widths and precisions of up to three digits: enough for any number, and a
// format cannot ask for a gigabyte of padding per point.
constexpr int kMaxFieldDigits = 3;

static bool SkipFieldDigits(const char *&p) {
    int digits = 0;
    while (isdigit(static_cast<unsigned char>(*p))) ++p, ++digits;
    return digits <= kMaxFieldDigits;
}

// One conversion after its '%'; p is left on the conversion letter. Returns
// 0 for anything but a floating conversion of the allowed shape.
static int ScanConversion(const char *&p, PointFormatUse use, int *assigns) {
    if (use == kFormatRead) {
        int suppressed = *p == '*';
        if (suppressed) ++p;
        if (*p == '0') return 0;  // a width of zero means nothing to scanf
        if (!SkipFieldDigits(p)) return 0;
        int longForm = *p == 'l';
        if (longForm) ++p;
        // Assigned values go to doubles, so they need the "l".
        if (!suppressed && !longForm) return 0;
        *assigns += !suppressed;
    } else {
        while (*p && strchr("-+ #0", *p)) ++p;
        if (!SkipFieldDigits(p)) return 0;
        if (*p == '.' && !SkipFieldDigits(++p)) return 0;
        if (*p == 'l') ++p;
        ++*assigns;
    }
    return *p && strchr("aAeEfFgG", *p) != nullptr;
}

int CheckPointFormat(const char *format, PointFormatUse use) {
    if (!format) return 0;
    int assigns = 0;
    for (const char *p = format; *p; ++p) {
        if (*p != '%') continue;
        if (*++p == '%') continue;
        if (use == kFormatBreak || !ScanConversion(p, use, &assigns)) return 0;
    }
    return use == kFormatRead ? assigns == 2 : assigns <= 2;
}

// --- Reader -----------------------------------------------------------------

int OpenPointReader(PointReader *r, FILE *file, int kind, const char *format, size_t lineLimit,
                    int ignoreNanBreaks) {
    memset(r, 0, sizeof *r);
    r->file = file;
    r->kind = kind;
    r->format = format;
    r->lineLimit = lineLimit;
    r->ignoreNanBreaks = ignoreNanBreaks;
    // A whole line and its terminator must fit next to whatever is left.
    r->capacity = kind == kPointText && lineLimit + 2 > kBlockSize ? lineLimit + 2 : kBlockSize;
    r->block = static_cast<unsigned char *>(malloc(r->capacity + 1));
    return r->block != nullptr;
}

void ClosePointReader(PointReader *r) {
    free(r->block);
    r->block = nullptr;
}

// Moves what is left to the front and reads more; false once nothing came.
static bool Refill(PointReader *r) {
    if (r->atEof) return false;
    if (r->pos > 0) {
        memmove(r->block, r->block + r->pos, r->end - r->pos);
        r->end -= r->pos;
        r->pos = 0;
    }
    size_t n = r->end < r->capacity ? fread(r->block + r->end, 1, r->capacity - r->end, r->file) : 0;
    if (n == 0 && r->end < r->capacity) {
        r->atEof = 1;
        if (ferror(r->file)) r->readError = 1;
        return false;
    }
    r->end += n;
    return true;
}

// Ensures need bytes at pos; false at the end of the input.
static bool HaveBytes(PointReader *r, size_t need) {
    while (r->end - r->pos < need)
        if (!Refill(r)) return false;
    return true;
}

static void NoteLongLine(PointReader *r) {
    if (r->longLines++ == 0) r->firstLongLine = r->lineNumber;
}

// The next line, NUL-terminated in the block; null at the end. An overlong
// line is skipped whole and comes back as "" (a break), counted.
static const char *NextLine(PointReader *r) {
    for (;;) {
        unsigned char *start = r->block + r->pos;
        size_t avail = r->end - r->pos;
        auto *nl = static_cast<unsigned char *>(memchr(start, '\n', avail));
        if (nl || (r->atEof && avail > 0)) {
            size_t length = nl ? static_cast<size_t>(nl - start) : avail;
            r->pos += nl ? length + 1 : length;
            ++r->lineNumber;
            if (length > 0 && start[length - 1] == '\r') --length;
            start[length] = 0;  // the block has one spare byte for the last line
            if (r->skippingLine || length > r->lineLimit) {
                r->skippingLine = 0;
                NoteLongLine(r);
                start[0] = 0;
            }
            return reinterpret_cast<const char *>(start);
        }
        if (avail > r->lineLimit + 1) {
            // Longer than any line we take: drop what we have, keep looking
            // for its end.
            r->skippingLine = 1;
            r->pos = r->end;
        }
        if (!Refill(r) && r->end == r->pos) {
            if (r->skippingLine) {
                r->skippingLine = 0;
                ++r->lineNumber;
                NoteLongLine(r);
                r->block[0] = 0;
                return reinterpret_cast<const char *>(r->block);
            }
            return nullptr;
        }
    }
}

static PointItem ReadTextItem(PointReader *r, double *x, double *y) {
    const char *line = NextLine(r);
    if (!line) return kItemEnd;
    // A NaN x can't be a point: in a binary file it would read as a break.
    if (sscanf(line, r->format, x, y) == 2 && !std::isnan(*x)) return kItemPoint;
    return kItemBreak;
}

static double LoadValue(const unsigned char *p, int kind) {
    if (kind == kPointSingle) {
        float f;
        memcpy(&f, p, 4);
        return f;
    }
    double d;
    memcpy(&d, p, 8);
    return d;
}

static bool IsNanBits(const unsigned char *p, int kind) {
    if (kind == kPointSingle) {
        uint32_t u;
        memcpy(&u, p, 4);
        return (u & 0x7FFFFFFFu) > 0x7F800000u;
    }
    uint64_t u;
    memcpy(&u, p, 8);
    return (u & 0x7FFFFFFFFFFFFFFFull) > 0x7FF0000000000000ull;
}

static PointItem ReadBinaryItem(PointReader *r, double *x, double *y) {
    const size_t size = ValueSize(r->kind);
    for (;;) {
        if (!HaveBytes(r, size)) break;
        const unsigned char *p = r->block + r->pos;
        if (IsNanBits(p, r->kind)) {
            r->pos += size;
            if (r->ignoreNanBreaks) continue;
            return kItemBreak;
        }
        if (!HaveBytes(r, 2 * size)) {
            r->pos += size;  // an x without its y
            break;
        }
        p = r->block + r->pos;
        *x = LoadValue(p, r->kind);
        *y = LoadValue(p + size, r->kind);
        r->pos += 2 * size;
        return kItemPoint;
    }
    r->partialBytes = static_cast<unsigned>(r->end - r->pos);
    r->pos = r->end;
    return kItemEnd;
}

PointItem ReadPointItem(PointReader *r, double *x, double *y) {
    return r->kind == kPointText ? ReadTextItem(r, x, y) : ReadBinaryItem(r, x, y);
}

// --- Writer -----------------------------------------------------------------

int OpenPointWriter(PointWriter *w, FILE *file, int kind, const char *format,
                    const char *breakFormat, int binaryBreaks) {
    memset(w, 0, sizeof *w);
    w->file = file;
    w->kind = kind;
    w->format = format;
    w->binaryBreaks = binaryBreaks;
    if (kind != kPointText) {
        w->block = static_cast<unsigned char *>(malloc(kBlockSize));
        return w->block != nullptr;
    }
    // The break format holds no conversion, so printing it is copying it
    // with "%%" made "%".
    w->breakText = static_cast<char *>(malloc(strlen(breakFormat) + 1));
    if (!w->breakText) return 0;
    char *out = w->breakText;
    for (const char *p = breakFormat; *p; ++p) {
        if (*p == '%' && p[1] == '%') ++p;
        *out++ = *p;
    }
    w->breakLength = static_cast<size_t>(out - w->breakText);
    return 1;
}

static void FlushBlock(PointWriter *w) {
    if (w->used && fwrite(w->block, 1, w->used, w->file) != w->used) w->failed = 1;
    w->used = 0;
}

static void PutBytes(PointWriter *w, const void *bytes, size_t n) {
    if (w->used + n > kBlockSize) FlushBlock(w);
    memcpy(w->block + w->used, bytes, n);
    w->used += n;
}

void WritePointPair(PointWriter *w, double x, double y) {
    if (w->kind == kPointText) {
        if (fprintf(w->file, w->format, x, y) < 0) w->failed = 1;
    } else if (w->kind == kPointSingle) {
        float pair[2] = {static_cast<float>(x), static_cast<float>(y)};
        PutBytes(w, pair, sizeof pair);
    } else {
        double pair[2] = {x, y};
        PutBytes(w, pair, sizeof pair);
    }
}

void WritePointValue(PointWriter *w, double v) {
    if (w->kind == kPointSingle) {
        float f = static_cast<float>(v);
        PutBytes(w, &f, sizeof f);
    } else if (w->kind == kPointDouble) {
        PutBytes(w, &v, sizeof v);
    }
}

void WritePointBreak(PointWriter *w) {
    if (w->kind == kPointText) {
        if (w->breakLength && fwrite(w->breakText, 1, w->breakLength, w->file) != w->breakLength)
            w->failed = 1;
    } else if (!w->binaryBreaks) {
        return;
    } else if (w->kind == kPointSingle) {
        PutBytes(w, &kSingleBreakBits, 4);
    } else {
        PutBytes(w, &kDoubleBreakBits, 8);
    }
}

int FinishPointWriter(PointWriter *w) {
    if (w->block) FlushBlock(w);
    if (fflush(w->file) != 0 || ferror(w->file)) w->failed = 1;
    return !w->failed;
}

void ClosePointWriter(PointWriter *w) {
    free(w->block);
    free(w->breakText);
    w->block = nullptr;
    w->breakText = nullptr;
}

// --- Filter -----------------------------------------------------------------

void InitPointFilter(PointFilter *f, PointWriter *out) {
    memset(f, 0, sizeof *f);
    f->out = out;
}

void SetFilterThinning(PointFilter *f, double minDistance) {
    f->thin = 1;
    f->minDistance = minDistance;
}

void SetFilterClipping(PointFilter *f, double x0, double y0, double x1, double y1) {
    f->clip = 1;
    f->x0 = x0;
    f->y0 = y0;
    f->x1 = x1;
    f->y1 = y1;
    NormalizeRectangle(f);
}

void NormalizeRectangle(PointFilter *f) {
    if (f->x0 > f->x1) std::swap(f->x0, f->x1);
    if (f->y0 > f->y1) std::swap(f->y0, f->y1);
}

static bool InRectangle(const PointFilter *f, double x, double y) {
    return f->x0 <= x && x <= f->x1 && f->y0 <= y && y <= f->y1;
}

double ComputeEdgeOffset(double a, double b, double c) {
    if (std::fabs(a) < 1e-38 || std::fabs(b) < 1e-38) return 0;
    return a / b * c;
}

void EmitPoint(PointFilter *f) {
    if (f->penUpPending || f->previousOutside) {
        WritePointBreak(f->out);
        f->penUpPending = 0;
        f->previousOutside = 0;
    }
    f->prevX = f->x;
    f->prevY = f->y;
    f->started = 1;
    WritePointPair(f->out, f->x, f->y);
}

void StartPolyline(PointFilter *f) {
    if (!f->clip || InRectangle(f, f->x, f->y)) {
        // The very first polyline needs nothing to set it apart; a point of
        // its own always has a break before it, the first one too.
        if (f->started || f->pointsOnly) f->penUpPending = 1;
        f->previousOutside = 0;
        EmitPoint(f);
    } else {
        // Only the start of a later segment; a polyline whose first points
        // lie outside begins at its first point inside.
        f->prevX = f->x;
        f->prevY = f->y;
    }
}

// Where the segment from the outside previous point to (cx, cy) enters the
// rectangle, in (*px, *py); false when it misses the rectangle.
static bool FindEntryPoint(const PointFilter *f, double cx, double cy, double *px, double *py) {
    bool rejected = false;
    double x = f->prevX, y = f->prevY;
    if (x < f->x0) {
        if (cx < f->x0) rejected = true;
        else y = cy + ComputeEdgeOffset(f->x0 - cx, cx - x, cy - y), x = f->x0;
    } else if (x > f->x1) {
        if (cx > f->x1) rejected = true;
        else y = cy + ComputeEdgeOffset(f->x1 - cx, cx - x, cy - y), x = f->x1;
    }
    if (y < f->y0) {
        if (cy < f->y0) rejected = true;
        else x = cx + ComputeEdgeOffset(f->y0 - cy, cy - y, cx - x), y = f->y0;
    } else if (y > f->y1) {
        if (cy > f->y1) rejected = true;
        else x = cx + ComputeEdgeOffset(f->y1 - cy, cy - y, cx - x), y = f->y1;
    }
    if (rejected) return false;
    if (!InRectangle(f, x, y)) {
        // Past a corner: the segment misses the rectangle, unless it ends
        // inside and only rounding put the entry a hair outside.
        if (!InRectangle(f, cx, cy)) return false;
        x = x < f->x0 ? f->x0 : x > f->x1 ? f->x1 : x;
        y = y < f->y0 ? f->y0 : y > f->y1 ? f->y1 : y;
    }
    *px = x;
    *py = y;
    return true;
}

// Moves the current point back onto the rectangle along the segment from
// the previous point, which lies inside; true when it had to move.
static bool CutAtRectangle(PointFilter *f) {
    const double px = f->prevX, py = f->prevY;
    bool clipped = false;
    if (f->x < f->x0) {
        f->y = py + ComputeEdgeOffset(f->x0 - px, px - f->x, py - f->y), f->x = f->x0;
        clipped = true;
    } else if (f->x > f->x1) {
        f->y = py + ComputeEdgeOffset(f->x1 - px, px - f->x, py - f->y), f->x = f->x1;
        clipped = true;
    }
    if (f->y < f->y0) {
        f->x = px + ComputeEdgeOffset(f->y0 - py, py - f->y, px - f->x), f->y = f->y0;
        clipped = true;
    } else if (f->y > f->y1) {
        f->x = px + ComputeEdgeOffset(f->y1 - py, py - f->y, px - f->x), f->y = f->y1;
        clipped = true;
    }
    return clipped;
}

void ClipSegment(PointFilter *f) {
    if (f->thin && std::fabs(f->x - f->prevX) < f->minDistance &&
        std::fabs(f->y - f->prevY) < f->minDistance)
        return;
    if (!f->clip) {
        if (f->previousOutside) StartPolyline(f);
        else EmitPoint(f);
        return;
    }
    const double cx = f->x, cy = f->y;
    bool rejected = false, clipped = false;
    if (f->previousOutside) {
        double ex, ey;
        rejected = !FindEntryPoint(f, cx, cy, &ex, &ey);
        if (!rejected) {
            f->x = ex;
            f->y = ey;
            StartPolyline(f);
            f->x = cx;
            f->y = cy;
        }
    }
    if (!rejected) clipped = CutAtRectangle(f);
    if (f->previousOutside) StartPolyline(f);
    else EmitPoint(f);
    if (rejected || clipped) {
        f->prevX = cx;
        f->prevY = cy;
        f->previousOutside = 1;
    }
}

void FilterPoint(PointFilter *f, double x, double y) {
    f->x = x;
    f->y = y;
    // The first point opens a polyline: there is no segment before it.
    if (f->pointsOnly || f->penUpPending || !f->started) StartPolyline(f);
    else ClipSegment(f);
}

void FilterBreak(PointFilter *f) {
    f->penUpPending = 1;
    f->previousOutside = 0;
}

void FilterPointStream(PointReader *r, PointFilter *f) {
    double x, y;
    // Once the output fails there is no point reading on.
    while (!f->out->failed) {
        PointItem item = ReadPointItem(r, &x, &y);
        if (item == kItemEnd) break;
        if (item == kItemPoint) FilterPoint(f, x, y);
        else FilterBreak(f);
    }
}
