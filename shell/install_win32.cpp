#include "install_win32.h"

#include <commctrl.h>

#include "app.h"
#include "browsers_win32.h"
#include "code_libraries.h"
#include "crash_recovery.h"
#include "element_dialog_win32.h"
#include "problem_clipboard_win32.h"
#include "graph_pictures.h"
#include "graph_state.h"
#include "graph_window_win32.h"
#include "graphics_host.h"
#include "mathlink_win32.h"
#include "run_host.h"
#include "picture_commands.h"
#include "run_host_win32.h"
#include "settings_files.h"
#include "solver_dll.h"
#include "stroke_font_table.h"
#include "text_window_output.h"
#include "text_window_state.h"
#include "toolbars.h"
#include "ui_lock.h"

namespace {

void SetStatusLine(const char *text) {
    if (gStatusBar) SendMessageA(gStatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void GetStatusLine(char *buffer, int size) {
    if (size <= 0) return;
    buffer[0] = 0;
    if (gStatusBar && LOWORD(SendMessageA(gStatusBar, SB_GETTEXTLENGTHA, 0, 0)) < size)
        SendMessageA(gStatusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer));
}

void SetGraphCaret(HWND graph, int visible) {
    if (visible) ShowCursorCaret(graph);
    else HideCursorCaret(graph);
}

void MakeChildCurrent(HWND child) {
    if (GraphWindowState *g = GraphStateOf(child)) gCurrentGraph = g;
    else if (TextWindowState *t = TextStateOf(child)) gCurrentText = t;
}

void SaveCurrentWindows(void **graph, void **text) {
    *graph = gCurrentGraph;
    *text = gCurrentText;
}

void RestoreCurrentWindows(void *graph, void *text) {
    gCurrentGraph = static_cast<GraphWindowState *>(graph);
    gCurrentText = static_cast<TextWindowState *>(text);
}

int ElementActionRunning() {
    return gGraphWindowHooks.elementActionInProgress && gGraphWindowHooks.elementActionInProgress();
}

}  // namespace

void InstallWin32Platform(HACCEL *accelerators, HWND *editorControls) {
    // The run host, which installs graph plotting and the replay hooks.
    InstallWin32RunHost(accelerators, editorControls);
    InstallGraphPictures();
    InstallGraphElementsWin32();
    InstallTextWindows();
    InstallWin32WindowHost();
    InstallPictureCommands();
    InstallElementDialogs();
    InstallCursorHost();
    InstallWin32MathLinkHost();
    gElementProblemPath = gProblemPath;  // data curves look in its folder
    gElementClipboard.copy = CopyElementToClipboard;
    gElementClipboard.paste = PasteElementFromClipboard;

    gGraphicsHost.loadStrokeFont = LoadStrokeFont;
    gGraphicsHost.lookUpPlotterDriver = LookUpPlotterDriver;

    gRunHost.setStatusText = SetStatusLine;
    gRunHost.getStatusText = GetStatusLine;
    gRunHost.elementActionInProgress = ElementActionRunning;
    gRunHost.beginPlotterOutput = BeginPlotterOutput;
    gRunHost.endPlotterOutput = EndPlotterOutput;

    gUiLockHooks.updateCommandStates = UpdateCommandStates;
    gUiLockHooks.setToolbarButtonState = SetToolbarButtonState;
    gUiLockHooks.setGraphCaret = SetGraphCaret;
    gUiLockHooks.makeChildCurrent = MakeChildCurrent;
    gUiLockHooks.saveCurrentWindows = SaveCurrentWindows;
    gUiLockHooks.restoreCurrentWindows = RestoreCurrentWindows;
    gUiLockHooks.refreshBrowsers = RefreshBrowsers;
    gGraphWindowHooks.refreshCommandStates = UpdateCommandStates;

    gGraphWindowHooks.running = [] { return gRunning; };
    gGraphWindowHooks.showPopupMenu = ShowCommandPopupMenu;
    // The axis choices of the graph cursor count as the browser's rows do.
    gGraphWindowHooks.refreshInitialValueRows = UpdateInitialValueRows;

    gSolverHostInstance = gInstance;
    gCrashHooks.writeProblem = WriteProblemTo;
    gCrashHooks.releaseResources = ReleaseShellResources;
    gCodeLibraryHooks.menuChanged = UpdateCodeLibraryHelpItem;
    gCodeLibraryHooks.solverInit = SolverDllInit;
}
