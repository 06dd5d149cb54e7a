// Printing: the print settings, the printer, graph windows printed as
// vectors or bitmaps or written as EPS, the print dialog with its page
// preview, and the text of text windows and editors.
#pragma once
#include <windows.h>

#include "graph_state.h"

// The working set, loaded from the current graph window before each print.
extern PrintSettings gPrintSettings;
// The window had print settings of its own when they were loaded.
extern int gPrintSettingsOwn;
// The printer's page in tenths of a millimetre (after OpenPrinterDC).
extern int gPageWidthMm10, gPageHeightMm10;
extern int gPrintAbort;
extern HWND gPrintingDialog;
// The command-line print mode: text is printed without the system's print
// dialog, on the printer below.
extern int gPrintWithoutDialog;
// That printer (device, driver, port), as "/pt" names it; no device: the
// default printer.
struct NamedPrinter {
    const char *device, *driver, *port;
};
extern NamedPrinter gPrintWithoutDialogPrinter;
// The print dialog was left with "&Setup...".
extern int gPrinterSetupRequested;
// The printer's scaling factor (the print escape for it): true with the
// factor when the device reports one. A seam, so that tests can stand in
// for a device that scales.
extern bool (*gQueryPrinterScaling)(HDC dc, POINT *factor);

void LoadPrintSettings();
void StorePrintSettings();
// The system's printer setup; keeps the selection on OK.
void ShowPrinterSetup(HWND owner);
// Forgets the selection (at exit and when the system's printers change).
void FreePrinterSelection();
// The printer's context; sets the page data and rescales the print area.
// Null when there is no printer.
HDC OpenPrinterDC();

// Frame command "&Print...": the active MDI child, graph or text window.
void PrintActiveWindow(HWND owner);
// Prints (or writes as EPS) the graph window graph, after dialog 600.
void PrintGraphWindow(HWND owner, HWND graph);
// Dialog 600 for the current graph window: 1 on OK (settings stored).
int RunPrintDialog(HWND owner);
// Writes the current graph window as EPS to the settings' File.
void WriteEpsFile(HWND owner, HWND graph);
// Starts the post program on the EPS file and waits for it; true when it
// ran and ended with code 0.
bool RunPostProcessor(HWND owner);

BOOL CALLBACK PrintAbortProc(HDC dc, int code);
// The modeless progress dialog 610 showing title; null on failure.
HWND OpenPrintingDialog(HWND owner, const char *title);
void ShowPrintError(int code);

// Printing text from a rich-edit or edit control.
void PrintTextWindow(HWND owner, HWND textWindow, HWND control);
void PrintEditControl(HWND control);
void PrintEditText(HWND owner, HWND control, const char *title);
