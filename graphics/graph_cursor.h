// The cursor of a graph window: mouse and caret positions in world
// coordinates (rounded to what one pixel resolves), arrow-key moves of the
// initial values the cursor stands for, and the graph texts of the status
// bar. Works on gCurrentGraph; the windowing side places the caret and
// shows the texts through gCursorHost.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graph_state.h"

// Mouse modes of graph windows (commands 641-649 select them).
enum MouseMode {
    kModeInitialConditions = 0, kModeSelect, kModeMove, kModeOrigin, kModePoint,
    kModeThird, kModeFirst, kModeLast, kModeRotate,
    kMouseModeCount  // 9
};
extern int gMouseMode;
extern int gPreviousMouseMode;

// World point of the last click in the element modes.
extern double gClickWorldX, gClickWorldY;

// What element editing offers the cursor; null entries do without (the
// caret stays at the origin of the client, the values read 0).
struct ElementEditHooks {
    // Modes 1-8: moves the element's handle by (dx, dy) steps and gives the
    // caret's device point.
    void (*caretPoint)(int dx, int dy, int32_t *x, int32_t *y);
    // Modes 6-8: the value the editing keeps for the mode.
    double (*modeValue)(int mode);
    // Modes 2-4: the click's world point is for the element to act on.
    void (*clickAt)(int mode, double x, double y);
};
extern ElementEditHooks gElementEditHooks;

// What the windowing side does with the results; null entries skip.
struct CursorHost {
    void (*placeCaret)(int32_t x, int32_t y);       // top-left of the caret bitmap
    void (*setStatusPart)(int part, const char *text);  // parts 1 and 2 of the status bar
    void (*refreshInitialValueRows)(int columnX, int columnY);
};
extern CursorHost gCursorHost;

// ROUND(w * p) / p with p = 10^floor(log10 |scale|): the decimals one pixel
// resolves at scale pixels per unit.
double RoundToPixel(double w, double scale);

double MouseToWorldX();
double MouseToWorldY();
double CaretToWorldX();
double CaretToWorldY();
// The same for any client point.
double PixelToWorldX(int32_t x);
double PixelToWorldY(int32_t y);

// Column c's initial value: 0 the independent variable, i the i-th
// dependent one. Null when c names no column (an index from a file).
double *ColumnCell(int c);

// Moves the selected columns' initial values by dx, dy steps (screen
// directions, whatever the direction of the range) and maps them; the
// device point comes back in dx, dy. A column index that names no column
// is left alone and maps as 0.
void MoveCursorSteps(int32_t *dx, int32_t *dy);

// The caret position and the cursor text; MoveCursorByKeys with a move.
void UpdateCursorCaret();
void MoveCursorByKeys(int dx, int dy);

// Status texts, formatted into buffers of size bytes.
void FormatCursorStatus(char *buffer, size_t size);
void FormatMouseStatus(char *buffer, size_t size);
// The part-0 text of the mode ("" when the mode shows none).
void FormatModeText(char *buffer, size_t size);
void UpdateCursorStatus();
// Part 2 and the mode text, which goes to the status line (SetStatusText).
void UpdateMouseStatus();
