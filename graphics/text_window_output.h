// What a text window does with the points of a run: one line per output
// point from its column expressions and formats, optional Poincare sections,
// and a copy to a text or binary point-data file. Portable: the rich-edit
// control is reached through the TextWindowControl record, which the Win32
// side fills and tests record.
#pragma once
#include "run_host.h"  // RunPoint
#include "text_window_state.h"

// The window whose record is being served.
extern TextWindowState *gCurrentText;

// Installed whole; while any entry is null the lines go nowhere (files are
// still written).
struct TextWindowControl {
    // Lines the control holds; an empty control holds one (empty) line.
    int (*lineCount)(WindowId control);
    int (*textLength)(WindowId control);
    // Removes the text before the start of line `line` (0-based); a line at
    // or past the last removes everything.
    void (*deleteLinesBefore)(WindowId control, int line);
    // Puts text at the end and brings the end into view (unless minimised).
    void (*appendText)(WindowId control, const char *text);
};
extern TextWindowControl gTextWindowControl;

// Bytes of one output line, its terminating zero included.
constexpr int kTextLineSize = 20480;

// The per-point procedures; first = 1 at the start of a trajectory. 0 to go
// on; negative stops the run: -1 a bad format or an overlong line, r - 3 when
// the integrator could not give the state at a section crossing.
int AddTextWindowOdePoint(TextWindowState *s, const RunPoint &point);
int AddTextWindowMapPoint(TextWindowState *s, const RunPoint &point);

// close = 0 at the start of a run (opens the output file when Capture is on),
// 1 at its end (closes it).
void TextWindowRunEnumProc(TextWindowState *s, int close);

// A column format is safe when it holds exactly one floating conversion of a
// double (flags, width and precision of at most three digits each) and
// otherwise only "%%". Checked after the escapes are decoded. A histogram
// line may have two.
int IsTextColumnFormatSafe(const char *format);

void OutputTextWindowLine(TextWindowState *s, const char *line);
void AppendTextWindowLine(TextWindowState *s, const char *line);
void WriteTextWindowBinary(TextWindowState *s, double value);
// The histogram of a map's first column, one line per bin (position and
// density, printed with the first format); 0, or negative to stop the run.
int WriteHistogram(TextWindowState *s);
