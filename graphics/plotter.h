// Plotter output: a graph window's drawing sent as lines of text commands to
// a file or port. What the commands look like comes from a plotter-driver
// description, a text file of "Key:" lines naming each command string
// (printf formats with integer arguments), the job's prolog and epilog, the
// line types and the plotter window in device units.
//
// Every operation acts on the current graph window (gCurrentGraph) and its
// PlotterDriver fields; callers make the window current first.
#pragma once
#include <cstdint>
#include <cstdio>

#include "graph_state.h"

// Longest line of a description, without its line end.
constexpr int kPlotterLineSize = 20480;

// Frame command 308 "P&lotter output": gates the frame drawing and the run
// and redraw hooks.
extern int gPlotterOutputOn;


// 1 when format takes at most maxArgs integer arguments and nothing else:
// conversions d i o u x X c, with flags, a width and a precision of at most
// three digits each, and an optional l; %% stands for itself.
int IsSafePlotterFormat(const char *format, int maxArgs);

// Reads a description from file into state (after FreePlotterDriver). 1 on
// success; 0 on a malformed line or when memory ran out, with *line the
// number of the last line read (comments count).
int ParsePlotterDriver(GraphWindowState *state, std::FILE *file, int *line);
// Releases the description's strings and lists and clears recording,
// sessionOpen (job open) and loaded. The stream stays as it is.
void FreePlotterDriver(GraphWindowState *state);

// Reads the window's driver description; 1 on success, else 0 after a
// message (system error, or "Bad plotter driver" with the line).
int ReadPlotterDriver();

void WritePlotterString(const char *s);
// Writes format with a (and b) when the format is given, safe, and the
// stream is open.
void WritePlotterCommand(const char *format, long a, long b = 0);

int OpenPlotterStream();
int OpenPlotterJob();
void StartPlotterStream();
void StopPlotterStream();
void ClosePlotterJob();
void PlotterEjectPage();

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
void DrawPlotterFrame();
