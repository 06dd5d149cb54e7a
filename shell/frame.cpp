// The multi-document frame: its status line and client, their layout, the
// dispatch of every command, dropped files, the instance query, the end of
// the Windows session and the close of the program.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app.h"
#include "browsers_win32.h"
#include "editor_windows.h"
#include "file_handles.h"
#include "fpu_faults.h"
#include "graph_pipeline.h"
#include "graph_window_win32.h"
#include "plotter.h"
#include "calculator_win32.h"
#include "code_libraries.h"
#include "command_state.h"
#include "escape_sequences_win32.h"
#include "extension_lists_win32.h"
#include "help_engine.h"
#include "mail_win32.h"
#include "instance_check.h"
#include "math_libraries.h"
#include "messages.h"
#include "printing_win32.h"
#include "problem_clipboard_win32.h"
#include "problem_files.h"
#include "picture_commands.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings_commands.h"
#include "run_engine.h"
#include "settings.h"
#include "settings_files.h"
#include "solver_method.h"
#include "string_ids.h"
#include "toolbars.h"
#include "ui_lock.h"
#include "workspace.h"

int gHelpMode;
int gMailOffered;
int gClosing;
int gClosingAll;
int gRedrawInProgress;
int gCursorActionInProgress;
char gHtmlNotesFile[kPathSize];

namespace {

HWND gNextClipboardViewer;
WNDPROC gPreviousClientProc;
WNDPROC gPreviousStatusProc;
int gStatusBarHeight;
int gStatusMode = -1;
int gStatusSimple;
char gStatusBuffer[1024];
// What runs and graph windows last showed in part 0: the read-out that the
// status line returns to after menu help.
char gStatusReadout[1024];

// WinHelp commands of the Help menu.
constexpr UINT kHelpFinder = 0x000B;
constexpr UINT kHelpPartialKey = 0x0105;
constexpr UINT kHelpQuit = 0x0002;
constexpr int kHelpOnHelpTopic = 1099;

// Help contexts of the context-help mode.
constexpr int kHelpClient = 5104;
constexpr int kHelpFrameClient = 5103;
constexpr int kHelpStatusBar = 5102;

constexpr int kWindowMenu = 3;
// Menu help: the Draw menu's popups have theirs at this offset + position;
// the Help menu keeps ids 921-930 for items that share one text.
constexpr int kDrawPopupHelpStringOffset = 13400;
constexpr int kHelpMenuReservedFirst = 921;
constexpr int kHelpMenuReservedLast = 930;
// Longest name a global atom holds.
constexpr size_t kMaxAtomLength = 255;

// Commands whose handlers come with later parts of the program: greyed in
// every menu and ignored when they arrive some other way.
// The settings dialogs: their commands open them on the active window.
bool IsSettingsCommand(int id) {
    if (id >= IDM_TYPE && id <= IDM_METHOD) return true;
    switch (id) {
    case IDM_GRAPHICS_FORMAT: case IDM_COLOR: case IDM_VIEW_POINT: case IDM_TEXT_FORMAT:
    case IDM_PLOTTER_SETTINGS: case IDM_STATUS_LINE: case IDM_PREFERENCES:
    case IDM_MATHEMATICA:
        return true;
    }
    return false;
}

bool CommandBuilt(int id) {
    if (IsSettingsCommand(id)) return true;
    if (id >= IDM_REFRESH_WINDOW && id <= IDM_PREVIOUS_FRACTAL_ORDER) return GraphCommandAvailable(id);
    if (id == IDM_NOTES || id == IDM_ALL_SETTINGS || id == IDM_TOOLBARS) return true;
    if (id >= IDM_TYPE && id <= IDM_ALL_SETTINGS) return false;
    if (id >= IDM_GRAPHICS_FORMAT && id <= IDM_STATUS_LINE && id != IDM_NEW_TEXT &&
        !(id >= IDM_PLOTTER_OUTPUT && id <= IDM_WRITE_EPILOG))
        return false;
    if (id >= IDM_EXTERNAL_CODES && id <= IDM_ESCAPE_SEQUENCES) return true;
    if (id >= IDM_PREFERENCES && id <= IDM_MATHEMATICA) return false;
    switch (id) {
    // Offered only when the system has simple mail (found at start).
    case IDM_MAIL: return gMailOffered != 0;
    }
    return true;
}

HWND ActiveChild() {
    HWND child = nullptr;
    GetActiveChild(&child);
    return child;
}

bool IsClass(HWND window, const char *name) {
    char cls[32];
    return window && GetClassNameA(window, cls, sizeof cls) && lstrcmpiA(cls, name) == 0;
}

// Children of the client only: icon titles and owned windows are skipped.
template <typename F>
void ForEachChild(F f) {
    if (!gMdiClient) return;
    for (HWND child = GetWindow(gMdiClient, GW_CHILD); child;) {
        HWND next = GetWindow(child, GW_HWNDNEXT);
        if (!GetWindow(child, GW_OWNER)) f(child);
        child = next;
    }
}

int ChildCount() {
    int n = 0;
    ForEachChild([&](HWND) { ++n; });
    return n;
}

// A graph window's off-screen picture is cleared with its display list, or
// the next paint would copy the old picture back.
void EraseWindow(HWND window) {
    if (GraphStateOf(window)) {
        EraseGraphWindow(window, 0);
        return;
    }
    if (IsClass(window, "VR_Text")) EraseTextWindow(window);
    InvalidateRect(window, nullptr, TRUE);
}

// Children that agree are destroyed; 427 asks none of them (closing-all).
void CloseAllChildren() {
    gClosingAll = 1;
    ForEachChild([](HWND child) {
        if (SendMessageA(child, WM_QUERYENDSESSION, 0, 0))
            SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    });
    gClosingAll = 0;
    UpdateFrameMenuStates();
}

void LaunchSelf(const char *parameters) {
    char self[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, self, sizeof self)) return;
    ShellExecuteA(nullptr, "open", self, parameters, nullptr, SW_SHOWDEFAULT);
}

