#include "install_win32.h"

#include <commctrl.h>

#include <cstring>

#include "app.h"
#include "browsers_win32.h"
#include "code_libraries.h"
#include "crash_recovery.h"
#include "described_dialog_win32.h"
#include "element_dialog_win32.h"
#include "problem_clipboard_win32.h"
#include "graph_pictures.h"
#include "graph_state.h"
#include "graph_window_win32.h"
#include "graphics_host.h"
#include "mathlink_win32.h"
#include "run_host.h"
#include "picture_commands.h"
#include "platform_win32.h"
#include "problem_files.h"
#include "run_host_win32.h"
#include "settings_files.h"
#include "solver_dll.h"
#include "stroke_font_table.h"
#include "text_window_output.h"
#include "text_window_state.h"
#include "toolbars.h"
#include "ui_lock.h"

namespace {

// ---- What a run shows reaches the controls in batches: a change of the
// status bar or of a rich-edit control costs a repaint, a round trip to the
// window system, which would take far longer than the run's own work.
// During a run the newest read-out waits for the next batch.
bool gStatusPending;

void SetStatusLine(const char *text) {
    if (gRunning) {
        KeepStatusReadout(text);
        gStatusPending = true;
        return;
    }
    gStatusPending = false;
    SetStatusReadout(text);
}

// A read-out too long for the buffer is left out whole, never cut.
void GetStatusLine(char *buffer, int size) {
    if (size <= 0) return;
    buffer[0] = 0;
    const char *text = StatusReadout();
    if (static_cast<int>(std::strlen(text)) < size) std::memcpy(buffer, text, std::strlen(text) + 1);
}

// A batch is due kBatchIntervalMs after the previous one ended, or twice
// as long as that one took when it took longer: at most twenty a second,
// and never more than a third of the run's time however slow the controls
// are (a rich-edit append repaints the control).
constexpr DWORD kBatchIntervalMs = 50;
DWORD gNextBatchTick;

void FlushRunOutput(int final) {
    const DWORD start = GetTickCount();
    if (!final && static_cast<int>(gNextBatchTick - start) > 0) return;
    if (gStatusPending) {
        gStatusPending = false;
        ShowStatusReadout();
    }
    FlushTextWindowRows();
    const DWORD end = GetTickCount();
    const DWORD wait = 2 * (end - start);
    gNextBatchTick = end + (wait > kBatchIntervalMs ? wait : kBatchIntervalMs);
}

// Whatever a run left waiting is shown when it ends.
void UnlockAfterRun() {
    FlushRunOutput(1);
    UnlockUiAfterRun();
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

bool AskToSaveProblem() { return QuerySaveProblem(gFrameWindow) != 0; }

// A new button size: the toolbars are built again, with their buttons' states.
void RebuildToolbars() {
    if (!gFrameWindow) return;
    DestroyToolbars();
    CreateToolbars(gFrameWindow);
    UpdateCommandStates();
}

}  // namespace

void InstallWin32Platform(HACCEL *accelerators, HWND *editorControls) {
    InstallWin32PlatformHost();
    // The run host, which installs graph plotting and the replay hooks.
    InstallWin32RunHost(accelerators, editorControls);
    InstallGraphPictures();
    InstallGraphElementsWin32();
    InstallTextWindows();
    InstallWin32WindowHost();
    InstallWin32DialogShell();
    gDialogShell.querySaveProblem = AskToSaveProblem;
    gDialogShell.rebuildToolbars = RebuildToolbars;
    gDialogShell.setStatusFont = SetStatusFont;
    gDialogShell.buildRecentFilesMenu = BuildRecentFilesMenu;
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
    gRunHost.flushRunOutput = FlushRunOutput;
    gRunHost.unlockUi = UnlockAfterRun;
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
    gGraphWindowHooks.clearStatusReadout = ClearStatusReadout;
    // The axis choices of the graph cursor count as the browser's rows do.
    gGraphWindowHooks.refreshInitialValueRows = UpdateInitialValueRows;

    gSolverHostInstance = gInstance;
    gCrashHooks.writeProblem = WriteProblemTo;
    gCrashHooks.releaseResources = ReleaseShellResources;
    gCodeLibraryHooks.menuChanged = UpdateCodeLibraryHelpItem;
    gCodeLibraryHooks.solverInit = SolverDllInit;
}
