#include "editor_windows.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app.h"
#include "file_dialogs.h"
#include "find_replace.h"
#include "memory.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "platform.h"
#include "printing_win32.h"
#include "problem_file.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "safe_save.h"
#include "settings.h"
#include "string_ids.h"
#include "ui_lock.h"
#include "workspace.h"

namespace {

constexpr DWORD kControlStyle = 0x5030E0C4;
constexpr int kEditorHelpTopic = 1005;
constexpr char kEditorMenuName[] = "VR_EDIT";

struct Editor {
    HWND window, control, status;
    char *text;  // the held text, owned
    int modified;
    // The control could not take the whole held text: storing it would cut.
    int cut;
    LONG lastStart, lastEnd;
    unsigned pendingLine;  // from 1; 0 none
    char fileName[kPathSize];
    int fileNamePending;
};

Editor gEditors[kEditorCount];

Editor *EditorOf(HWND window) {
    for (Editor &e : gEditors)
        if (e.window == window) return &e;
    return nullptr;
}

int IndexOf(const Editor *e) { return static_cast<int>(e - gEditors); }

// Whole-text requests on systems after Windows 2000; older ones stream.
bool UseTextRange() {
    static int use = -1;
    if (use < 0) {
        OSVERSIONINFOA v = {};
        v.dwOSVersionInfoSize = sizeof v;
        use = GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
              (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion > 0));
    }
    return use == 1;
}

struct StreamBuffer {
    char *data;
    LONG size;  // room, the end included (out) or the text's length (in)
    LONG done;
};

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *written) {
    auto *s = reinterpret_cast<StreamBuffer *>(cookie);
    LONG n = s->size - 1 - s->done;
    if (n > count) n = count;
    if (n < 0) n = 0;
    std::memcpy(s->data + s->done, bytes, static_cast<size_t>(n));
    s->done += n;
    *written = count;  // the rest is dropped, not an error
    return 0;
}

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *read) {
    auto *s = reinterpret_cast<StreamBuffer *>(cookie);
    LONG n = s->size - s->done;
    if (n > count) n = count;
    std::memcpy(bytes, s->data + s->done, static_cast<size_t>(n));
    s->done += n;
    *read = n;
    return 0;
}

// The control's whole text in a new heap block; null when out of memory.
char *ReadControlText(HWND control, int *length) {
    const int n = GetWindowTextLengthA(control);
    char *text = static_cast<char *>(AllocZeroed(static_cast<size_t>(n) + 1));
    if (!text) return nullptr;
    const int got = GetRichEditText(control, text, n + 1);
    if (length) *length = got;
    return text;
}