void OpenCopy() {
    char full[MAX_PATH];
    char parameters[MAX_PATH + 8];
    if (!*gProblemPath || !GetFullPathNameA(gProblemPath, sizeof full, full, nullptr)) {
        LaunchSelf("/r");
        return;
    }
    std::snprintf(parameters, sizeof parameters, "/r \"%s\"", full);
    LaunchSelf(parameters);
}

void NewProblem(HWND frame, bool silent) {
    if (IsBusy()) return;
    if (!silent && !QuerySaveProblem(frame)) return;
    AbandonEditorChanges();
    CloseAllChildren();
    FreeProblemWorkspace();
    if (!silent) ResetProblemSettings();
    NewProblemWorkspace();
    if (!silent) {
        gProblemPath[0] = 0;
        UpdateFrameTitle();
    }
    gAskForProblemName = 0;
    gProblemChanged = 0;
    for (HWND browser : gBrowserDialogs)
        if (browser) PostMessageA(browser, WM_SHOWWINDOW, 1, 0);
}

void LoadCommand(HWND frame, int id) {
    if (IsBusy()) return;
    SetForegroundWindow(frame);
    SetActiveWindow(frame);
    if (LoadProblemFile(frame, id == IDM_OPEN_EXAMPLE) &&
        (gCommandLine.exitAfterRun || gCommandLine.runAtStart || (gAutoStart && !gIgnoreAutoStart)))
        PostMessageA(frame, WM_COMMAND, IDM_START, 0);
    if (gCommandLine.deleteAfterLoad) {
        // The recovery copy has done its work; the problem is unnamed and
        // changed, so that nothing overwrites the user's own file unasked.
        gCommandLine.deleteAfterLoad = 0;
        if (*gProblemPath) DeleteFileA(gProblemPath);
        gProblemPath[0] = 0;
        gProblemChanged = 1;
        UpdateFrameTitle();
    }
    if (id == IDM_OPEN_EXAMPLE) gAskForProblemName = 1;
}

// Backward has no meaning for a map: cleared, and its command greyed.
void ShowBackwardState() {
    const bool map = gProblemKind == kMap;
    if (map) gBackward = 0;
    SetToolbarButtonState(IDM_BACKWARD, gBackward != 0, !map);
    CheckMenuItem(gFrameMenu, IDM_BACKWARD, MF_BYCOMMAND | (gBackward ? MF_CHECKED : MF_UNCHECKED));
}

// Command 201: a new kind or dimension reallocates the workspace. When that
// fails the user may choose again (Cancel) or leave the program (OK).
void TypeCommand(HWND frame) {
    if (IsBusy()) return;
    for (;;) {
        HWND focus = GetFocus();
        if (RunSettingsCommand(frame, IDM_TYPE) == 1) gProblemChanged = 1;
        if (!gWorkspaceReady) NewProblemWorkspace();
        RefreshBrowsers();
        if (gWorkspaceReady) {
            ShowBackwardState();
            if (focus && IsWindow(focus)) SetFocus(focus);
            UpdateCommandStates();
            return;
        }
        if (AskOkCancel(IDS_OUT_OF_MEMORY_EXIT)) break;
    }
    SendMessageA(frame, WM_COMMAND, IDM_CLOSE_ALL_SILENT, 0);
    DestroyWindow(frame);
    RefreshBrowsers();
}

// The dialogs store only on OK; options are written at once, a change of
// the problem marks it changed.
void SettingsCommand(HWND frame, int id) {
    if (RunSettingsCommand(frame, id) != 1) return;
    if (id == IDM_PREFERENCES) WriteOptions();
    else gProblemChanged = 1;
    if (gGraphWindowHooks.refreshCommandStates) gGraphWindowHooks.refreshCommandStates();
}

// New windows change the set that a run walks after every point: refused
// during a run as every other change of that set is.
void NewChildCommand(HWND frame, int isGraph) {
    if (IsBusy()) return;
    gPending.showState = 0;
    gPending.width = 0;
    HWND child = CreateChildWindow(isGraph, 0);
    if (!child) return;
    if (isGraph && gAxesElement) {
        if ((gCurrentGraph = GraphStateOf(child)) != nullptr)
            if (GraphicsElement *e = AddGraphicsElement(0)) e->kind = kElementAxes;
    }
    gProblemChanged = 1;
    // The new window is the active one: its format dialog comes next.
    SettingsCommand(frame, isGraph ? IDM_GRAPHICS_FORMAT : IDM_TEXT_FORMAT);
}

