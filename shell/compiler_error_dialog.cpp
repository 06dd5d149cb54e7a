// Dialog 300 "Compiler Error": the failing expression in an edit field, the
// reason below it; OK hands the edited text back for another compile.
#include <cstring>

#include "help_engine.h"
#include "memory.h"
#include "platform.h"
#include "platform_win32.h"
#include "resource_ids.h"
#include "settings.h"
#include "ui_lock.h"

namespace {

// Per-dialog state, handed in through lParam and kept in the window's user data.
struct CompilerErrorDialog {
    CompilerErrorRequest *request;
    bool selectionDone;
    WNDPROC editProc;
};

CompilerErrorDialog *StateOf(HWND dialog) {
    return reinterpret_cast<CompilerErrorDialog *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// Edit controls break lines at CR LF: bare line feeds of a stored text are
// widened for display. Returns a heap copy (null when out of memory).
char *WithCrLf(const char *text) {
    size_t extra = 0;
    for (const char *p = text; *p; ++p)
        if (*p == '\n' && (p == text || p[-1] != '\r')) ++extra;
    char *out = AllocTextBuffer(std::strlen(text) + extra);
    if (!out) return nullptr;
    char *o = out;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n' && (p == text || p[-1] != '\r')) *o++ = '\r';
        *o++ = *p;
    }
    *o = 0;
    return out;
}

// Position pos of text in the edit field, which holds a CR before every bare
// line feed.
int DisplayPosition(const char *text, int pos) {
    int shift = 0;
    for (int i = 0; i < pos && text[i]; ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++shift;
    return pos + shift;
}

// Enter in the edit field: a line break with the option "Enter key", else
// OK (the field is multi-line, and would otherwise keep the key).
LRESULT CALLBACK EnterKeyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND dialog = GetParent(edit);
    CompilerErrorDialog *state = StateOf(dialog);
    if (message == WM_GETDLGCODE)
        return CallWindowProcA(state->editProc, edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        if (state->request->enterKeyBreaksLine)
            SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\r\n"));
        else
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return 0;
    }
    if (message == WM_CHAR && (wParam == '\r' || wParam == '\n')) return 0;
    return CallWindowProcA(state->editProc, edit, message, wParam, lParam);
}

BOOL OnInitDialog(HWND dialog, CompilerErrorDialog *state) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    const CompilerErrorRequest *r = state->request;
    SetDlgItemTextA(dialog, IDC_COMPILE_LABEL, r->label);
    SetDlgItemTextA(dialog, IDC_COMPILE_MESSAGE, r->message);
    HWND edit = GetDlgItem(dialog, IDC_COMPILE_TEXT);
    // 0 lifts the control's default limit: a long problem text is never cut.
    SendMessageA(edit, EM_LIMITTEXT, r->maxLength > 0 ? r->maxLength : 0, 0);
    char *shown = WithCrLf(r->text);
    SetWindowTextA(edit, shown ? shown : r->text);
    FreeAndNull(shown);
    state->editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EnterKeyEditProc)));
    SetFocus(edit);
    return FALSE;  // the focus is set
}

// The first focus selects from the error position to where the compiler
// stopped; later focus changes behave as usual.
void OnEditFocus(HWND dialog, CompilerErrorDialog *state) {
    if (state->selectionDone) return;
    state->selectionDone = true;
    const CompilerErrorRequest *r = state->request;
    if (r->selectionStart < 0) return;
    const int start = DisplayPosition(r->text, r->selectionStart);
    const int end = DisplayPosition(r->text, r->selectionEnd);
    HWND edit = GetDlgItem(dialog, IDC_COMPILE_TEXT);
    SendMessageA(edit, EM_SETSEL, start, end);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void OnOk(HWND dialog, CompilerErrorDialog *state) {
    HWND edit = GetDlgItem(dialog, IDC_COMPILE_TEXT);
    const int length = GetWindowTextLengthA(edit);
    char *text = AllocTextBuffer(static_cast<size_t>(length));
    if (!text) return;  // reported; the dialog stays open
    GetWindowTextA(edit, text, length + 1);
    state->request->corrected = text;
    EndDialog(dialog, IDOK);
}

// Through the one help routine, which picks the engine the file needs.
void ShowDialogHelp(HWND dialog, UINT command, ULONG_PTR data) { ShowHelp(dialog, gHelpFile, command, data); }

INT_PTR CALLBACK CompilerErrorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CompilerErrorDialog *state = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<CompilerErrorDialog *>(lParam));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_COMPILE_TEXT:
            if (HIWORD(wParam) == EN_SETFOCUS && state) OnEditFocus(dialog, state);
            return TRUE;
        case IDOK: OnOk(dialog, state); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDHELP: ShowDialogHelp(dialog, HELP_CONTEXT, state->request->helpId); return TRUE;
        }
        return FALSE;
    case WM_HELP: {
        const HELPINFO *info = reinterpret_cast<const HELPINFO *>(lParam);
        ShowDialogHelp(dialog, HELP_CONTEXTPOPUP, static_cast<ULONG_PTR>(info->iCtrlId));
        return TRUE;
    }
    case WM_CONTEXTMENU:
        ShowDialogHelp(dialog, HELP_CONTEXTPOPUP,
                       static_cast<ULONG_PTR>(GetDlgCtrlID(reinterpret_cast<HWND>(wParam))));
        return TRUE;
    case WM_DESTROY:
        if (state && state->editProc)
            SetWindowLongPtrA(GetDlgItem(dialog, IDC_COMPILE_TEXT), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(state->editProc));
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int ShowCompilerErrorDialog(CompilerErrorRequest *request) {
    CompilerErrorDialog state = {request, false, nullptr};
    request->corrected = nullptr;
    HWND owner = request->ownedByCalculator && gCalculatorDialog ? gCalculatorDialog : gFrameWindow;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COMPILER_ERROR), owner,
                                     CompilerErrorDlgProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK && request->corrected) return kIdOk;
    FreeAndNull(request->corrected);
    return kIdCancel;
}
