#include "ui_lock.h"

#include "platform_win32.h"
#include "settings.h"
#include "solver_method.h"

HACCEL gFrameAccelerators;
HWND gBrowserDialogs[2];
HWND gCalculatorDialog;
HWND gFindReplaceDialog;
HWND gEditorTextControls[2];
int gRunning;
int gRunsStarted;
int gUserAbort;
UiLockHooks gUiLockHooks;

namespace {

// Which browsers were visible when the run started.
bool gBrowserWasVisible[2];

enum ChildKind { kChildOther = 0, kChildGraph = 1, kChildText = 2 };

ChildKind KindOf(HWND child) {
    char name[16];
    if (!child || !GetClassNameA(child, name, sizeof name)) return kChildOther;
    if (lstrcmpiA(name, "VR_Graph") == 0) return kChildGraph;
    if (lstrcmpiA(name, "VR_Text") == 0) return kChildText;
    return kChildOther;
}

void SetMenuCommand(int command, bool enabled) {
    if (HMENU menu = gFrameWindow ? GetMenu(gFrameWindow) : nullptr)
        EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (gUiLockHooks.setToolbarButtonState) gUiLockHooks.setToolbarButtonState(command, -1, enabled);
}

// Close in the frame's system menu and in every child's.
void SetCloseEnabled(bool enabled) {
    if (gFrameWindow)
        if (HMENU system = GetSystemMenu(gFrameWindow, FALSE))
            EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (gMdiClient) EnumChildWindows(gMdiClient, SetChildCloseProc, enabled);
}

// A maximised child's system menu comes first in the menu bar and moves
// the top-level menus one place on.
void SetRunMenusEnabled(int shift, bool enabled) {
    HMENU menu = gFrameWindow ? GetMenu(gFrameWindow) : nullptr;
    if (!menu) return;
    for (int position : kRunLockedMenus)
        EnableMenuItem(menu, static_cast<UINT>(position + shift), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void UpdateCommandStatesHook() {
    if (gUiLockHooks.updateCommandStates) gUiLockHooks.updateCommandStates();
}

}  // namespace

int GetActiveChild(HWND *window) {
    BOOL maximized = FALSE;
    *window = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0,
                                                               reinterpret_cast<LPARAM>(&maximized)))
                         : nullptr;
    return *window && maximized ? 1 : 0;
}

BOOL CALLBACK SetChildCloseProc(HWND child, LPARAM enable) {
    // The enumeration reaches the children's controls too; they have no
    // system menu of their own.
    if (GetWindowLongA(child, GWL_STYLE) & WS_SYSMENU)
        if (HMENU system = GetSystemMenu(child, FALSE))
            EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    return TRUE;
}

void RedrawFrameMenu() {
    if (gFrameWindow) DrawMenuBar(gFrameWindow);
}

void LockUiForRun() {
    gRunState.stopRequested = 0;
    gRunning = 1;
    ++gRunsStarted;
    HWND child;
    const int shift = GetActiveChild(&child);
    if (KindOf(child) == kChildGraph && gUiLockHooks.setGraphCaret) gUiLockHooks.setGraphCaret(child, 0);
    SetCloseEnabled(false);
    SetRunMenusEnabled(shift, false);
    UpdateCommandStatesHook();
    SetMenuCommand(kCmdStart, false);
    SetMenuCommand(kCmdContinue, false);
    SetMenuCommand(kCmdStop, true);
    RedrawFrameMenu();
    HideToolWindows();
}

void UnlockUiAfterRun() {
    if (gUiLockHooks.endPause) gUiLockHooks.endPause();
    gRunState.stopRequested = 1;
    gRunning = 0;
    HWND child;
    const int shift = GetActiveChild(&child);
    const ChildKind kind = KindOf(child);
    if (kind != kChildOther && gUiLockHooks.makeChildCurrent) gUiLockHooks.makeChildCurrent(child);
    if (kind == kChildGraph && gUiLockHooks.setGraphCaret) gUiLockHooks.setGraphCaret(child, 1);
    SetCloseEnabled(true);
    SetRunMenusEnabled(shift, true);
    UpdateCommandStatesHook();
    SetMenuCommand(kCmdStart, true);
    SetMenuCommand(kCmdStop, false);
    gRunState.canContinue = 1;
    SetMenuCommand(kCmdContinue, true);
    RedrawFrameMenu();
    RestoreToolWindows(0);
}

void HideToolWindows() {
    for (int i = 0; i < 2; ++i) {
        HWND browser = gBrowserDialogs[i];
        if (!browser || !IsWindowVisible(browser)) continue;
        gBrowserWasVisible[i] = true;
        if (gHideBrowsers) ShowWindow(browser, SW_HIDE);
        else EnableWindow(browser, FALSE);
    }
}

void RestoreToolWindows(int refresh) {
    for (int i = 0; i < 2; ++i) {
        if (!gBrowserWasVisible[i]) continue;
        gBrowserWasVisible[i] = false;
        if (HWND browser = gBrowserDialogs[i]) {
            // Both ways back, so that a change of the option meanwhile
            // leaves no browser hidden or disabled.
            EnableWindow(browser, TRUE);
            ShowWindow(browser, SW_SHOWNA);
        }
    }
    if (gFrameWindow) SetFocus(gFrameWindow);
    if (refresh && gUiLockHooks.refreshBrowsers) gUiLockHooks.refreshBrowsers();
}

namespace {

bool FocusInEditor() {
    HWND focus = GetFocus();
    return focus && (focus == gEditorTextControls[0] || focus == gEditorTextControls[1]);
}

bool TakenByModelessDialog(MSG &msg) {
    HWND dialogs[] = {gFindReplaceDialog, gBrowserDialogs[0], gBrowserDialogs[1], gCalculatorDialog};
    for (HWND d : dialogs)
        if (d && IsDialogMessageA(d, &msg)) return true;
    return false;
}

bool TakenByAccelerators(MSG &msg) {
    if (FocusInEditor()) return false;
    if (gMdiClient && TranslateMDISysAccel(gMdiClient, &msg)) return true;
    return gFrameWindow && gFrameAccelerators && TranslateAcceleratorA(gFrameWindow, gFrameAccelerators, &msg);
}

// Whatever runs inside the dispatch may switch the current windows; the
// long operation goes on with its own.
void DispatchOne() {
    void *graph = nullptr, *text = nullptr;
    if (gUiLockHooks.saveCurrentWindows) gUiLockHooks.saveCurrentWindows(&graph, &text);
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && !TakenByModelessDialog(msg) && !TakenByAccelerators(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (gUiLockHooks.restoreCurrentWindows) gUiLockHooks.restoreCurrentWindows(graph, text);
}

}  // namespace

int PumpMessagesCheckEscape() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && gFrameWindow && msg.hwnd == gFrameWindow &&
            PeekMessageA(&msg, gFrameWindow, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE))
            return 1;
        // A quit taken from the queue here would be lost: the program would
        // not end. It waits with paints and commands.
        if (msg.message == WM_PAINT || msg.message == WM_COMMAND || msg.message == WM_QUIT) return 0;
        DispatchOne();
    }
    return 0;
}

int CheckUserAbort() {
    if (gUserAbort) return 1;
    if (PumpMessagesCheckEscape()) gUserAbort = 1;
    return gUserAbort;
}