void SetStatus(Editor &e) {
    char text[96];
    FormatEditorCaretPosition(e.control, text, sizeof text);
    SendMessageA(e.status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// The held text goes into the control; what the control cannot hold is
// remembered, so that it is never stored back cut.
void ShowHeldText(Editor &e) {
    SetRichEditText(e.control, e.text ? e.text : "");
    e.cut = e.text && std::strlen(e.text) > static_cast<size_t>(kEditorTextLimit);
}

bool RefuseCutText(const Editor &e) {
    if (!e.cut) return false;
    ShowErrorBox(IDS_EDITOR_TEXT_CUT);
    return true;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA *cs) {
    const int index = static_cast<int>(reinterpret_cast<INT_PTR>(cs->lpCreateParams));
    Editor &e = gEditors[index];
    e.window = window;
    e.modified = 0;
    if (!gRichEditLibrary) gRichEditLibrary = LoadLibraryA("RICHED32.DLL");
    e.control = CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", kControlStyle, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(1), gInstance, nullptr);
    e.status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
                               reinterpret_cast<HMENU>(2), gInstance, nullptr);
    if (!e.control || !e.status) {
        if (e.control) DestroyWindow(e.control);
        if (e.status) DestroyWindow(e.status);
        e.window = e.control = e.status = nullptr;
        return -1;
    }
    SendMessageA(e.control, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    e.lastStart = e.lastEnd = -1;
    SendMessageA(e.control, EM_EXLIMITTEXT, 0, kEditorTextLimit);
    SendMessageA(e.control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(gBoldEditWindows ? SYSTEM_FIXED_FONT : ANSI_FIXED_FONT)), 0);
    ShowHeldText(e);
    SendMessageA(e.control, EM_SETTARGETDEVICE, 0, 1);  // no wrapping
    if (index == kSettingsEditor && e.pendingLine) {
        SendMessageA(e.control, EM_SETMODIFY, TRUE, 0);
    } else {
        SendMessageA(e.control, EM_SETMODIFY, FALSE, 0);
        e.pendingLine = 0;
    }
    gEditorTextControls[index] = e.control;
    return 0;
}

void OnDestroy(Editor &e) {
    ForgetFindReplaceOwner(e.window);
    const int index = IndexOf(&e);
    gEditorTextControls[index] = nullptr;
    if (e.control) DestroyWindow(e.control);
    if (e.status) DestroyWindow(e.status);
    e.window = e.control = e.status = nullptr;
    if (gFrameWindow) PostMessageA(gFrameWindow, WM_COMMAND, IDM_EDITOR_NOTES_CLOSED + index, 0);
}

// Close storing the text: refused when the control holds less than it was
// given, or when the text cannot be copied.
bool StoreAndClose(Editor &e) {
    if (RefuseCutText(e)) return false;
    char *text = ReadControlText(e.control, nullptr);
    if (!text) return false;
    FreeAndNull(e.text);
    e.text = text;
    e.modified = SendMessageA(e.control, EM_GETMODIFY, 0, 0) != 0;
    DestroyWindow(e.window);
    return true;
}

char *ReadWholeTextFile(const char *path) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ShowSystemError(GetLastError());
        return nullptr;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(h, &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high || size > 0x7FFFFFF0u) {
        CloseHandle(h);
        ShowErrorBox(IDS_TOO_MUCH_TEXT);
        return nullptr;
    }
    char *text = static_cast<char *>(AllocZeroed(static_cast<size_t>(size) + 1));
    DWORD read = 0;
    if (text && (!ReadFile(h, text, size, &read, nullptr) || read != size)) {
        ShowSystemError(GetLastError());
        FreeAndNull(text);
    }
    CloseHandle(h);
    return text;
}

void OpenCommand(Editor &e) {
    const bool problem = IndexOf(&e) == kSettingsEditor;
    if (!e.fileNamePending) {
        char name[kFileNameSize] = "";
        if (!AskFileName(nullptr, name, IDS_TITLE_OPEN, problem ? IDS_FILTER_PROBLEMS : IDS_FILTER_TEXT, 0, e.window))
            return;
        std::snprintf(e.fileName, sizeof e.fileName, "%s", name);
    }
    e.fileNamePending = 0;
    char *text = ReadWholeTextFile(e.fileName);
    if (!text) return;
    FreeAndNull(e.text);
    e.text = text;
    ShowHeldText(e);
    SendMessageA(e.control, EM_SETMODIFY, TRUE, 0);
}

