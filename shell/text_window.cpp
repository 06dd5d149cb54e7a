// Text (data) windows: a multi-document child around a rich-edit control
// that lists the numbers of a run. The per-point output is portable
// (text_window_output.h); this is its window, its control and its place in
// the run host.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

#include "app.h"
#include "find_replace.h"
#include "graph_window_win32.h"
#include "memory.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "run_engine.h"
#include "run_host.h"
#include "settings.h"
#include "solver_method.h"
#include "text_window_output.h"
#include "ui_lock.h"

HMODULE gRichEditLibrary;
int gChildWindowCount;

LRESULT CALLBACK TextEditWndProc(HWND, UINT, WPARAM, LPARAM);

TextWindowState *TextStateOf(HWND window) {
    char cls[16];
    if (!window || !GetClassNameA(window, cls, sizeof cls) || std::strcmp(cls, kTextWindowClass) != 0) return nullptr;
    return reinterpret_cast<TextWindowState *>(GetWindowLongPtrA(window, 0));
}

namespace {

constexpr DWORD kControlStyle = 0x5030D0C4;
constexpr int kTextHelpTopic = 1006;
constexpr int kTextClientHelp = 5106;
WNDPROC gPreviousEditProc;
int gTextHelpMode;

HWND ControlOf(HWND window) {
    TextWindowState *s = TextStateOf(window);
    return s ? ToHwnd(s->control) : nullptr;
}

// The rich-edit control behind TextWindowControl.
class RichEditControl {
public:
    int LineCount(WindowId control) {
        return static_cast<int>(SendMessageA(ToHwnd(control), EM_GETLINECOUNT, 0, 0));
    }
    int TextLength(WindowId control) { return GetWindowTextLengthA(ToHwnd(control)); }
    void DeleteLinesBefore(WindowId control, int line) {
        HWND c = ToHwnd(control);
        LRESULT end = line >= LineCount(control) ? GetWindowTextLengthA(c) : SendMessageA(c, EM_LINEINDEX, line, 0);
        if (end <= 0) return;
        SendMessageA(c, EM_SETSEL, 0, end);
        SendMessageA(c, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    void AppendText(WindowId control, const char *text) {
        HWND c = ToHwnd(control);
        const int length = GetWindowTextLengthA(c);
        SendMessageA(c, EM_SETSEL, length, length);
        SendMessageA(c, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
        if (!IsIconic(GetParent(c))) SendMessageA(c, EM_SCROLLCARET, 0, 0);
    }
};

RichEditControl gRichEdit;

// ---- Run host entries: the child is an HWND.
void Serve(void *window, const RunPoint *point, bool map) {
    TextWindowState *s = TextStateOf(static_cast<HWND>(window));
    if (!s) return;
    gCurrentText = s;
    const int rc = map ? AddTextWindowMapPoint(s, *point) : AddTextWindowOdePoint(s, *point);
    // -1 was reported where it arose; the others are the integrator's codes.
    if (rc < -1) ReportStepResult(rc, map);
}

void AddOdePoint(void *window, const RunPoint *point) { Serve(window, point, false); }
void AddMapPoint(void *window, const RunPoint *point) { Serve(window, point, true); }

void RunFiles(void *window, int close) {
    if (TextWindowState *s = TextStateOf(static_cast<HWND>(window))) TextWindowRunEnumProc(s, close);
}

void SetStatusPart(int part, const char *text) {
    if (!gStatusBar) return;
    char current[64] = "";
    if (LOWORD(SendMessageA(gStatusBar, SB_GETTEXTLENGTHA, part, 0)) < sizeof current)
        SendMessageA(gStatusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(current));
    if (std::strcmp(current, text) != 0) SendMessageA(gStatusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
}

void PositionText(HWND control, LONG index, char *out, size_t size) {
    const LRESULT line = SendMessageA(control, EM_LINEFROMCHAR, index, 0);
    const LRESULT start = SendMessageA(control, EM_LINEINDEX, line, 0);
    std::snprintf(out, size, "%u: %u", static_cast<unsigned>(line + 1), static_cast<unsigned>(index - start + 1));
}

bool CreateControl(HWND window, TextWindowState *s) {
    if (!gRichEditLibrary) gRichEditLibrary = LoadLibraryA("RICHED32.DLL");
    HWND control = CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", kControlStyle, 0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(1), gInstance, nullptr);
    if (!control) return false;
    s->control = FromHwnd(control);
    SendMessageA(control, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    SendMessageA(control, EM_EXLIMITTEXT, 0, 0x40000000);
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(gBoldTextWindows ? SYSTEM_FIXED_FONT : ANSI_FIXED_FONT)), 0);
    SendMessageA(control, EM_SETTARGETDEVICE, 0, 1);  // no wrapping
    gPreviousEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEditWndProc)));
    return true;
}

void DropRecord(HWND window, TextWindowState *s) {
    if (HWND control = ToHwnd(s->control)) DestroyWindow(control);
    if (gCurrentText == s) gCurrentText = nullptr;
    FreeTextWindowState(s);
    FreeAndNull(s);
    SetWindowLongPtrA(window, 0, 0);
}

// Whether WM_DESTROY follows a failed WM_CREATE differs between Windows
// versions: a failed creation cleans up at once, and the count covers only
// windows that got their record.
LRESULT OnCreate(HWND window) {
    auto *s = static_cast<TextWindowState *>(AllocZeroed(sizeof(TextWindowState)));
    if (!s) return -1;
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(s));
    if (!InitTextWindowState(s) || !CreateControl(window, s)) {
        DropRecord(window, s);
        return -1;
    }
    ++gChildWindowCount;
    char caption[256];
    if (GetWindowTextA(window, caption, sizeof caption) > 0) SetNonEmptyStringCopy(s->title, caption);
    UpdateFrameMenuStates();
    return 0;
}

