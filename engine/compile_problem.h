// Compiling a problem: binds the problem's names to their cells, compiles
// every expression a run needs in a fixed order into the one shared P-code
// buffer, and lets the user correct a failing text in the compile-error
// dialog until it compiles or the user cancels. Graphics elements and the
// calculator compile into blocks of their own, under name tables of their own.
#pragma once
#include "compiler.h"

// What is being compiled; chooses the dialog's label and a few name rules.
enum ExpressionKind {
    kExprEquation = 0,         // right-hand sides or map definitions
    kExprInitialFunction = 1,
    kExprBoundaryCondition = 2,
    kExprStatusLine = 3,       // "First expression", "Second expression"
    kExprAxis = 4,             // a graph window's horizontal (0) and vertical (1) axis
    kExprPoincare = 5,         // a window's Poincare condition
    kExprTextColumn = 6,       // a text window's columns
    kExprGraphicsElement = 7,
    kExprCalculator = 8,
};

// What compiles depends on "Iterations" (boundary conditions when nonzero)
// and the status line's "Frequency" (0 shows no values): gShootingIterations
// and gStatusFrequency of problem_settings.h.
#include "problem_settings.h"

// Code of the status line's "First expression" and "Second expression":
// gStatusLineCode of bridges.h.
#include "bridges.h"

// The failing compile, for the dialog: kind, index within its array, element
// number (kind 7), the text slot, and the free position in the shared buffer.
struct CompileDialogState {
    int kind;
    int index;
    int elementNumber;
    char **textSlot;
    PcodeProgram *freePosition;
};
extern CompileDialogState gCompileState;

// Poincare conditions compile without the collective name and the first
// kPoincareHiddenNames individual variable names.
constexpr int kPoincareHiddenNames = 10;

// The calculator's input buffer in quiet mode: at most 10240 characters and
// the terminator. While gCalculatorQuietMode is set a corrected calculator
// text is copied into that buffer rather than replacing the slot's block.
constexpr int kCalculatorInputSize = 10241;
extern int gCalculatorQuietMode;

// Compiles everything a run needs. 1 on success, 0 when the user cancelled a
// correction (or the workspace is missing; that was reported when it failed).
int CompileProblem();

// Compiles texts[0..last] one after the other at the free position of the
// shared buffer, codePointers[i] := the start of text i. On an error the
// dialog is shown and the corrected text compiled again; 0 when cancelled.
int CompileExpressionArray(char **texts, PcodeProgram **codePointers, int last, int kind);

// The graph and text windows: compiles every multi-document child's own
// expressions (CompileWindowExpressions of each, on the slot routines below)
// and leaves the active child's record as the current graph or text window.
// The walk is gCompileHooks.windowExpressions; while null there is nothing
// to compile and the result is 1.
int CompileAllWindowExpressions();

// What CompileWindowExpressions does for one window, on its slots.
// A graph window: its two axis texts (the drawing commands are known there
// and nowhere else), then the Poincare condition when poincareOn.
int CompileGraphWindowTexts(char **axisTexts, PcodeProgram **axisCode, char **poincareText,
                            PcodeProgram **poincareCode, int poincareOn);
// A text window: its columnCount column texts, then the Poincare condition.
int CompileTextWindowTexts(char **columnTexts, PcodeProgram **columnCode, int columnCount,
                           char **poincareText, PcodeProgram **poincareCode, int poincareOn);

// ---- Graphics elements. Their expressions name the element's own cells:
// "t" and "x0", "y0", "s", "r", "t1", "t2", "d" (and the same in upper case).
constexpr int kElementNameCount = 16;
// cells: the element's seven contiguous doubles x, y, size, radius, begin,
// end, direction (in that order) of the work copy; t: the cell of "t".
void SetElementNameCells(double *cells, double *t);

// The walks over what the windows hold, installed with the platform.
struct CompileHooks {
    // Every multi-document child's own expressions (see above).
    int (*windowExpressions)();
    // The current graph's elements (index < 0: all of them, else the one
    // with that number), each through CompileElementText and
    // BuildFractalArrays; 0 at the first failure. Null: nothing to compile.
    int (*elements)(int index);
};
extern CompileHooks gCompileHooks;

// flag 1: saves the compiler's name tables, switches to the element names
// (parameters stay visible, x(k, t) is not available) and runs the walk;
// 1 when everything compiled. flag 0: restores the saved tables.
int CompileGraphicsElements(int index, int flag);

// One element expression (CompileElementExpressions of the current element's
// coordinate): nothing when *codeSlot is already set; an empty or missing
// text is no error; else the code goes into a block of exactly its length,
// owned by the element. 0 when the user cancelled a correction.
int CompileElementText(char **textSlot, PcodeProgram **codeSlot, int elementNumber);

// A fractal element's lists: the reciprocal segment lengths (0 stored as 1)
// and the turn angles in radians, one per number of the length text. Returns
// the segment count; 0 after message 10064 (no length) or 10065 (too few
// angles), both arrays null. elementNumber counts from 0.
int BuildFractalArrays(const char *lengthText, const char *angleText, int elementNumber,
                       double **lengths, double **angles);

// The calculator's input: an empty or missing text is no error (1); else its
// code replaces *codeSlot in a block of exactly its length. On an error with
// retry set the dialog (owned by the calculator) lets the user correct it;
// Cancel, or retry 0, gives 0.
int CompileCalculatorExpression(char **textSlot, PcodeProgram **codeSlot, int retry);

// The dialog's label for the failing compile described by gCompileState.
void BuildCompileErrorLabel(char *out, int size);