// Writes exactly the control's text, through a temporary file.
void SaveCommand(Editor &e, bool saveAs) {
    if (RefuseCutText(e)) return;
    const bool problem = IndexOf(&e) == kSettingsEditor;
    char *slot = problem ? gProblemPath : e.fileName;
    char name[kFileNameSize];
    std::snprintf(name, sizeof name, "%s", slot);
    if (saveAs || !*name) {
        if (!AskFileName(name, name, IDS_TITLE_SAVE_AS, problem ? IDS_FILTER_PROBLEMS : IDS_FILTER_TEXT, 1, e.window))
            return;
        if (FileExists(name) && AskOkCancel(IDS_EPS_OVERWRITE) != kIdOk) return;
    }
    int length = 0;
    char *text = ReadControlText(e.control, &length);
    if (!text) return;
    SafeSave save;
    bool ok = BeginSafeSave(&save, name, 0) != 0;
    if (ok) {
        ok = std::fwrite(text, 1, static_cast<size_t>(length), save.file) == static_cast<size_t>(length);
        if (ok) ok = CommitSafeSave(&save) != 0;
        else AbandonSafeSave(&save);
    }
    const int error = errno;
    FreeAndNull(text);
    if (!ok) {
        ShowSystemError(error == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
        return;
    }
    std::snprintf(slot, kPathSize, "%s", name);
    if (problem) UpdateFrameTitle();
}

void EnableItem(HMENU menu, int id, bool on) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void UpdateEditMenu(Editor &e, HMENU menu) {
    CHARRANGE selection = {0, 0};
    SendMessageA(e.control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool selected = selection.cpMin != selection.cpMax;
    EnableItem(menu, IDM_EDIT_UNDO, SendMessageA(e.control, EM_CANUNDO, 0, 0) != 0);
    EnableItem(menu, IDM_EDIT_CUT, selected);
    EnableItem(menu, IDM_EDIT_COPY, selected);
    EnableItem(menu, IDM_EDIT_CLEAR, selected);
    EnableItem(menu, IDM_EDIT_PASTE, IsClipboardFormatAvailable(CF_TEXT) != 0);
    EnableItem(menu, IDM_EDIT_FIND, FindReplaceAvailable(e.window, IDM_EDIT_FIND));
    EnableItem(menu, IDM_EDIT_REPLACE, FindReplaceAvailable(e.window, IDM_EDIT_REPLACE));
}

void OnCommand(Editor &e, int id) {
    switch (id) {
    case IDM_EXIT: SendMessageA(e.window, WM_CLOSE, 0, 0); return;
    // Nothing is stored: the held text (the old notes, or the text built
    // for this editor) stays, and the problem is not marked changed.
    case IDM_EDITOR_ABANDON: SendMessageA(e.window, WM_CLOSE, 0, 1); return;
    case IDM_EDITOR_SWITCH:
        SetActiveWindow(gFrameWindow);
        FocusActiveChild();
        return;
    case IDM_NEW:
        FreeAndNull(e.text);
        ShowHeldText(e);
        SendMessageA(e.control, EM_SETMODIFY, TRUE, 0);
        return;
    case IDM_OPEN: OpenCommand(e); return;
    case IDM_SAVE: SaveCommand(e, false); return;
    case IDM_SAVE_AS: SaveCommand(e, true); return;
    case IDM_PRINT: PrintEditControl(e.control); return;
    case IDM_EDIT_UNDO: SendMessageA(e.control, EM_UNDO, 0, 0); return;
    case IDM_EDIT_CUT: SendMessageA(e.control, WM_CUT, 0, 0); return;
    case IDM_EDIT_COPY: SendMessageA(e.control, WM_COPY, 0, 0); return;
    case IDM_EDIT_PASTE: SendMessageA(e.control, WM_PASTE, 0, 0); return;
    case IDM_EDIT_CLEAR: SendMessageA(e.control, WM_CLEAR, 0, 0); return;
    case IDM_EDIT_SELECT_ALL: SendMessageA(e.control, EM_SETSEL, 0, -1); return;
    case IDM_EDIT_FIND:
    case IDM_EDIT_REPLACE: OpenFindReplaceDialog(e.window, id); return;
    case IDM_HELP_INDEX:
    case IDM_HELP_SEARCH: SendMessageA(gFrameWindow, WM_COMMAND, id, 0); return;
    case IDM_TEXT_WINDOW_HELP: ShowHelpTopic(kEditorHelpTopic); return;
    }
}

void ShowContextMenu(Editor &e, LPARAM lParam) {
    if (!gEditorPopupMenu) return;
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) GetCursorPos(&p);
    UpdateEditMenu(e, gEditorPopupMenu);
    const UINT id = TrackPopupMenu(gEditorPopupMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, e.window, nullptr);
    if (id) OnCommand(e, static_cast<int>(id));
}

void OnDropFiles(Editor &e, HDROP drop) {
    // A name that does not fit is not cut: nothing is opened.
    if (DragQueryFileA(drop, 0, nullptr, 0) < sizeof e.fileName) {
        DragQueryFileA(drop, 0, e.fileName, sizeof e.fileName);
        e.fileNamePending = 1;
        PostMessageA(e.window, WM_COMMAND, IDM_OPEN, 0);
    }
    DragFinish(drop);
}

LRESULT CALLBACK EditorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return OnCreate(window, reinterpret_cast<const CREATESTRUCTA *>(lParam));
    }
    Editor *e = EditorOf(window);
    if (!e) return DefWindowProcA(window, message, wParam, lParam);
    if (HandleFindReplaceMessage(window, e->control, message, lParam)) return 0;
    switch (message) {
    case WM_DESTROY: OnDestroy(*e); return 0;
    case WM_SIZE: {
        SendMessageA(e->status, WM_SIZE, wParam, lParam);
        RECT r;
        GetWindowRect(e->status, &r);
        const int statusHeight = r.bottom - r.top;
        const int height = HIWORD(lParam) > statusHeight ? HIWORD(lParam) - statusHeight : 0;
        MoveWindow(e->control, 0, 0, LOWORD(lParam), height, TRUE);
        return 0;
    }
    case WM_ACTIVATE:
        if (gRunning && LOWORD(wParam) != WA_INACTIVE && gFrameWindow) {
            SetActiveWindow(gFrameWindow);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        if (gRunning) FocusActiveChild();
        else SetFocus(e->control);
        return 0;
    case WM_CLOSE:
        if (gRunning) return 0;
        if (lParam) DestroyWindow(window);
        else StoreAndClose(*e);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR *>(lParam)->code == EN_SELCHANGE) {
            const auto *change = reinterpret_cast<SELCHANGE *>(lParam);
            if (change->chrg.cpMin != e->lastStart || change->chrg.cpMax != e->lastEnd) {
                e->lastStart = change->chrg.cpMin;
                e->lastEnd = change->chrg.cpMax;
                SetStatus(*e);
            }
        }
        return 0;
    case WM_CONTEXTMENU: ShowContextMenu(*e, lParam); return 0;
    case WM_HELP: ShowHelpTopic(kEditorHelpTopic); return TRUE;
    case WM_DROPFILES: OnDropFiles(*e, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_INITMENUPOPUP: UpdateEditMenu(*e, reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_COMMAND: OnCommand(*e, LOWORD(wParam)); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The start of line (from 1) in text, as a character index.
LONG LineStart(HWND control, unsigned line) {
    const LRESULT at = SendMessageA(control, EM_LINEINDEX, line ? line - 1 : 0, 0);
    return at < 0 ? 0 : static_cast<LONG>(at);
}

}  // namespace

bool RegisterEditorClass() {
    WNDCLASSA c = {};
    c.style = CS_SAVEBITS;
    c.lpfnWndProc = EditorWndProc;
    c.cbWndExtra = sizeof(LONG);
    c.hInstance = gInstance;
    c.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_EDITOR));
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    c.lpszMenuName = kEditorMenuName;
    c.lpszClassName = kEditorClass;
    return RegisterClassA(&c) != 0;
}