// Clone, copy and paste of windows; refused while busy, as every change of
// the set of windows is. A paste that brought no window changes nothing.
void WindowClipboardCommand(int id, HWND active) {
    if (IsBusy()) return;
    const int before = ChildCount();
    switch (id) {
    case IDM_CLONE:
        if (active) DuplicateWindow(active);
        break;
    case IDM_COPY_WINDOW:
        if (active) CopyWindowToClipboard(active);
        break;
    case IDM_PASTE_WINDOW: PasteWindowFromClipboard(); break;
    }
    if (ChildCount() > before) {
        gProblemChanged = 1;
        FocusActiveChild();
    }
    UpdateFrameMenuStates();
}

void StartCommand() {
    gRunState.canContinue = 0;
    StartSolving();
}

void BackwardCommand() {
    if ((gProblemKind == kMap) || gRunning) return;
    gProblemChanged = 1;
    gBackward = !gBackward;
    CheckMenuItem(gFrameMenu, IDM_BACKWARD, MF_BYCOMMAND | (gBackward ? MF_CHECKED : MF_UNCHECKED));
    UpdateFrameMenuStates();
}

void HtmlNotesCommand(bool edit) {
    const int exists = FindHtmlNotesFile();
    if (!edit) {
        if (exists) ShellExecuteA(gFrameWindow, "open", gHtmlNotesFile, nullptr, nullptr, SW_SHOWNORMAL);
        else ShowErrorBox(IDS_NO_HTML_FILE);
        return;
    }
    if (!exists) {
        HANDLE h = CreateFileA(gHtmlNotesFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    ShellExecuteA(gFrameWindow, "edit", gHtmlNotesFile, nullptr, nullptr, SW_SHOWNORMAL);
}

void AboutCommand(HWND frame) {
    HWND active = GetActiveWindow();
    DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_ABOUT), frame, AboutDlgProc, 0);
    if (active) SetActiveWindow(active);
}

// The Draw commands act on a graph window only; full screen also with a
// text window or none.
void DrawCommand(int id) {
    if (!CommandBuilt(id)) return;
    HWND child = ActiveChild();
    if (GraphWindowState *g = child ? GraphStateOf(child) : nullptr) {
        gCurrentGraph = g;
        GraphWindowCommand(id);
    } else if (id == IDM_FULL_SCREEN) {
        GraphWindowCommand(id);
    }
}

void OnCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (gHelpMode) {
        gHelpMode = 0;
        ShowHelpTopic(MapCommandToHelpContext(id));
        return;
    }
    if (id >= IDM_REFRESH_WINDOW && id <= IDM_PREVIOUS_FRACTAL_ORDER) {
        DrawCommand(id);
        return;
    }
    if (!CommandBuilt(id)) {
        if (id >= VR_FIRST_CHILD_ID) DefFrameProcA(frame, gMdiClient, WM_COMMAND, wParam, lParam);
        return;
    }
    if (id == IDM_TYPE) {
        TypeCommand(frame);
        return;
    }
    if (IsSettingsCommand(id)) {
        SettingsCommand(frame, id);
        return;
    }
    switch (id) {
    case IDM_NEW: NewProblem(frame, lParam == kNewBeforeLoading); return;
    case IDM_INITIAL_BROWSER:
    case IDM_PARAMETER_BROWSER:
        ShowBrowser(id - IDM_INITIAL_BROWSER);
        if (lParam == kBrowserAtStartup) SetFocus(frame);
        return;
    case IDM_OPEN:
    case IDM_OPEN_EXAMPLE: LoadCommand(frame, id); return;
    case IDM_SAVE:
    case IDM_SAVE_AS: SaveProblemFile(frame, id == IDM_SAVE_AS); return;
    case IDM_PRINTER_SETUP: ShowPrinterSetup(frame); return;
    case IDM_PRINT: PrintActiveWindow(frame); return;
    case IDM_EXIT:
        if (!IsBusy()) SendMessageA(frame, WM_CLOSE, 0, 0);
        return;
    case IDM_NEW_INSTANCE: LaunchSelf("/r"); return;
    case IDM_OPEN_COPY: OpenCopy(); return;
    case IDM_HTML_NOTES: HtmlNotesCommand(false); return;
    case IDM_PLOTTER_OUTPUT:
        gPlotterOutputOn = !gPlotterOutputOn;
        UpdateCommandStates();
        return;
    case IDM_DRAW_TO_PLOTTER: RedrawPlotterGraphs(); return;
    case IDM_EJECT_PAGE: FinishPlotterOutput(0); return;
    case IDM_WRITE_EPILOG: FinishPlotterOutput(1); return;
    case IDM_EDIT_HTML_NOTES: HtmlNotesCommand(true); return;
    case IDM_NEW_GRAPH: NewChildCommand(frame, 1); return;
    case IDM_NEW_TEXT: NewChildCommand(frame, 0); return;
    case IDM_ERASE_WINDOW: {
        HWND target = reinterpret_cast<HWND>(lParam);
        if (!GraphStateOf(target)) target = ActiveChild();
        if (target) EraseWindow(target);
        return;
    }
    case IDM_ERASE_ALL:
        if (ChildCount()) {
            HWND target = ActiveChild();
            ForEachChild(EraseWindow);
            SetFocus(nullptr);
            SetFocus(gMdiClient);
            if (target) SetFocus(target);
        }
        return;
    case IDM_CASCADE: SendMessageA(gMdiClient, WM_MDICASCADE, 0, 0); return;
    case IDM_TILE_HORIZONTAL: SendMessageA(gMdiClient, WM_MDITILE, MDITILE_HORIZONTAL, 0); return;
    case IDM_TILE_VERTICAL: SendMessageA(gMdiClient, WM_MDITILE, MDITILE_VERTICAL, 0); return;
    case IDM_ARRANGE_ICONS: SendMessageA(gMdiClient, WM_MDIICONARRANGE, 0, 0); return;
    case IDM_CLOSE:
        if (IsBusy()) return;
        if (HWND child = ActiveChild()) {
            SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            gProblemChanged = 1;
        }
        return;
    case IDM_CLONE:
    case IDM_COPY_WINDOW:
    case IDM_PASTE_WINDOW: WindowClipboardCommand(id, ActiveChild()); return;
    case IDM_CLOSE_ALL:
    case IDM_CLOSE_ALL_SILENT:
        if (IsBusy()) return;
        if (id == IDM_CLOSE_ALL && ChildCount()) gProblemChanged = 1;
        CloseAllChildren();
        return;
    case IDM_START: StartCommand(); return;
    case IDM_STOP:
        gRunState.stopRequested = 1;
        gRedrawInProgress = 0;
        return;
    case IDM_CONTINUE:
        if (gRunState.canContinue && !gRunning) StartSolving();
        return;
    case IDM_BACKWARD: BackwardCommand(); return;
    case IDM_HELP_INDEX: ShowHelp(gMdiClient, gHelpFile, kHelpFinder, 0); return;
    case IDM_HELP_SEARCH: ShowHelp(gMdiClient, gHelpFile, kHelpPartialKey, reinterpret_cast<ULONG_PTR>("")); return;
    case IDM_HELP_ON_HELP: ShowHelpTopic(kHelpOnHelpTopic); return;
    case IDM_ABOUT: AboutCommand(frame); return;
    case IDM_CODE_LIBRARY_HELP:
        if (gCodeLibraryHelpFile[0]) ShowHelp(gMdiClient, gCodeLibraryHelpFile, HELP_CONTENTS, 0);
        return;
    case IDM_CALCULATOR: ShowCalculator(frame); return;
    case IDM_MAIL: MailProblem(frame); return;
    case IDM_EXTERNAL_CODES:
    case IDM_MATH_EXTENSIONS:
    case IDM_PLOTTER_DRIVERS:
    case IDM_FONT_FILES:
        if (!IsBusy()) RunExtensionListsDialog(frame, id - IDM_EXTERNAL_CODES);
        return;
    case IDM_ESCAPE_SEQUENCES: EditEscapeSequences(frame); return;
    case IDM_SHOW_FONTS: ShowFontsHelp(); return;
    case IDM_GET_SCREEN: CopyActiveWindow(); return;
    case IDM_PUT_SCREEN: PastePicture(); return;
    case IDM_SAVE_SCREEN: SaveScreenCommand(); return;
    case IDM_LOAD_SCREEN: LoadScreenCommand(); return;
    case IDM_SAVE_POINTS: SavePointsCommand(); return;
    case IDM_UPDATES: RunUpdater(); return;
    case IDM_NOTES: OpenNotesEditor(); return;
    case IDM_TOOLBARS: CustomizeToolbars(); return;
    case IDM_ALL_SETTINGS: OpenAllSettingsEditor(); return;
    case IDM_EDITOR_NOTES_CLOSED:
    case IDM_EDITOR_ALL_CLOSED: ApplyEditorText(id - IDM_EDITOR_NOTES_CLOSED); return;
    }
    if (id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST) {
        gRecentSlotToOpen = id - IDM_RECENT_FIRST + 1;
        PostMessageA(frame, WM_COMMAND, IDM_OPEN, 0);
        return;
    }
    if (id >= kMathHelpFirstCommand && id < kMathHelpFirstCommand + gMathLibraryCount) {
        OpenMathLibraryHelp(id - kMathHelpFirstCommand);
        return;
    }
    if (HWND child = ActiveChild()) SendMessageA(child, WM_COMMAND, wParam, lParam);
    else if (id >= VR_FIRST_CHILD_ID) DefFrameProcA(frame, gMdiClient, WM_COMMAND, wParam, lParam);
}

// Closing asks to save, then every child; one that stays keeps the frame.
bool PrepareToClose(HWND frame) {
    if (IsBusy() || !AcceptEditorsBeforeClose() || !QuerySaveProblem(frame)) return false;
    gClosing = 1;
    for (int i = 0; i < 2; ++i)
        WriteOptionInt(i ? IDS_KEY_BROWSERP_VISIBLE : IDS_KEY_BROWSER0_VISIBLE,
                       gSavePosition && gBrowserDialogs[i] && IsWindowVisible(gBrowserDialogs[i]));
    SendMessageA(frame, WM_COMMAND, IDM_CLOSE_ALL_SILENT, 0);
    if (ChildCount()) {
        gClosing = 0;
        return false;
    }
    return true;
}

