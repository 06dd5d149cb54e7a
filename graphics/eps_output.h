// Encapsulated PostScript output of a graph window: the header with this
// system's small prologue, the body as plotter commands of a built-in
// description, and the trailer. Coordinates in the file are in units of
// 1/pixels point.
#pragma once
#include <cstdint>
#include <cstdio>

#include "graph_state.h"

// a * b / c in 64 bits, rounded to nearest with halves away from zero; 0 when
// c is 0 or the result does not fit.
int32_t EpsMulDiv(int64_t a, int64_t b, int64_t c);

// What the page and the print settings give the EPS job.
struct EpsPageSetup {
    int32_t pixels;                 // EPS units per point, at least 1
    int32_t line;                   // line-width factor, at least 1
    int32_t frame;                  // frame width; 0: no frame
    int32_t rotate;
    int32_t totalX, totalY;         // page in printer pixels
    int32_t pageWidth, pageHeight;  // page in 0.1 mm
    int32_t left, top, width, height;  // print area in printer pixels
};

// The print area in EPS units; a is half the frame's pen width.
struct EpsLayout {
    int32_t left, width, top, height, pageHeight, a;
};
EpsLayout ComputeEpsLayout(const EpsPageSetup &setup);

// The texts of the comment lines; null strings print as empty.
struct EpsHeaderInfo {
    const char *product, *version;
    const char *identifier;  // the user's identifier, up to 31 characters
    const char *title;       // the window's caption, up to 254 characters
    int month, day, year;    // local date of creation
};

// Clears the window's driver description without freeing it (the caller
// restores the whole record afterwards) and installs the EPS commands;
// the width factor becomes line.
void InstallEpsPlotterDriver(GraphWindowState *state, int32_t line);

// Writes the header and prologue up to "%%Page: 1 1". Returns 1.
int WriteEpsHeader(std::FILE *out, const EpsPageSetup &setup, const EpsHeaderInfo &info);
// The frame around the print area through the current window's plotter
// (which must have the EPS description installed and be recording).
void WriteEpsFrame(const EpsPageSetup &setup, int32_t axesColor);
// Replays the current window's display list as plotter commands: world
// coordinates map to EPS units through the plotter mapping of the window.
// minDistance drops lines whose end moves no more than it (world units) from
// the last written end. Returns 1 when the replay was aborted (Esc).
int WriteEpsVectors(double minDistance);
// The five trailer lines.
void WriteEpsTrailer(std::FILE *out);

// Expands the post program's parameters into out (at most size bytes with
// the terminator): "%%" is "%", %NAME% an environment variable, and
// %@dpne% pieces of epsPath (drive, directory, name, extension; %@% the
// whole path); anything else is copied. false when something did not fit:
// the command line would then be cut, so the program must not be started.
bool ExpandPostParameters(const char *tmpl, const char *epsPath, char *out, int size);

// A captured picture for the bitmap body: pixel(context, x, y) gives the
// colour reference 0x00BBGGRR of column x, row y (row 0 at the top).
struct EpsBitmapSource {
    int32_t width, height;
    int32_t (*pixel)(void *context, int32_t x, int32_t y);
    void *context;
    // Runs after each row; nonzero cancels the remaining rows. May be null.
    int (*abortCheck)(void *context);
};
// Writes the bitmap as a colour image filling the layout's width x height
// (EPS units), bottom row first.
void WriteEpsBitmap(std::FILE *out, const EpsLayout &layout, const EpsBitmapSource &bitmap);

// Copies the current window's record into *saved and turns the live one into
// the EPS job: no display-list recording, no backing bitmap, aspect mode 0,
// the print area in EPS units as client size and plotter window, the EPS
// commands, and out as the recording plotter stream. The caller keeps the
// screen device out of the way.
void BeginEpsJob(GraphWindowState *saved, const EpsPageSetup &setup, std::FILE *out);
// Puts the saved record back exactly; the stream is the caller's to close.
void EndEpsJob(const GraphWindowState &saved);
