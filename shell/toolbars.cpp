// The five toolbars around the client, the graph windows' popup menu, and
// the one routine that enables menu items and buttons from the state of the
// program.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "app.h"
#include "command_state.h"
#include "graph_cursor.h"
#include "graph_window_win32.h"
#include "messages.h"  // LoadTextResource
#include "plotter.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings.h"
#include "solver_method.h"
#include "toolbars.h"
#include "ui_lock.h"
#include "window_helpers.h"
#include "workspace.h"

HWND gToolbars[kToolbarCount];
HWND gToolbarHolders[kToolbarCount];
int gPopupToolbar = kDefaultPopupToolbar;
int gStatusReadoutShown;
ToolbarMetrics gToolbarMetrics = ComputeToolbarMetrics(0);

namespace {

constexpr DWORD kToolbarStyle = 0x50800100;  // child, visible, border, tooltips
constexpr DWORD kColumnStyle = 0x200;        // wrapping, for the two columns
constexpr int kHelpOutsideButtons = 5101;

HMENU gCommandPopup;
MnemonicSet gPopupMnemonics;
WNDPROC gPreviousToolbarProc[kToolbarCount];
WNDPROC gPreviousHolderProc[kToolbarCount];
HCURSOR gDisabledCursor;

bool IsColumn(int i) { return i == 2 || i == 3; }

int ToolbarIndexOf(HWND toolbar) {
    for (int i = 0; i < kToolbarCount; ++i)
        if (gToolbars[i] == toolbar) return i;
    return -1;
}

// The command of the button under the message position, 0 when none.
int CommandUnderCursor(HWND toolbar) {
    const DWORD pos = GetMessagePos();
    POINT p = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ScreenToClient(toolbar, &p);
    const int n = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        TBBUTTON b = {};
        RECT r;
        if (!SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b)) || (b.fsStyle & TBSTYLE_SEP) ||
            (b.fsState & TBSTATE_HIDDEN))
            continue;
        if (SendMessageA(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) && PtInRect(&r, p))
            return b.idCommand;
    }
    return 0;
}

LRESULT CALLBACK ToolbarWndProc(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = ToolbarIndexOf(toolbar);
    WNDPROC previous = index >= 0 ? gPreviousToolbarProc[index] : DefWindowProcA;
    switch (message) {
    case WM_SETCURSOR:
        if (gHelpMode) {
            SetCursor(gHelpCursor);
            return TRUE;
        }
        if (gChangeCursor) {
            const int command = CommandUnderCursor(toolbar);
            if (command && !SendMessageA(toolbar, TB_ISBUTTONENABLED, command, 0)) {
                if (!gDisabledCursor) gDisabledCursor = LoadCursorA(nullptr, IDC_NO);
                SetCursor(gDisabledCursor);
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN:
        if (gHelpMode) {
            gHelpMode = 0;
            const int command = CommandUnderCursor(toolbar);
            ShowHelpTopic(command ? MapCommandToHelpContext(command) : kHelpOutsideButtons);
            return 0;
        }
        break;
    }
    return CallWindowProcA(previous, toolbar, message, wParam, lParam);
}

LRESULT CALLBACK ToolbarHolderWndProc(HWND holder, UINT message, WPARAM wParam, LPARAM lParam) {
    int index = -1;
    for (int i = 1; i < kToolbarCount; ++i)
        if (gToolbarHolders[i] == holder) index = i;
    if (message == WM_NOTIFY && HandleToolbarTooltip(reinterpret_cast<NMHDR *>(lParam))) return 0;
    if (message == WM_COMMAND) return SendMessageA(gFrameWindow, message, wParam, lParam);
    return CallWindowProcA(index >= 0 ? gPreviousHolderProc[index] : DefWindowProcA, holder, message, wParam, lParam);
}

HWND ToolbarHolding(int command) {
    for (HWND toolbar : gToolbars)
        if (toolbar && SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0) >= 0) return toolbar;
    return nullptr;
}

bool ClipboardHoldsPicture() {
    return IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_METAFILEPICT) ||
           IsClipboardFormatAvailable(CF_DIB);
}

bool ClipboardHoldsWindow() {
    static const UINT format = RegisterClipboardFormatA("Vantorel window");
    return format && IsClipboardFormatAvailable(format);
}