void OnCreate(HWND frame) {
    gFrameWindow = frame;
    gStatusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", 0x50800010, 0, 0, 0, 0, frame, nullptr, gInstance, nullptr);
    if (gStatusBar) {
        RECT r;
        GetWindowRect(gStatusBar, &r);
        gStatusBarHeight = r.bottom - r.top;
        gPreviousStatusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(gStatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusBarWndProc)));
    }
    gNextClipboardViewer = SetClipboardViewer(frame);
    CLIENTCREATESTRUCT ccs = {GetSubMenu(GetMenu(frame), kWindowMenu), VR_FIRST_CHILD_ID};
    DWORD style = 0x52800000;
    if (gUseScrollBars) style |= WS_HSCROLL | WS_VSCROLL;
    gMdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, style, 0, 0, 0, 0, frame, reinterpret_cast<HMENU>(1),
                                 gInstance, &ccs);
    if (gMdiClient)
        gPreviousClientProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(gMdiClient, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MdiClientWndProc)));
    CreateToolbars(frame);
}

void OnDropFiles(HWND frame, HDROP drop) {
    SetForegroundWindow(frame);
    if (QuerySaveProblem(frame)) {
        gProblemChanged = 0;
        char path[kPathSize];
        // A name that does not fit is not cut: the Load then reports it missing.
        if (DragQueryFileA(drop, 0, nullptr, 0) < kPathSize) {
            DragQueryFileA(drop, 0, path, sizeof path);
            std::snprintf(gProblemPath, sizeof gProblemPath, "%s", path);
        }
    }
    DragFinish(drop);
    gFileNamePending = 1;
    PostMessageA(frame, WM_COMMAND, IDM_OPEN, 0);
}

void OnMouseWheel(WPARAM wParam) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    UINT perNotch = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    int lines = (delta < 0 ? -delta : delta) * static_cast<int>(perNotch) / WHEEL_DELTA;
    SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(gMdiClient, SB_VERT, &si)) return;
    const int room = delta > 0 ? si.nPos - si.nMin : si.nMax - si.nPos - 1;
    if (lines > room) lines = room;
    for (int i = 0; i < lines; ++i)
        SendMessageA(gMdiClient, WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

// A maximised child has no caption of its own: a click on the frame's shows
// a graph window's size.
void ShowMaximizedGraphSize() {
    BOOL maximized = FALSE;
    HWND child = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0,
                                                                  reinterpret_cast<LPARAM>(&maximized)))
                            : nullptr;
    if (!child || !maximized) return;
    SendMessageA(child, SyncStateMessage, 0, 0);
    if (GraphStateOf(child)) ShowWindowSizeStatus(child);
}

LRESULT AnswerTestHook(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case kTestHookControlWord: return static_cast<LRESULT>(ReadFpuControlWord());
    case kTestHookFault: *static_cast<volatile int *>(nullptr) = 1; return 0;
    case kTestHookProblemChanged: return gProblemChanged;
    case kTestHookRunning: return gRunning;
    case kTestHookRunsStarted: return gRunsStarted;
    case kTestHookChildCount: return ChildCount();
    case kTestHookDiskFull: gSimulateDiskFull = static_cast<int>(lParam); return 1;
    case kTestHookMenuText: {
        char text[256] = "";
        if (!GetMenuStringA(gFrameMenu, static_cast<UINT>(lParam), text, sizeof text, MF_BYCOMMAND)) return 0;
        return GlobalAddAtomA(text[0] ? text : " ");
    }
    case kTestHookStatusText: {
        char text[1024] = "";
        // The simple part is read as index 0, as the bar answers it.
        const WPARAM part = lParam == 255 ? 0 : static_cast<WPARAM>(lParam);
        if (gStatusBar && LOWORD(SendMessageA(gStatusBar, SB_GETTEXTLENGTHA, part, 0)) < sizeof text)
            SendMessageA(gStatusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        text[255] = 0;
        return GlobalAddAtomA(text[0] ? text : " ");
    }
    case kTestHookMenuState:
        if (lParam < 0) return static_cast<LRESULT>(GetMenuState(gFrameMenu, static_cast<UINT>(-1 - lParam), MF_BYPOSITION));
        return static_cast<LRESULT>(GetMenuState(gFrameMenu, static_cast<UINT>(lParam), MF_BYCOMMAND));
    }
    return 0;
}

// An atom holds at most 255 characters: a longer path goes as its short
// form, which the asking instance compares in short form anyway; when even
// that does not fit, no answer (never a cut path that might match another).
LRESULT AnswerQuery(WPARAM wParam, LPARAM lParam) {
    if (std::strlen(gProblemPath) <= kMaxAtomLength) return AnswerInstanceQuery(wParam, lParam, gProblemPath);
    char shortPath[kPathSize];
    const DWORD n = GetShortPathNameA(gProblemPath, shortPath, sizeof shortPath);
    if (n == 0 || n > kMaxAtomLength) return 0;
    return AnswerInstanceQuery(wParam, lParam, shortPath);
}

}  // namespace