HWND EditorWindow(int index) { return index >= 0 && index < kEditorCount ? gEditors[index].window : nullptr; }

void OpenEditorWindow(int index) {
    Editor &e = gEditors[index];
    if (e.window) {
        if (IsIconic(e.window)) ShowWindow(e.window, SW_RESTORE);
        SetForegroundWindow(e.window);
        SetActiveWindow(e.window);
        SetFocus(e.control);
        return;
    }
    char caption[255];
    const char *title = LoadTextResource(index == kNotesEditor ? IDS_EDITOR_NOTES_CAPTION : IDS_EDITOR_SETTINGS_CAPTION);
    if (*gProblemPath) std::snprintf(caption, sizeof caption, "%s - %s", title, gProblemPath);
    else std::snprintf(caption, sizeof caption, "%s", title);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(WS_EX_ACCEPTFILES, kEditorClass, caption, WS_OVERLAPPEDWINDOW, cx / 8, cy / 8,
                                  cx * 3 / 4, cy * 3 / 4, nullptr, nullptr, gInstance,
                                  reinterpret_cast<LPVOID>(static_cast<INT_PTR>(index)));
    if (!window) return;
    ShowWindow(window, SW_SHOW);
    if (e.pendingLine) {
        const LONG at = LineStart(e.control, e.pendingLine);
        SelectRichEditRange(e.control, at, at);
        e.pendingLine = 0;
    }
    SetFocus(e.control);
    SetStatus(e);
}

void OpenNotesEditor() {
    Editor &e = gEditors[kNotesEditor];
    if (!e.window) {
        FreeAndNull(e.text);
        if (gProjectNotes) SetNonEmptyStringCopy(e.text, gProjectNotes);
        e.modified = 0;
    }
    OpenEditorWindow(kNotesEditor);
}

namespace {

// The "All settings" editor opened on the problem text, which it takes over
// from gProblemTextBuffer.
Editor &OpenSettingsOnProblemText(unsigned pendingLine) {
    Editor &e = gEditors[kSettingsEditor];
    FreeAndNull(e.text);
    e.text = gProblemTextBuffer;
    gProblemTextBuffer = nullptr;
    e.modified = 0;
    e.pendingLine = pendingLine;
    OpenEditorWindow(kSettingsEditor);
    return e;
}

}  // namespace

void OpenAllSettingsEditor() {
    if (gEditors[kSettingsEditor].window) {
        OpenEditorWindow(kSettingsEditor);
        return;
    }
    if (IsBusy() || !BuildProblemText(1)) return;
    OpenSettingsOnProblemText(0);
}