// Counts of the client's children and the kind of the active one. A child
// being destroyed is hidden already and is not counted.
void CountChildren(CommandStateInputs &in) {
    if (!gMdiClient) return;
    for (HWND child = GetWindow(gMdiClient, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindow(child, GW_OWNER) || !IsWindowVisible(child)) continue;
        ++in.children;
        if (IsIconic(child)) ++in.minimised;
    }
    HWND active = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0));
    if (!active || !IsWindowVisible(active)) return;
    char cls[32] = "";
    GetClassNameA(active, cls, sizeof cls);
    if (lstrcmpiA(cls, "VR_Graph") == 0) in.activeKind = 1;
    else if (lstrcmpiA(cls, kTextWindowClass) == 0) in.activeKind = 2;
}

CommandStateInputs ReadProgramState() {
    CommandStateInputs in = {};
    in.running = gRunning;
    CountChildren(in);
    in.plotterOutput = gPlotterOutputOn;
    in.mapProblem = gProblemKind == kMap;
    in.canContinue = gRunState.canContinue;
    in.hasFullPath = *gProblemPath != 0;
    in.htmlNotesExists = FindHtmlNotesFile();
    for (int k = 0; k < gRecentProblemCount && k < 9; ++k)
        in.recentExists[k] = GetFileAttributesA(gRecentProblems[k]) != INVALID_FILE_ATTRIBUTES;
    in.clipboardPicture = ClipboardHoldsPicture();
    in.clipboardWindow = ClipboardHoldsWindow();
    return in;
}

// A command's state: its rule when one speaks of it, and never a command
// whose handler is not there.
bool CommandEnabled(int id, const CommandStateInputs &in) {
    if (!IsCommandBuilt(id)) return false;
    return CommandEnabledByState(id, in) != 0;
}

void EnableInMenus(int id, bool enabled) {
    const UINT flags = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    if (gFrameMenu) EnableMenuItem(gFrameMenu, id, flags);
    if (gDrawMenu) EnableMenuItem(gDrawMenu, id, flags);
}

void EnableMenuTree(HMENU menu, const CommandStateInputs &in, int depth) {
    if (!menu || depth > 3) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            EnableMenuTree(sub, in, depth + 1);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1) || id >= VR_FIRST_CHILD_ID) continue;
        EnableMenuItem(menu, id, MF_BYCOMMAND | (CommandEnabled(static_cast<int>(id), in) ? MF_ENABLED : MF_GRAYED));
    }
}

bool UpdateInProgress;

// The menu's check marks from the same state as the buttons'.
void ShowMenuChecks() {
    if (!gFrameMenu) return;
    for (int id : {IDM_PLOTTER_OUTPUT, IDM_BACKWARD, IDM_FULL_SCREEN})
        CheckMenuItem(gFrameMenu, id, MF_BYCOMMAND | (IsCommandChecked(id) ? MF_CHECKED : MF_UNCHECKED));
    for (int id = IDM_MODE_INITIAL_CONDITIONS; id <= IDM_MODE_ROTATE; ++id)
        if (IsCommandChecked(id))
            CheckMenuRadioItem(gFrameMenu, IDM_MODE_INITIAL_CONDITIONS, IDM_MODE_ROTATE, id, MF_BYCOMMAND);
}

}  // namespace

bool IsCommandChecked(int command) {
    switch (command) {
    case IDM_PLOTTER_OUTPUT: return gPlotterOutputOn != 0;
    case IDM_BACKWARD: return gBackward != 0;
    case IDM_FULL_SCREEN: return gFullScreen != 0;
    }
    return command == IDM_MODE_INITIAL_CONDITIONS + gMouseMode;
}

void ComputeToolbarMetricsFromOptions() { gToolbarMetrics = ComputeToolbarMetrics(gBigButtons); }