void OnDestroy(HWND window) {
    TextWindowState *s = TextStateOf(window);
    if (!s) return;
    gProblemChanged = 1;
    --gChildWindowCount;
    DropRecord(window, s);
    UpdateFrameMenuStates();
}

void OnEditCommand(HWND control, int id) {
    switch (id) {
    case IDM_EDIT_UNDO: SendMessageA(control, EM_UNDO, 0, 0); break;
    case IDM_EDIT_CUT: SendMessageA(control, WM_CUT, 0, 0); break;
    case IDM_EDIT_COPY: SendMessageA(control, WM_COPY, 0, 0); break;
    case IDM_EDIT_PASTE: SendMessageA(control, WM_PASTE, 0, 0); break;
    case IDM_EDIT_CLEAR: SendMessageA(control, WM_CLEAR, 0, 0); break;
    case IDM_EDIT_SELECT_ALL: SendMessageA(control, EM_SETSEL, 0, -1); break;
    case IDM_TEXT_WINDOW_HELP: ShowHelpTopic(kTextHelpTopic); break;
    case IDM_EDIT_FIND:
    case IDM_EDIT_REPLACE: OpenFindReplaceDialog(GetParent(control), id); break;
    }
}

void ShowContextMenu(HWND control, LPARAM lParam) {
    if (!gEditorPopupMenu) return;
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) GetCursorPos(&p);
    CHARRANGE selection = {0, 0};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool selected = selection.cpMin != selection.cpMax;
    auto enable = [](int id, bool on) { EnableMenuItem(gEditorPopupMenu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(IDM_EDIT_UNDO, SendMessageA(control, EM_CANUNDO, 0, 0) != 0);
    enable(IDM_EDIT_CUT, selected);
    enable(IDM_EDIT_COPY, selected);
    enable(IDM_EDIT_CLEAR, selected);
    enable(IDM_EDIT_PASTE, IsClipboardFormatAvailable(CF_TEXT) != 0);
    enable(IDM_EDIT_FIND, FindReplaceAvailable(GetParent(control), IDM_EDIT_FIND));
    enable(IDM_EDIT_REPLACE, FindReplaceAvailable(GetParent(control), IDM_EDIT_REPLACE));
    const UINT id = TrackPopupMenu(gEditorPopupMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, GetParent(control), nullptr);
    if (id) OnEditCommand(control, static_cast<int>(id));
}

}  // namespace

