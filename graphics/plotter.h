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
#include "plotter_output.h"

// Longest line of a description, without its line end.
constexpr int kPlotterLineSize = 20480;

// Frame command 308 "P&lotter output": gates the frame drawing and the run
// and redraw hooks.
extern int gPlotterOutputOn;


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

int OpenPlotterStream();
int OpenPlotterJob();
void StartPlotterStream();
void StopPlotterStream();
void ClosePlotterJob();
void PlotterEjectPage();

void DrawPlotterFrame();
