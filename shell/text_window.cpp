// Text (data) windows: a multi-document child around a rich-edit control
// that lists the numbers of a run. The per-point output is portable
// (text_window_output.h); this is its window, its control and its place in
// the run host.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

// What the control itself does with the output's requests.
void SelectAndReplace(HWND c, LRESULT from, LRESULT to, const char *text) {
    SendMessageA(c, EM_SETSEL, from, to);
    SendMessageA(c, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

int ControlLineCount(HWND c) { return static_cast<int>(SendMessageA(c, EM_GETLINECOUNT, 0, 0)); }

void DeleteControlLinesBefore(HWND c, int line) {
    const LRESULT end = line >= ControlLineCount(c) ? GetWindowTextLengthA(c) : SendMessageA(c, EM_LINEINDEX, line, 0);
    if (end > 0) SelectAndReplace(c, 0, end, "");
}

void AppendToControl(HWND c, const char *text) {
    const int length = GetWindowTextLengthA(c);
    SelectAndReplace(c, length, length, text);
    if (!IsIconic(GetParent(c))) SendMessageA(c, EM_SCROLLCARET, 0, 0);
}

// ---- During a run the rows wait in a batch per control and reach it
// together (FlushTextWindowRows): each change of the control costs it a
// repaint and a scroll, a round trip to the window system. The batch answers
// the output's questions about lines and length as the control would after
// every single row, so the control ends with the same text. Only "\r\n"
// breaks lines in a batch; a text with any other CR or LF goes to the
// control at once, behind the batch.
struct RowBatch {
    HWND control = nullptr;
    std::string text;         // to go at the end of the control
    int breaks = 0;           // line breaks in text
    bool clearAll = false;    // the control's own text goes first
    int dropLines = 0;        // else its first lines that go
    bool linesKnown = false;  // controlLines is read
    int controlLines = 1;     // lines the control keeps (1 when it keeps nothing)
};
std::vector<RowBatch> gRowBatches;

RowBatch *BatchOf(HWND control) {
    for (RowBatch &b : gRowBatches)
        if (b.control == control) return &b;
    gRowBatches.emplace_back();
    gRowBatches.back().control = control;
    return &gRowBatches.back();
}

bool BatchPending(const RowBatch &b) { return !b.text.empty() || b.clearAll || b.dropLines > 0; }

void ResetBatch(RowBatch &b) {
    b.text.clear();  // keeps its room for the next batch
    b.breaks = 0;
    b.clearAll = false;
    b.dropLines = 0;
    b.linesKnown = false;
    b.controlLines = 1;
}

void FlushBatch(RowBatch &b) {
    if (!BatchPending(b)) {
        b.linesKnown = false;
        return;
    }
    HWND c = b.control;
    if (b.clearAll) DeleteControlLinesBefore(c, ControlLineCount(c));
    else if (b.dropLines > 0) DeleteControlLinesBefore(c, b.dropLines);
    if (!b.text.empty()) AppendToControl(c, b.text.c_str());
    ResetBatch(b);
}

void FlushBatchOf(HWND control) {
    for (RowBatch &b : gRowBatches)
        if (b.control == control) FlushBatch(b);
}

void ForgetBatchOf(HWND control) {
    for (size_t i = 0; i < gRowBatches.size(); ++i)
        if (gRowBatches[i].control == control) {
            gRowBatches.erase(gRowBatches.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void EnsureLines(RowBatch &b) {
    if (b.linesKnown) return;
    b.controlLines = b.clearAll ? 1 : ControlLineCount(b.control) - b.dropLines;
    b.linesKnown = true;
}

bool OnlyPairedBreaks(const char *text) {
    for (const char *p = text; *p; ++p) {
        if (*p == '\r' && p[1] == '\n') ++p;
        else if (*p == '\r' || *p == '\n') return false;
    }
    return true;
}

int CountBreaks(const char *text) {
    int n = 0;
    for (const char *p = std::strstr(text, "\r\n"); p; p = std::strstr(p + 2, "\r\n")) ++n;
    return n;
}

// The lines before line `line` of what the control and the batch hold.
void DeleteBatchLinesBefore(RowBatch &b, int line) {
    EnsureLines(b);
    if (line <= 0) return;
    if (line >= b.controlLines + b.breaks) {
        ResetBatch(b);
        b.clearAll = true;
        b.linesKnown = true;
        return;
    }
    if (line < b.controlLines) {
        b.dropLines += line;
        b.controlLines -= line;
        return;
    }
    // The line starts in the batch, after its (line - controlLines + 1)-th break.
    size_t at = 0;
    for (int k = line - b.controlLines + 1; k > 0; --k) at = b.text.find("\r\n", at) + 2;
    b.text.erase(0, at);
    b.breaks -= line - b.controlLines + 1;
    b.clearAll = true;
    b.dropLines = 0;
    b.controlLines = 1;
}

int BatchTextLength(RowBatch &b) {
    int length = static_cast<int>(b.text.size());
    if (b.clearAll) return length;
    length += GetWindowTextLengthA(b.control);
    if (b.dropLines > 0) length -= static_cast<int>(SendMessageA(b.control, EM_LINEINDEX, b.dropLines, 0));
    return length;
}

// The rich-edit control behind TextWindowControl.
class RichEditControl {
public:
    int LineCount(WindowId control) {
        HWND c = ToHwnd(control);
        if (!gRunning) {
            FlushBatchOf(c);
            return ControlLineCount(c);
        }
        RowBatch *b = BatchOf(c);
        EnsureLines(*b);
        return b->controlLines + b->breaks;
    }
    int TextLength(WindowId control) {
        HWND c = ToHwnd(control);
        if (!gRunning) {
            FlushBatchOf(c);
            return GetWindowTextLengthA(c);
        }
        return BatchTextLength(*BatchOf(c));
    }
    void DeleteLinesBefore(WindowId control, int line) {
        HWND c = ToHwnd(control);
        if (!gRunning) {
            FlushBatchOf(c);
            DeleteControlLinesBefore(c, line);
            return;
        }
        DeleteBatchLinesBefore(*BatchOf(c), line);
    }
    void AppendText(WindowId control, const char *text) {
        HWND c = ToHwnd(control);
        if (!gRunning || !OnlyPairedBreaks(text)) {
            FlushBatchOf(c);
            AppendToControl(c, text);
            return;
        }
        RowBatch *b = BatchOf(c);
        b->text += text;
        b->breaks += CountBreaks(text);
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
    if (HWND control = ToHwnd(s->control)) {
        ForgetBatchOf(control);
        DestroyWindow(control);
    }
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
    FlushBatchOf(control);
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
    // What the user does to the text comes after the rows given before it.
    switch (message) {
    case WM_KEYDOWN: case WM_CHAR: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN:
    case WM_CUT: case WM_PASTE: case WM_CLEAR: case WM_UNDO:
        FlushBatchOf(control);
        break;
    }
    switch (message) {
    case WM_SETFOCUS: {
        LRESULT r = CallWindowProcA(gPreviousEditProc, control, message, wParam, lParam);
        ShowTextCaretPosition(GetParent(control));
        UpdateFrameMenuStates();
        return r;
    }
    case WM_CONTEXTMENU: ShowContextMenu(control, lParam); return 0;
    case WM_KEYDOWN:
        if (OnContextHelpKey(&gTextHelpMode, wParam)) return 0;
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
        ForgetBatchOf(control);
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
    case WM_NCLBUTTONDOWN:
        if (ShowWindowPartHelp(&gTextHelpMode, static_cast<int>(wParam), kTextClientHelp)) return 0;
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

void FlushTextWindowRows() {
    for (RowBatch &b : gRowBatches) FlushBatch(b);
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