LRESULT CALLBACK TextEditWndProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: {
        LRESULT r = CallWindowProcA(gPreviousEditProc, control, message, wParam, lParam);
        ShowTextCaretPosition(GetParent(control));
        UpdateFrameMenuStates();
        return r;
    }
    case WM_CONTEXTMENU: ShowContextMenu(control, lParam); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F1 && (GetKeyState(VK_SHIFT) & 0x8000)) {
            gTextHelpMode = 1;
            SetCursor(gHelpCursor);
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            if (gTextHelpMode) gTextHelpMode = 0;
            else if (gRunning) PostMessageA(gFrameWindow, WM_COMMAND, IDM_STOP, 0);
            return 0;
        }
        if (gRunState.pauseArmed) EndPause();
        break;
    case WM_SETCURSOR:
        if (gTextHelpMode) {
            SetCursor(gHelpCursor);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        if (gTextHelpMode) {
            gTextHelpMode = 0;
            ShowHelpTopic(kTextClientHelp);
            return 0;
        }
        break;
    }
    const LRESULT r = CallWindowProcA(gPreviousEditProc, control, message, wParam, lParam);
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        ShowTextCaretPosition(GetParent(control));
    return r;
}

void ShowTextCaretPosition(HWND window) {
    if (gRunning) return;
    HWND control = ControlOf(window);
    if (!control) return;
    CHARRANGE selection = {0, 0};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    char text[32];
    if (selection.cpMin == selection.cpMax) {
        SetStatusPart(1, "");
        PositionText(control, selection.cpMax, text, sizeof text);
        SetStatusPart(2, text);
    } else {
        PositionText(control, selection.cpMin, text, sizeof text);
        SetStatusPart(1, text);
        PositionText(control, selection.cpMax, text, sizeof text);
        SetStatusPart(2, text);
    }
}

void EraseTextWindow(HWND window) {
    if (HWND control = ControlOf(window)) {
        SendMessageA(control, EM_SETSEL, 0, -1);
        SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
}

LRESULT CALLBACK TextWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleFindReplaceMessage(window, ControlOf(window), message, lParam)) return 0;
    switch (message) {
    case WM_CREATE:
        if (OnCreate(window) < 0) return -1;
        break;
    case WM_DESTROY:
        ForgetFindReplaceOwner(window);
        OnDestroy(window);
        break;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) UpdateFrameMenuStates();
        else if (HWND control = ControlOf(window)) MoveWindow(control, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        break;  // the child's own sizing needs the default handling too
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
        if (IsBusy()) return 0;
        break;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR *>(lParam)->code == EN_SELCHANGE) ShowTextCaretPosition(window);
        return 0;
    case WM_COMMAND:
        if (HWND control = ControlOf(window)) OnEditCommand(control, LOWORD(wParam));
        return 0;
    case WM_MDIACTIVATE:
    case WM_SETFOCUS:
        if (message == WM_SETFOCUS || reinterpret_cast<HWND>(lParam) == window)
            if (HWND control = ControlOf(window)) SetFocus(control);
        UpdateFrameMenuStates();
        break;
    case SyncStateMessage:
        if (TextWindowState *s = TextStateOf(window)) {
            gCurrentText = s;
            if (wParam == 0) gTextWorkCopy = *s;
            else *s = gTextWorkCopy;
        }
        return 0;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

bool RegisterTextWindowClass() {
    WNDCLASSA c = {};
    c.lpfnWndProc = TextWndProc;
    c.cbWndExtra = sizeof(LONG_PTR);
    c.hInstance = gInstance;
    c.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_TEXT));
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    c.lpszClassName = kTextWindowClass;
    return RegisterClassA(&c) != 0;
}

void InstallTextWindows() {
    gTextWindowControl = {[](WindowId c) { return gRichEdit.LineCount(c); },
                          [](WindowId c) { return gRichEdit.TextLength(c); },
                          [](WindowId c, int line) { gRichEdit.DeleteLinesBefore(c, line); },
                          [](WindowId c, const char *text) { gRichEdit.AppendText(c, text); }};
    gRunHost.addTextOdePoint = AddOdePoint;
    gRunHost.addTextMapPoint = AddMapPoint;
    gRunHost.textWindowFiles = RunFiles;
}