int IsBusy() { return gRunning || gRedrawInProgress || gCursorActionInProgress; }

void UpdateFrameTitle() {
    if (!gFrameWindow) return;
    char title[2 * kPathSize + 4];
    if (*gProblemPath) std::snprintf(title, sizeof title, "%s - %s", gCaption, ShortenPathForMenu(gProblemPath, 0));
    else std::snprintf(title, sizeof title, "%s", gCaption);
    SetWindowTextA(gFrameWindow, title);
}

void UpdateFrameMenuStates() { UpdateCommandStates(); }

bool IsCommandBuilt(int id) { return CommandBuilt(id); }

void LayoutFrame(int width, int height, int fromClient) {
    if (fromClient && gFrameWindow) {
        RECT r;
        GetClientRect(gFrameWindow, &r);
        width = r.right;
        height = r.bottom;
    }
    const int s = gStatusBar ? gStatusBarHeight : 0;
    HDWP defer = BeginDeferWindowPos(2 + kToolbarCount);
    if (gStatusBar && defer)
        defer = DeferWindowPos(defer, gStatusBar, nullptr, 0, height - s, width, s, SWP_SHOWWINDOW | SWP_NOZORDER);
    const RECT free = LayoutToolbars(defer, width, height - s);
    if (gMdiClient && defer)
        defer = DeferWindowPos(defer, gMdiClient, nullptr, free.left, free.top, free.right - free.left,
                               free.bottom - free.top + (free.bottom == height - s ? 2 : 0), SWP_SHOWWINDOW | SWP_NOZORDER);
    if (defer) EndDeferWindowPos(defer);
    if (gStatusBar) {
        int parts[3] = {width / 2, width / 2 + width / 4, -1};
        SendMessageA(gStatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    }
}

void SetStatusFont() {
    if (!gStatusBar) return;
    int font;
    if (gStatusMode) font = gBoldStatusLine ? SYSTEM_FIXED_FONT : ANSI_FIXED_FONT;
    else font = gBoldStatusLine ? SYSTEM_FONT : ANSI_VAR_FONT;
    SendMessageA(gStatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(font)), TRUE);
}

void SetStatusText(int recentSlot, int stringId, int mode) {
    if (mode != gStatusMode) {
        gStatusMode = mode;
        SetStatusFont();
    }
    if (stringId == -1 || !gStatusBar) return;
    if (stringId) std::snprintf(gStatusBuffer, sizeof gStatusBuffer, "%s", LoadTextResource(stringId));
    else if (recentSlot < 0 || recentSlot >= gRecentProblemCount) gStatusBuffer[0] = 0;
    else std::snprintf(gStatusBuffer, sizeof gStatusBuffer, "%s", gRecentProblems[recentSlot]);
    // Each switch repaints the bar: sent only when the mode changes.
    if (gStatusSimple != (mode == 0)) {
        gStatusSimple = mode == 0;
        SendMessageA(gStatusBar, SB_SIMPLE, gStatusSimple, 0);
    }
    const char *text = gStatusBuffer[0] || mode == 0 ? gStatusBuffer : gStatusReadout;
    SendMessageA(gStatusBar, SB_SETTEXTA, mode == 0 ? 255 : 0, reinterpret_cast<LPARAM>(text));
    // Menu help lasts until the mouse moves on.
    gStatusReadoutShown = mode == 0;
}

void KeepStatusReadout(const char *text) {
    std::snprintf(gStatusReadout, sizeof gStatusReadout, "%s", text ? text : "");
}

void ShowStatusReadout() { SetStatusText(-1, 0, 1); }

void SetStatusReadout(const char *text) {
    KeepStatusReadout(text);
    ShowStatusReadout();
}

const char *StatusReadout() { return gStatusReadout; }

void ShowMenuHelp(HWND, HMENU menu, UINT item, HMENU submenu, UINT flags) {
    if (flags == 0xFFFF && !menu) {
        // The menu closed: back to the read-out.
        SetStatusText(-1, 0, 1);
        return;
    }
    if (gShowHints == 2 || (flags & MF_SYSMENU) || (gShowHints == 1 && (flags & (MF_GRAYED | MF_DISABLED)))) {
        SetStatusText(-1, 0, 1);
        return;
    }
    if (flags & MF_POPUP) {
        for (int i = 0; i < 8; ++i)
            if (GetSubMenu(gFrameMenu, i) == submenu) {
                SetStatusText(-1, kStatusHelpStringOffset + i, 0);
                return;
            }
        for (int p = 1; gDrawMenu && p < GetMenuItemCount(gDrawMenu); ++p)
            if (GetSubMenu(gDrawMenu, p) == submenu) {
                SetStatusText(-1, kDrawPopupHelpStringOffset + p, 0);
                return;
            }
        return;
    }
    int id = static_cast<int>(item);
    if (id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST) {
        SetStatusText(id - IDM_RECENT_FIRST, 0, 0);
        return;
    }
    // Child windows share one text, the code libraries' and plug-ins' items
    // another, and the Help menu's reserved block 921-930 a third.
    if (id >= VR_FIRST_CHILD_ID) id = IDM_CODE_LIBRARY_HELP;
    else if (id >= IDM_CODE_LIBRARY_SEPARATOR) id = IDM_CODE_LIBRARY_SEPARATOR;
    else if (id >= kHelpMenuReservedFirst && id <= kHelpMenuReservedLast) id = kHelpMenuReservedFirst;
    SetStatusText(-1, kStatusHelpStringOffset + id, 0);
}

