// The plotter's output primitives: commands of the current graph window's
// driver written to its stream while it records. The coordinate pipeline
// sends what it draws through them; plotter.h reads drivers and runs jobs.
#pragma once
#include <cstdint>

#include "graph_state.h"

// 1 when format takes at most maxArgs integer arguments and nothing else:
// conversions d i o u x X c, with flags, a width and a precision of at most
// three digits each, and an optional l; %% stands for itself.
int IsSafePlotterFormat(const char *format, int maxArgs);

void WritePlotterString(const char *s);
// Writes format with a (and b) when the format is given, safe, and the
// stream is open.
void WritePlotterCommand(const char *format, long a, long b = 0);

void PlotterPoint(int32_t x, int32_t y);
void PlotterLineTo(int32_t x, int32_t y);
void PlotterSegment(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void PlotterRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void PlotterSelectPen();
// c: a colour reference 0x00BBGGRR.
void PlotterSetColor(int32_t c);
void PlotterSetWidth(int32_t w);
void PlotterSetSpeed();
// n < 0: the window's line type. Writes the 1-based n-th line-type string.
void PlotterSetLineType(int32_t n);