void CreateToolbars(HWND frame) {
    ComputeToolbarMetricsFromOptions();
    const ToolbarMetrics &m = gToolbarMetrics;
    for (int i = 0; i < kToolbarCount; ++i) {
        const ToolbarLine line = ParseToolbarLayout(gToolbarLayouts[i]);
        if (!line.created) continue;
        TBBUTTON buttons[kMaxToolbarEntries] = {};
        int n = 0;
        for (int k = 0; k < line.count; ++k) {
            const int entry = line.entries[k];
            TBBUTTON &b = buttons[n];
            if (entry < 0) {
                b.fsStyle = TBSTYLE_SEP;
            } else if (entry < kToolbarCommandCount) {
                b.iBitmap = kToolbarCommandTable[entry][1];
                b.idCommand = kToolbarCommandTable[entry][0];
                b.fsState = TBSTATE_ENABLED | (IsCommandChecked(b.idCommand) ? TBSTATE_CHECKED : 0);
                b.fsStyle = TBSTYLE_BUTTON;
            } else {
                continue;  // no such button
            }
            ++n;
        }
        HWND parent = frame;
        if (i > 0) {
            gToolbarHolders[i] = CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                                 frame, nullptr, gInstance, nullptr);
            if (!gToolbarHolders[i]) continue;
            gPreviousHolderProc[i] = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                gToolbarHolders[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolbarHolderWndProc)));
            parent = gToolbarHolders[i];
        }
        gToolbars[i] = CreateToolbarEx(parent, kToolbarStyle | (IsColumn(i) ? kColumnStyle : 0), i,
                                       kToolbarCommandCount, gInstance, m.bitmapId, buttons, n, m.buttonWidth,
                                       m.buttonHeight, m.buttonWidth, m.buttonHeight, sizeof(TBBUTTON));
        if (!gToolbars[i]) continue;
        ShowWindow(i > 0 ? gToolbarHolders[i] : gToolbars[i], line.visible ? SW_SHOW : SW_HIDE);
        if (!line.visible && i > 0) ShowWindow(gToolbars[i], SW_HIDE);
        gPreviousToolbarProc[i] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(gToolbars[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolbarWndProc)));
    }
    LayoutFrame(0, 0, 1);
}

void DestroyToolbars() {
    for (int i = kToolbarCount - 1; i >= 0; --i) {
        if (gToolbars[i]) DestroyWindow(gToolbars[i]);
        if (gToolbarHolders[i]) DestroyWindow(gToolbarHolders[i]);
        gToolbars[i] = gToolbarHolders[i] = nullptr;
    }
}

void DestroyCommandPopup() {
    if (gCommandPopup) DestroyMenu(gCommandPopup);
    gCommandPopup = nullptr;
}

RECT LayoutToolbars(HDWP &defer, int width, int height) {
    RECT free = {0, 0, width, height};
    const ToolbarMetrics &m = gToolbarMetrics;
    auto shown = [](int i) { return gToolbars[i] && IsWindowVisible(i > 0 ? gToolbarHolders[i] : gToolbars[i]); };
    auto place = [&](int i, int x, int y, int w, int h) {
        if (!defer) return;
        HWND outer = i > 0 ? gToolbarHolders[i] : gToolbars[i];
        defer = DeferWindowPos(defer, outer, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        if (i > 0) MoveWindow(gToolbars[i], 0, 0, w, h, TRUE);
    };
    // A row toolbar may size itself taller than the metrics: it gets its own height.
    auto rowHeight = [&](int i) {
        RECT r;
        GetWindowRect(gToolbars[i], &r);
        return r.bottom - r.top > m.height ? static_cast<int>(r.bottom - r.top) : m.height;
    };
    for (int i : {0, 1})
        if (shown(i)) {
            const int h = rowHeight(i);
            place(i, 0, free.top, width, h);
            free.top += h;
        }
    if (shown(4)) {
        const int h = rowHeight(4);
        free.bottom -= h;
        place(4, 0, free.bottom, width, h);
    }
    if (shown(2)) {
        place(2, 0, free.top, m.columnWidth, free.bottom - free.top);
        free.left += m.columnWidth;
    }
    if (shown(3)) {
        free.right -= m.columnWidth;
        place(3, free.right, free.top, m.columnWidth, free.bottom - free.top);
    }
    if (free.right < free.left) free.right = free.left;
    if (free.bottom < free.top) free.bottom = free.top;
    return free;
}

void SetToolbarButtonState(int command, int checked, int enabled) {
    for (HWND toolbar : gToolbars) {
        if (!toolbar || SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0) < 0) continue;
        if (checked != -1) SendMessageA(toolbar, TB_CHECKBUTTON, command, MAKELPARAM(checked != 0, 0));
        if (enabled == -1) continue;
        const ButtonShow show = ButtonShowFor(gDisabledButtons, enabled != 0);
        SendMessageA(toolbar, TB_ENABLEBUTTON, command, MAKELPARAM(show.enabled, 0));
        SendMessageA(toolbar, TB_HIDEBUTTON, command, MAKELPARAM(show.hidden, 0));
    }
}