int FindHtmlNotesFile() {
    std::snprintf(gHtmlNotesFile, sizeof gHtmlNotesFile, "%s", gProblemPath);
    char *dot = std::strrchr(gHtmlNotesFile, '.');
    if (!*gHtmlNotesFile || !dot) {
        std::snprintf(gHtmlNotesFile, sizeof gHtmlNotesFile, "new.html");
        return 0;
    }
    const size_t room = sizeof gHtmlNotesFile - static_cast<size_t>(dot + 1 - gHtmlNotesFile);
    for (const char *extension : {"mht", "htm", "html"}) {
        std::snprintf(dot + 1, room, "%s", extension);
        if (GetFileAttributesA(gHtmlNotesFile) != INVALID_FILE_ATTRIBUTES) return 1;
    }
    return 0;
}

HWND CreateChildWindow(int isGraph, int problemBitmapMode) {
    const char *cls = isGraph ? kGraphWindowClass : kTextWindowClass;
    char title[64];
    std::snprintf(title, sizeof title, "%s", MakeUniqueTitle(isGraph ? IDS_GRAPH_WINDOW_TITLE : IDS_TEXT_WINDOW_TITLE));
    const bool placed = gPending.width && gPending.height;
    MDICREATESTRUCTA create = {cls,
                               title,
                               gInstance,
                               placed ? gPending.x : CW_USEDEFAULT,
                               placed ? gPending.y : CW_USEDEFAULT,
                               placed ? gPending.width : CW_USEDEFAULT,
                               placed ? gPending.height : CW_USEDEFAULT,
                               0,
                               0};
    const int savedOutputBitmap = gOutputBitmap;
    if (problemBitmapMode) gOutputBitmap = problemBitmapMode;
    HWND child = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    gOutputBitmap = savedOutputBitmap;
    gPending.width = gPending.height = 0;
    if (!child) {
        ShowErrorBox(IDS_CANNOT_CREATE_CHILD);
        return nullptr;
    }
    if (gPending.showState == -1) ShowWindow(child, SW_MINIMIZE);
    else if (gPending.showState == 1) SendMessageA(gMdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
    return child;
}

LRESULT CALLBACK FrameWndProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(frame); return 0;
    case WM_SIZE: LayoutFrame(LOWORD(lParam), HIWORD(lParam), 0); return 0;
    case WM_COMMAND: OnCommand(frame, wParam, lParam); return 0;
    case WM_CLOSE:
        if (!PrepareToClose(frame)) return 0;
        break;
    case WM_QUERYENDSESSION: return IsBusy() || !QuerySaveProblem(frame) ? 0 : 1;
    case WM_ENDSESSION:
        if (wParam) {
            RegisterRunOnceRestart(gProblemPath);
            if (gSavePosition) SaveFramePlacement(frame);
            WriteRecentProblems();
            gClosing = 1;
            SendMessageA(frame, WM_COMMAND, IDM_CLOSE_ALL_SILENT, 0);
            if (ChildCount()) gClosing = 0;
        }
        return 0;
    case WM_DESTROY:
        gRedrawInProgress = 0;
        ClearStatusReadout();
        DestroyToolbars();
        DestroyCommandPopup();
        if (gSavePosition) SaveFramePlacement(frame);
        if (gHelpUsed) ShowHelp(frame, gHelpFile, kHelpQuit, 0);
        if (gNextClipboardViewer || GetClipboardViewer() == frame) ChangeClipboardChain(frame, gNextClipboardViewer);
        UnloadShlwapi();
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
    case WM_TIMER:
        if (gRunState.pauseArmed) EndPause();
        break;
    case WM_WININICHANGE:
        // The system's printers changed: the kept selection may name one
        // that is gone.
        if (!lParam || lstrcmpiA(reinterpret_cast<const char *>(lParam), "windows") == 0) FreePrinterSelection();
        break;
    case WM_DEVMODECHANGE: FreePrinterSelection(); break;
    case WM_GETMINMAXINFO:
        // Full screen moves the frame's edges past the screen's.
        if (gFullScreenResizing) {
            MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
            info->ptMaxTrackSize.x = 2 * GetSystemMetrics(SM_CXSCREEN);
            info->ptMaxTrackSize.y = 2 * GetSystemMetrics(SM_CYSCREEN);
            return 0;
        }
        break;
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
        UpdateFrameMenuStates();
        if (gHelpMode) SetCursor(gHelpCursor);
        break;
    case WM_MENUSELECT:
        ShowMenuHelp(frame, reinterpret_cast<HMENU>(lParam), LOWORD(wParam),
                     (HIWORD(wParam) & MF_POPUP) ? GetSubMenu(reinterpret_cast<HMENU>(lParam), LOWORD(wParam)) : nullptr,
                     HIWORD(wParam));
        return 0;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && (GetKeyState(VK_F1) & 0x8000)) {
            gHelpMode = 1;
            PostMessageA(frame, WM_KEYDOWN, VK_RETURN, 0);
        }
        break;
    case WM_SETCURSOR:
        if (gHelpMode) {
            SetCursor(gHelpCursor);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        if (gHelpMode) {
            gHelpMode = 0;
            ShowHelpTopic(kHelpFrameClient);
            return 0;
        }
        break;
    case WM_NCLBUTTONDOWN:
        if (ShowWindowPartHelp(&gHelpMode, static_cast<int>(wParam), kHelpClient)) return 0;
        if (!gHelpMode) ShowMaximizedGraphSize();
        break;
    case WM_MOUSEMOVE: ClearStatusReadout(); break;
    case WM_MOUSEWHEEL: OnMouseWheel(wParam); return 0;
    case WM_DROPFILES: OnDropFiles(frame, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_NOTIFY:
        if (HandleToolbarTooltip(reinterpret_cast<NMHDR *>(lParam))) return 0;
        break;
    case WM_DRAWCLIPBOARD:
        UpdatePasteCommands();
        if (gNextClipboardViewer) SendMessageA(gNextClipboardViewer, message, wParam, lParam);
        return 0;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == gNextClipboardViewer) gNextClipboardViewer = reinterpret_cast<HWND>(lParam);
        else if (gNextClipboardViewer) SendMessageA(gNextClipboardViewer, message, wParam, lParam);
        return 0;
    case kInstanceQueryMessage: return AnswerQuery(wParam, lParam);
    case kTestHookMessage:
        if (gTestHooks) return AnswerTestHook(wParam, lParam);
        return 0;
    }
    return DefFrameProcA(frame, gMdiClient, message, wParam, lParam);
}

