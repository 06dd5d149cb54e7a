#include "plotter_output.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace {

PlotterDriver *Current() { return gCurrentGraph ? &gCurrentGraph->plotter : nullptr; }

// One conversion of a checked format, rebuilt so that it takes a long (a
// char conversion takes an int).
struct Conversion {
    char spec[16];
    bool isChar;
};

// Reads the conversion after the '%' at *p; false when it is not one we
// allow. *p is left after it.
bool ReadConversion(const char *&p, Conversion &c) {
    char *out = c.spec;
    *out++ = '%';
    while (*p && std::strchr("-+ #0", *p)) {
        if (out < c.spec + 6) *out++ = *p;  // repeated flags add nothing
        ++p;
    }
    for (int n = 0; std::isdigit(static_cast<unsigned char>(*p)); ++n, ++p) {
        if (n == 3) return false;
        *out++ = *p;
    }
    if (*p == '.') {
        *out++ = *p++;
        for (int n = 0; std::isdigit(static_cast<unsigned char>(*p)); ++n, ++p) {
            if (n == 3) return false;
            *out++ = *p;
        }
    }
    if (*p == 'l') ++p;
    if (!*p || !std::strchr("diouxXc", *p)) return false;
    c.isChar = *p == 'c';
    if (!c.isChar) *out++ = 'l';
    *out++ = *p++;
    *out = 0;
    return true;
}

void WriteFormatted(std::FILE *f, const char *format, const long *args) {
    int used = 0;
    for (const char *p = format; *p;) {
        if (*p != '%') {
            std::fputc(*p++, f);
            continue;
        }
        if (*++p == '%') {
            std::fputc(*p++, f);
            continue;
        }
        Conversion c;
        if (!ReadConversion(p, c)) return;  // checked before: cannot happen
        if (c.isChar)
            std::fprintf(f, c.spec, static_cast<int>(args[used++]));
        else
            std::fprintf(f, c.spec, args[used++]);
    }
}

}  // namespace

int IsSafePlotterFormat(const char *format, int maxArgs) {
    if (!format) return 0;
    int used = 0;
    for (const char *p = format; *p;) {
        if (*p++ != '%') continue;
        if (*p == '%') {
            ++p;
            continue;
        }
        Conversion c;
        if (!ReadConversion(p, c) || ++used > maxArgs) return 0;
    }
    return 1;
}

void WritePlotterString(const char *s) {
    const PlotterDriver *p = Current();
    if (p && s && p->stream) std::fputs(s, p->stream);
}

void WritePlotterCommand(const char *format, long a, long b) {
    const PlotterDriver *p = Current();
    if (!p || !format || !p->stream || !IsSafePlotterFormat(format, 2)) return;
    const long args[2] = {a, b};
    WriteFormatted(p->stream, format, args);
}

void PlotterPoint(int32_t x, int32_t y) {
    const PlotterDriver *p = Current();
    if (!p || !p->recording) return;
    if (x < p->rangeXMin || x > p->rangeXMax || y < p->rangeYMin || y > p->rangeYMax) return;
    WritePlotterCommand(p->pointFormat ? p->pointFormat : p->movetoFormat, x, y);
}

void PlotterLineTo(int32_t x, int32_t y) {
    const PlotterDriver *p = Current();
    if (p && p->recording) WritePlotterCommand(p->linetoFormat, x, y);
}

void PlotterSegment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const PlotterDriver *p = Current();
    if (!p || !p->recording) return;
    WritePlotterCommand(p->movetoFormat, x0, y0);
    WritePlotterCommand(p->linetoFormat, x1, y1);
}

void PlotterRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const PlotterDriver *p = Current();
    if (!p || !p->recording) return;
    WritePlotterCommand(p->movetoFormat, x0, y0);
    WritePlotterCommand(p->linetoFormat, x0, y1);
    WritePlotterCommand(p->linetoFormat, x1, y1);
    WritePlotterCommand(p->linetoFormat, x1, y0);
    WritePlotterCommand(p->linetoFormat, x0, y0);
}

void PlotterSelectPen() {
    const PlotterDriver *p = Current();
    if (p && p->recording && p->pen != 0) WritePlotterCommand(p->penFormat, p->pen);
}

void PlotterSetColor(int32_t c) {
    const PlotterDriver *p = Current();
    if (p && p->recording) WritePlotterCommand(p->colorFormat, c);
}

void PlotterSetWidth(int32_t w) {
    const PlotterDriver *p = Current();
    if (!p || !p->recording) return;
    if (w <= 0) w = 1;
    long long scaled = p->width > 0 ? static_cast<long long>(w) * p->width : w;
    if (scaled > INT32_MAX) scaled = INT32_MAX;
    WritePlotterCommand(p->widthFormat, static_cast<long>(scaled));
}

void PlotterSetSpeed() {
    const PlotterDriver *p = Current();
    if (p && p->recording && p->speed != 0) WritePlotterCommand(p->speedFormat, p->speed);
}

void PlotterSetLineType(int32_t n) {
    const PlotterDriver *p = Current();
    if (!p) return;
    if (n < 0) n = p->lineType;
    if (p->recording && p->types && n >= 1 && n <= p->typesCount) WritePlotterString(p->types[n - 1]);
}
