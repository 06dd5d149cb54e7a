// The user graphics elements of a graph window: the list operations on
// gCurrentGraph's list, their drawing by kind through the pick primitives
// (so the window, its bitmap, the plotter and EPS output get the same
// strokes) and their editing with the mouse and the arrow keys.
#pragma once
#include <cstdint>

#include "graph_state.h"

// ---- List of gCurrentGraph

// The element at currentElementIndex becomes current, the index clamped to
// elementCount - 1 and to 0; an empty list gives index -1 and no element.
void SeekCurrentElement();
// Unlinks and releases the current element; its successor becomes current
// at the same index (none at the end).
void DeleteCurrentElement(GraphWindowState *state);
// Removes the current element and selects its predecessor, or the new head
// when it was the first; the last one leaves index -1. 1 when one went.
int RemoveCurrentElement();
// Next / previous element; 1 when the selection moved.
int SelectNextElement();
int SelectPreviousElement();
// Swaps the current element's contents with its predecessor's (back) or
// successor's (forward), the links staying, and follows it; 1 when moved.
int MoveElementBack();
int MoveElementForward();
// gElementDialogCopy into the current element and back (the link stays).
void StoreElementDialogCopy();
void LoadElementDialogCopy();
// A deep copy of a list (texts duplicated, code slots null); a failed
// allocation ends the copy there. Null for an empty list.
GraphicsElement *CopyElementList(const GraphicsElement *head);
void FreeElementList(GraphicsElement *head);

// Releases the compiled code of every element of one window / of every
// graph window (through gGraphicsHost.forEachGraphState; only the current graph when it
// is not set).
void FreeElementCodeOf(GraphWindowState *state);
void FreeElementCode();

// The compile walk of CompileGraphicsElements: the expressions of kinds 5
// and 6 and the fractal lists of kind 9 (their count goes to steps).
int CompileElementsOfCurrentGraph(int index);

// ---- Drawing

// The element being drawn; every kind reads its fields through it.
extern GraphicsElement *gDrawnElement;
// Re-entry guards: elements being drawn (or dialog 800 open), and a mouse
// action of an element in progress.
extern int gElementsBeingDrawn;
extern int gElementDialogOpen;
extern int gElementActionInProgress;

// A drawing context for drawing the current element outside a redraw (the
// active window's); null hooks draw only where gDrawDc already points.
struct ElementDcHooks {
    uint32_t (*take)();
    void (*give)(uint32_t dc);
};
extern ElementDcHooks gElementDcHooks;

// Installs the drawing (gGraphicsHost.drawElements), the compile walk, the
// element names' cells and the editing hooks of the cursor.
void InstallGraphicsElements();

// Every element of gCurrentGraph / the current one only (in the window's
// background colour when erase is 1).
void DrawGraphicsElements();
void DrawCurrentGraphicsElement(int erase);
void DrawGraphicsElement(int32_t colour);

// Rotates (x, y) by the drawn element's direction (none when exactly 0)
// and moves it by the element's (x, y).
void PlaceElementPoint(double *x, double *y);

double ClipCut(double a, double b, double c);
// base^exponent by squaring; 1 for exponent <= 0; 0 when the result does
// not fit in 31 bits (a fractal of that many segments is not drawn).
int32_t IntPower(int32_t base, int32_t exponent);
void DrawDataCurve();
void WriteSpecialText();
void DrawAxesElement();
void DrawInitialValuesTable();
void DrawParametersTable();
void DrawFractal(int order);

// The bytes of the plotter's escape language (\n, \e, \123, \o17, \x1F, \z
// for a zero byte ...) of text; returns the count written into out (at
// most size).
int DecodeSpecialText(const char *text, char *out, int size);

// ---- Mouse editing

// The mode the current element admits for a requested mode.
int AdjustMouseMode(int mode);
void PlaceElementCursor(int apply);
void ApplyElementCursor(int erase);
// Moves by dx, dy steps (screen directions) and gives the cursor's device
// point back in dx, dy.
void MoveElementCursor(int32_t *dx, int32_t *dy, int apply);
double PointToAngle(double dy, double dx);