bool OnContextHelpKey(int *helpMode, WPARAM key) {
    if (key == VK_F1 && (GetKeyState(VK_SHIFT) & 0x8000)) {
        *helpMode = 1;
        SetCursor(gHelpCursor);
        return true;
    }
    if (key != VK_ESCAPE) return false;
    if (*helpMode) *helpMode = 0;
    else if (gRunning) PostMessageA(gFrameWindow, WM_COMMAND, IDM_STOP, 0);
    return true;
}

LRESULT CALLBACK MdiClientWndProc(HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (gHelpMode) {
            SetCursor(gHelpCursor);
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        if (OnContextHelpKey(&gHelpMode, wParam)) return 0;
        break;
    case WM_LBUTTONDOWN:
        if (gHelpMode) {
            gHelpMode = 0;
            ShowHelpTopic(kHelpClient);
            return 0;
        }
        break;
    case WM_MOUSEMOVE: ClearStatusReadout(); break;
    case WM_MOUSEWHEEL:
        if (!(GetWindowLongA(client, GWL_STYLE) & WS_VSCROLL)) return 0;
        break;
    case WM_CONTEXTMENU: {
        // A right click on the client, or one that a child passes up.
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (p.x == -1 && p.y == -1) ShowCommandPopupMenu(client, -1, -1);
        else {
            ScreenToClient(client, &p);
            ShowCommandPopupMenu(client, p.x, p.y);
        }
        return 1;
    }
    }
    return CallWindowProcA(gPreviousClientProc, client, message, wParam, lParam);
}

LRESULT CALLBACK StatusBarWndProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gHelpMode) {
        if (message == WM_SETCURSOR) {
            SetCursor(gHelpCursor);
            return TRUE;
        }
        if (message == WM_LBUTTONDOWN) {
            gHelpMode = 0;
            ShowHelpTopic(kHelpStatusBar);
            return 0;
        }
    }
    return CallWindowProcA(gPreviousStatusProc, bar, message, wParam, lParam);
}

bool RegisterFrameClass() {
    WNDCLASSA c = {};
    c.lpfnWndProc = FrameWndProc;
    c.hInstance = gInstance;
    c.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    c.lpszMenuName = MAKEINTRESOURCEA(IDR_FRAME);
    c.lpszClassName = "VR_Frame";
    return RegisterClassA(&c) != 0;
}

bool RegisterGraphClass() { return RegisterGraphWindowClass(gInstance) != 0; }

void UpdateCodeLibraryHelpItem(const char *entry, const char *helpFile) {
    HMENU help = nullptr;
    for (int i = 0; gFrameMenu && i < GetMenuItemCount(gFrameMenu) && !help; ++i) {
        HMENU sub = GetSubMenu(gFrameMenu, i);
        if (sub && GetMenuState(sub, IDM_ABOUT, MF_BYCOMMAND) != static_cast<UINT>(-1)) help = sub;
    }
    if (!help) return;
    DeleteMenu(help, IDM_CODE_LIBRARY_SEPARATOR, MF_BYCOMMAND);
    DeleteMenu(help, IDM_CODE_LIBRARY_HELP, MF_BYCOMMAND);
    if (!entry || !*entry || !helpFile || !*helpFile) return;
    AppendMenuA(help, MF_SEPARATOR, IDM_CODE_LIBRARY_SEPARATOR, nullptr);
    AppendMenuA(help, MF_STRING, IDM_CODE_LIBRARY_HELP, entry);
}
