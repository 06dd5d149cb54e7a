// What the main program holds for its whole life: the command line's flags,
// the problem path, the caption, the pending placement of the next window,
// and the handles that start-up loads for the frame and its children.
#pragma once
#include <windows.h>

#include "command_line.h"
#include "run_host_win32.h"  // kTextWindowClass
#include "test_hooks.h"
#include "window_helpers.h"  // gFrameWindow, gMdiClient

extern HINSTANCE gInstance;
extern CommandLine gCommandLine;
extern int gFileNamePending;  // a file waits for the posted IDM_OPEN

// lParam of frame commands that the program sends itself: New before a
// problem file is read in asks nothing and keeps the settings; a browser
// reopened at start-up leaves the focus on the frame.
constexpr LPARAM kNewBeforeLoading = -1;
constexpr LPARAM kBrowserAtStartup = 1234;

// The problem file (260 characters); "" for an unnamed problem.
constexpr int kPathSize = MAX_PATH;
extern char gProblemPath[kPathSize];
// String 512, and the frame's title: the caption, or "caption - file".
extern char gCaption[kPathSize];

// Placement of the next frame or child window: used when width and height
// are both non-zero, cleared by each creation. Show state -1 minimised,
// 1 maximised.
struct PendingPlacement {
    int x, y, width, height;
    int showState;
};
extern PendingPlacement gPending;

extern HMENU gFrameMenu, gDrawMenu, gEditorPopupMenu;
extern HCURSOR gHelpCursor;
extern HBITMAP gCaretBitmap;

// Flags of the frame: context-help mode, closing (and closing all windows
// without asking), a redraw or a graph cursor action in progress.
extern int gHelpMode;
// The keys of a window's context-help mode (*helpMode): Shift+F1 enters it,
// Esc leaves it or, outside it, stops a run. True when the key was one of
// them.
bool OnContextHelpKey(int *helpMode, WPARAM key);
// The system has simple mail: the Mail command is offered (set at start).
extern int gMailOffered;
extern int gClosing;
extern int gClosingAll;
extern int gRedrawInProgress;
extern int gCursorActionInProgress;

// Program-wide texts of the version block.
extern char gProductName[64];
extern char gProductVersion[32];
extern char gLegalCopyright[128];

// The start-up and shut-down of the program; WinMain's body.
int RunVantorel(HINSTANCE instance, HINSTANCE previous, int showCommand);
// Unloads the libraries and frees what start-up loaded; also the crash path's.
void ReleaseShellResources();

// ---- The frame (frame.cpp).
LRESULT CALLBACK FrameWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MdiClientWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StatusBarWndProc(HWND, UINT, WPARAM, LPARAM);
void LayoutFrame(int width, int height, int fromClient);
HWND CreateChildWindow(int isGraph, int problemBitmapMode);
void ShowMenuHelp(HWND frame, HMENU menu, UINT item, HMENU submenu, UINT flags);
int FindHtmlNotesFile();
extern char gHtmlNotesFile[kPathSize];
// Status line: the string of stringId (0: the recent slot's path, or empty
// when the slot is negative; -1: only the font of the mode changes); mode 0
// is menu help, any other the read-out of runs and windows.
void SetStatusText(int recentSlot, int stringId, int mode);
void SetStatusFont();
// The read-out of runs and graph windows: kept, and shown in part 0 (menu
// help gives way to it). An empty read-out mode-1 text shows it.
void SetStatusReadout(const char *text);
// The two halves of it: a run keeps the newest text and shows it in batches.
void KeepStatusReadout(const char *text);
void ShowStatusReadout();
const char *StatusReadout();
// Sets the frame's title to the caption, followed by " - " and the
// problem path when there is one.
void UpdateFrameTitle();
// Greys what is not there yet or not allowed now, in the frame's menus.
void UpdateFrameMenuStates();
// Puts the selected code library's item (separator 931, item 932 titled
// entry) at the end of the Help menu, or only removes it when the library
// has no help file.
void UpdateCodeLibraryHelpItem(const char *entry, const char *helpFile);
// 1 while a run, a redraw or a graph cursor action is on.
int IsBusy();

// ---- Window classes.
bool RegisterFrameClass();
bool RegisterGraphClass();
bool RegisterTextWindowClass();
bool RegisterBitmapClass();
// Graph windows' own commands (601-667) reach a graph window once its full
// window procedure is there.
extern const bool kGraphCommandsBuilt;

// ---- The problem's windows on real windows (window_host_win32.cpp).
// Installs the problem file's window host and the compile walk over the
// children's expressions.
void InstallWin32WindowHost();
// A graph window's mapping from its client size (size changes, a section read).
void UpdateGraphWindowMapping(HWND window);

// ---- Text windows (text_window.cpp).
LRESULT CALLBACK TextWndProc(HWND, UINT, WPARAM, LPARAM);
// The procedure the text windows' controls are subclassed with.
LRESULT CALLBACK TextEditWndProc(HWND, UINT, WPARAM, LPARAM);
void InstallTextWindows();
void ShowTextCaretPosition(HWND window);
void EraseTextWindow(HWND window);
// During a run the rows of the text windows wait in batches; this shows
// them (the run host's flushRunOutput).
void FlushTextWindowRows();
// The record of a text window; null for any other window.
struct TextWindowState;
TextWindowState *TextStateOf(HWND window);
extern HMODULE gRichEditLibrary;
extern int gChildWindowCount;

// ---- Splash, about box, tips, updater (splash_about.cpp).
void ReadVersionInfo();
void ShowSplashWindow(HWND window);
void CloseSplashWindow();
LRESULT CALLBACK BitmapWndProc(HWND, UINT, WPARAM, LPARAM);
void CenterWindowOnScreen(HWND window);
INT_PTR CALLBACK AboutDlgProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK TipDlgProc(HWND, UINT, WPARAM, LPARAM);
void RunUpdater();
extern int gProgramVersionNumber;

// ---- Problem-file commands (problem_commands.cpp).
int LoadProblemFile(HWND owner, int isExample);
// Save (saveAs 0: the problem's own name, unless it has none or a name is
// due) and Save as; 1 when saved, 0 when cancelled, refused during a run or
// failed (reported; the old file stays whole and the problem changed).
int SaveProblemFile(HWND owner, int saveAs);
int QuerySaveProblem(HWND owner);
// Print mode ("/p", "/pt"): prints the problem file's text; the exit code.
int PrintProblemFromCommandLine();
// Writes the whole problem to path in one step; 1 when written.
int WriteProblemTo(const char *path);

// ---- Hooks for the program's own tests (test_hooks.h), on when set.
extern int gTestHooks;