void UpdateCommandStates() {
    if (gClosingAll || UpdateInProgress) return;
    UpdateInProgress = true;
    const CommandStateInputs in = ReadProgramState();
    EnableMenuTree(gFrameMenu, in, 0);
    EnableMenuTree(gDrawMenu, in, 0);
    for (int i = 0; i < kToolbarCommandCount; ++i) {
        const int id = kToolbarCommandTable[i][0];
        SetToolbarButtonState(id, IsCommandChecked(id), CommandEnabled(id, in));
    }
    ShowMenuChecks();
    UpdateInProgress = false;
}

void UpdatePasteCommands() {
    CommandStateInputs in = ReadProgramState();
    for (int id : {IDM_PUT_SCREEN, IDM_PASTE_WINDOW}) {
        const bool enabled = CommandEnabled(id, in);
        EnableInMenus(id, enabled);
        SetToolbarButtonState(id, -1, enabled);
    }
}

int IsMenuCommandEnabled(int command) {
    if (!gFrameMenu) return 1;
    const UINT state = GetMenuState(gFrameMenu, command, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) {
        // Not in the frame menu (the Draw menu's commands): its own menu says.
        const UINT draw = gDrawMenu ? GetMenuState(gDrawMenu, command, MF_BYCOMMAND) : static_cast<UINT>(-1);
        return draw == static_cast<UINT>(-1) || !(draw & MF_GRAYED);
    }
    return !(state & MF_GRAYED);
}

HMENU BuildCommandPopupMenu() {
    if (gPopupToolbar < 0 || gPopupToolbar >= kToolbarCount) return nullptr;
    if (!gCommandPopup) gCommandPopup = CreatePopupMenu();
    if (!gCommandPopup) return nullptr;
    while (GetMenuItemCount(gCommandPopup) > 0) DeleteMenu(gCommandPopup, 0, MF_BYPOSITION);
    gPopupMnemonics = MnemonicSet{};
    UpdateCommandStates();
    const ToolbarLine line = ParseToolbarLayout(gToolbarLayouts[gPopupToolbar]);
    for (int k = 0; k < line.count; ++k) {
        const int entry = line.entries[k];
        if (entry < 0 || entry >= kToolbarCommandCount) continue;
        const int command = kToolbarCommandTable[entry][0];
        if (!IsMenuCommandEnabled(command)) continue;
        const std::string text = AssignMenuMnemonics(LoadTextResource(command + kTooltipStringOffset), gPopupMnemonics);
        AppendMenuA(gCommandPopup, MF_STRING | (IsCommandChecked(command) ? MF_CHECKED : 0), command, text.c_str());
    }
    return gCommandPopup;
}

void ShowCommandPopupMenu(HWND window, int x, int y) {
    HMENU menu = BuildCommandPopupMenu();
    if (!menu || GetMenuItemCount(menu) == 0) return;
    POINT p = {x, y};
    if (x == -1 && y == -1) GetCursorPos(&p);
    else ClientToScreen(window, &p);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, p.x, p.y, 0, gFrameWindow, nullptr);
}

void ClearStatusReadout() {
    if (!gStatusReadoutShown) return;
    gStatusReadoutShown = 0;
    SetStatusText(-1, 0, 1);
}

bool HandleToolbarTooltip(NMHDR *header) {
    if (!header || (header->code != TTN_NEEDTEXTA && header->code != TTN_NEEDTEXTW)) return false;
    auto *info = reinterpret_cast<NMTTDISPINFOA *>(header);
    auto *wide = reinterpret_cast<NMTTDISPINFOW *>(header);
    const bool isWide = header->code == TTN_NEEDTEXTW;
    const int command = static_cast<int>(header->idFrom);
    if (isWide) {
        wide->lpszText = nullptr;
        wide->szText[0] = 0;
    } else {
        info->lpszText = nullptr;
        info->szText[0] = 0;
    }
    bool enabled = true;
    if (gShowHints == 1 || gShowPopupHints == 1)
        if (HWND toolbar = ToolbarHolding(command))
            enabled = SendMessageA(toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
    if (gShowHints == 0 || (gShowHints == 1 && enabled)) SetStatusText(0, command + kStatusHelpStringOffset, 0);
    if (gShowPopupHints == 2 || (gShowPopupHints == 1 && !enabled)) return true;
    if (isWide) {
        wide->hinst = gInstance;
        wide->lpszText = MAKEINTRESOURCEW(command + kTooltipStringOffset);
    } else {
        info->hinst = gInstance;
        info->lpszText = MAKEINTRESOURCEA(command + kTooltipStringOffset);
    }
    return true;
}
