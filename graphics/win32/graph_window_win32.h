// The Win32 side of a graph window's state: the record in the window's
// first window word, its life with the window, the exchange with
// gGraphWorkCopy, and the GDI surface the coordinate pipeline draws on.
#pragma once
#include <windows.h>

#include "graph_pipeline.h"
#include "command_ids.h"
#include "window_helpers.h"  // gStatusBar

constexpr char kGraphWindowClass[] = "VR_Graph";
// Window word 0 of the class holds the GraphWindowState pointer.
constexpr int kGraphWindowExtraBytes = sizeof(LONG_PTR);
// wParam 0: the window's record into gGraphWorkCopy; any other: back.
constexpr UINT SyncStateMessage = WM_USER + 10;  // 1034

extern int gGraphWindowCount;

inline HDC ToHdc(DcHandle dc) { return reinterpret_cast<HDC>(static_cast<UINT_PTR>(dc)); }
inline DcHandle FromHdc(HDC dc) { return static_cast<DcHandle>(reinterpret_cast<UINT_PTR>(dc)); }
inline HWND ToHwnd(WindowId w) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(w)); }
inline WindowId FromHwnd(HWND w) { return static_cast<WindowId>(reinterpret_cast<UINT_PTR>(w)); }

// The record of a graph window; null for another window or before creation.
GraphWindowState *GraphStateOf(HWND window);

// Window-procedure handlers of VR_Graph. OnGraphCreate returns what
// WM_CREATE returns: -1 when the record could not be had, which makes the
// creation fail (WM_DESTROY still follows).
LRESULT OnGraphCreate(HWND window);
void OnGraphDestroy(HWND window);
// SyncStateMessage; the caller then passes the message on to the default
// child handling.
void OnSyncState(HWND window, WPARAM wParam);

// GDI drawing, the screen's pixel aspect and graph windows among the
// multi-document client's children.
GraphSurface GdiGraphSurface();

// ---- The window procedure of VR_Graph and the graph commands

// Registers the class "VR_Graph" (double clicks, its record's window word,
// class device context with the option "Own DC") and makes the caret's
// cross-hair bitmap. False when the class could not be registered.
bool RegisterGraphWindowClass(HINSTANCE instance);
// Fills gCursorHost (caret, status parts, initial-value rows); called by
// InstallWin32Platform.
void InstallCursorHost();
LRESULT CALLBACK GraphWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Commands 601-667 for the active graph window (the caller has made its
// record current); always 0.
LRESULT GraphWindowCommand(int id);
// False for a graph command whose dialog or element operation is not in
// the program yet: the frame greys it.
bool GraphCommandAvailable(int id);

// What the graph windows need from the frame; null entries do without.
struct PasteOptions;  // graph_pictures.h

struct GraphWindowHooks {
    int (*running)();                               // a run is in progress
    void (*showPopupMenu)(HWND window, int x, int y);  // client coordinates
    void (*clearStatusReadout)();                      // menu help gives way
    void (*refreshInitialValueRows)(int columnX, int columnY);
    // An element's mouse action is in progress: commands and closing wait.
    int (*elementActionInProgress)();
    // Element commands 605-608 and 610-612 (their dialogs and list
    // operations); null greys them.
    void (*elementCommand)(HWND window, int id);
    // Which of those ids have a handler; null: all of them.
    int (*elementCommandAvailable)(int id);
    // The mode the current element admits, and putting the element cursor
    // on the mode's handle once the mode is in force; null: modes as asked.
    int (*adjustMouseMode)(int mode);
    void (*placeElementCursor)();
    // Refreshes menus and toolbars after a graph window comes or goes; null
    // does nothing.
    void (*refreshCommandStates)();
    // Commands 605 "New element...", 606 "Edit element...", 610 and 611 (the
    // element clipboard) of the current graph: the shell's dialogs; null
    // greys 605 and 606.
    void (*elementDialogCommand)(HWND window, int id);
    // Runs dialog 500 on options with only the "P&ut" choices of
    // enabledFormats (bit 1 << PasteFormat) enabled; IDOK stores the
    // choices. Null: the built-in template of graph_pictures is shown.
    int (*pasteDialog)(HWND owner, PasteOptions *options, unsigned enabledFormats);
};
extern GraphWindowHooks gGraphWindowHooks;
// The element clipboard ("Vantorel element"): copy an element, paste one
// after the current element of the current graph (1 on success). Null
// entries grey 610 and 611 and the dialog's clipboard buttons.
struct ElementClipboardHooks {
    int (*copy)(const GraphicsElement *element);
    int (*paste)();
};
extern ElementClipboardHooks gElementClipboard;
// The problem file's path as the program holds it (set at start-up); data
// curves look for their files in its folder second.
extern const char *gElementProblemPath;
const char *ElementProblemFolder();

// Shift+F1 was pressed: the next click asks for help.
extern int gContextHelpMode;
extern int gFullScreen;
// Set while full screen moves the frame: the frame may then grow past the
// screen's size.
extern int gFullScreenResizing;

// The full redraw of the current graph: with a window into a context of its
// own (plotter output begun around it when the window takes part), with
// null into the caller's gDrawDc.
void RedrawGraphWindow(HWND window);
// Sets bitmapMode and creates, resizes or drops the off-screen bitmap.
void SetBackingBitmapMode(GraphWindowState *state, int mode);
// A screen-compatible bitmap of the current graph's client size.
HBITMAP CreateClientBitmap();
// XOR-draws (or, drawn again, erases) the zoom band with its world corners.
void DrawZoomRectangle(HWND window, int x1, int y1, int x2, int y2);

// Erasing and refreshing a graph window (frame command 411 and the drawing
// commands): mode 0 drops the display list and clears the bitmap; modes 0
// and 1 mark the window for redraw. The window is invalidated.
void EraseGraphWindow(HWND window, int mode);
void RefreshGraphWindow(HWND window);

void SetMouseMode(int mode);
// proc for every graph window among the client's children.
void ForEachGraphWindow(void (*proc)(HWND));
// Element drawing, the element commands and mouse editing of elements:
// installs the portable element code and its Win32 hooks.
void InstallGraphElementsWin32();
// The drawing commands' target: the graph window being served by a run.
const struct DrawingTarget *GraphDrawingTarget();
void ShowCursorCaret(HWND window);
void HideCursorCaret(HWND window);
void ShowWindowSizeStatus(HWND window);
void ToggleFullScreen();
// Dialog 910, shown while full screen is on: its button posts 603 to the
// frame. The window stays created (hidden) until the program ends.
extern HWND gBackToolWindow;
INT_PTR CALLBACK BackToolDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Help topic of a hit-test code in a graph window; 0 when none.
int HitTestHelpTopic(int hitTest);

// Plotter output of all graph windows that take part (plotterOutput):
// action -1 closes a window's session, 0 ends output, 1 begins it.
BOOL CALLBACK PlotterEnumProc(HWND window, LPARAM action);
void BeginPlotterOutput();
void EndPlotterOutput();
void FinishPlotterOutput(int close);
void RedrawPlotterGraphs();