void OpenAllSettingsAtError() {
    if (gEditors[kSettingsEditor].window || !gProblemTextBuffer) return;
    OpenSettingsOnProblemText(gProblemErrorLine ? gProblemErrorLine : 1);
}

void PrintProblemTextInEditor() {
    if (gEditors[kSettingsEditor].window || !gProblemTextBuffer) return;
    Editor &e = OpenSettingsOnProblemText(0);
    // Text the control could not hold whole is not printed cut.
    if (e.window && !RefuseCutText(e)) PrintEditControl(e.control);
    if (e.window) DestroyWindow(e.window);
    FreeAndNull(e.text);
}

void ApplyEditorText(int index) {
    if (index < 0 || index >= kEditorCount) return;
    Editor &e = gEditors[index];
    if (e.window) return;  // opened again meanwhile
    const int modified = e.modified;
    e.modified = 0;
    if (modified) gProblemChanged = 1;
    FocusActiveChild();
    if (!modified) return;
    if (index == kNotesEditor) {
        FreeAndNull(gProjectNotes);
        if (e.text && *e.text) SetNonEmptyStringCopy(gProjectNotes, e.text);
        return;
    }
    const size_t length = e.text ? std::strlen(e.text) : 0;
    char *copy = static_cast<char *>(AllocZeroed(length + 32));
    if (!copy) return;
    if (length) std::memcpy(copy, e.text, length);
    FreeAndNull(gProblemTextBuffer);
    gProblemTextBuffer = copy;
    if (ParseProblemText() == kParseCorrect) {
        OpenAllSettingsAtError();
        return;
    }
    FreeAndNull(gProblemTextBuffer);
    FreeAndNull(e.text);
    UpdateFrameMenuStates();
}

bool AcceptEditorsBeforeClose() {
    for (int index : {kNotesEditor, kSettingsEditor}) {
        if (!gEditors[index].window) continue;
        SendMessageA(gEditors[index].window, WM_CLOSE, 0, 0);
        if (gEditors[index].window) return false;  // refused: its text would be cut
        ApplyEditorText(index);
        if (gEditors[index].window) return false;  // opened again at an error
    }
    return true;
}

void AbandonEditorChanges() {
    for (int index : {kSettingsEditor, kNotesEditor})
        if (HWND window = gEditors[index].window) SendMessageA(window, WM_COMMAND, IDM_EDITOR_ABANDON, 0);
}

int GetRichEditText(HWND control, char *buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = 0;
    if (UseTextRange()) {
        LONG length = GetWindowTextLengthA(control);
        if (length > size - 1) length = size - 1;
        TEXTRANGEA range = {{0, length}, buffer};
        const LRESULT n = SendMessageA(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        const int got = n < 0 ? 0 : (n > size - 1 ? size - 1 : static_cast<int>(n));
        buffer[got] = 0;
        return got;
    }
    StreamBuffer s = {buffer, size, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&s), 0, StreamOut};
    SendMessageA(control, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    buffer[s.done] = 0;
    return static_cast<int>(s.done);
}

void SetRichEditText(HWND control, const char *text) {
    if (!text) text = "";
    if (UseTextRange()) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        return;
    }
    StreamBuffer s = {const_cast<char *>(text), static_cast<LONG>(std::strlen(text)), 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&s), 0, StreamIn};
    SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

LONG SelectRichEditRange(HWND control, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    return end;
}

void FormatEditorCaretPosition(HWND control, char *out, int size) {
    CHARRANGE selection = {0, 0};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    auto position = [control](LONG index, unsigned *line, unsigned *column) {
        const LRESULT l = SendMessageA(control, EM_EXLINEFROMCHAR, 0, index);
        const LRESULT start = SendMessageA(control, EM_LINEINDEX, l, 0);
        *line = static_cast<unsigned>(l + 1);
        *column = static_cast<unsigned>(index - start + 1);
    };
    unsigned l1, c1, l2, c2;
    position(selection.cpMin, &l1, &c1);
    if (selection.cpMin == selection.cpMax) {
        std::snprintf(out, static_cast<size_t>(size), LoadTextResource(IDS_EDITOR_POSITION), l1, c1);
        return;
    }
    position(selection.cpMax, &l2, &c2);
    std::snprintf(out, static_cast<size_t>(size), LoadTextResource(IDS_EDITOR_RANGE), l1, c1, l2, c2);
}
