#include "calculator_win32.h"

#include <richedit.h>

#include <string>

#include "calculator_logic.h"
#include "file_dialogs.h"
#include "help_engine.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "printing_win32.h"
#include "resource_ids.h"
#include "safe_save.h"
#include "settings.h"
#include "string_ids.h"
#include "transparency_win32.h"
#include "ui_lock.h"
#include "workspace.h"

namespace {

constexpr int kCalculatorHelpTopic = 2920;
HMODULE gRichEditLibrary;

HWND History(HWND dialog) { return GetDlgItem(dialog, IDC_CALC_HISTORY); }

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(length + 1, '\0');
    GetWindowTextA(control, &text[0], length + 1);
    text.resize(length);
    return text;
}

// The history becomes a rich-edit control in the placeholder's place (a
// plain edit control when the library is missing).
void LoadRichEditControl(HWND dialog) {
    if (!gRichEditLibrary) gRichEditLibrary = LoadLibraryA("RICHED32.DLL");
    HWND placeholder = History(dialog);
    RECT r;
    GetWindowRect(placeholder, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    DestroyWindow(placeholder);
    const char *cls = gRichEditLibrary ? "RichEdit" : "EDIT";
    HWND history = CreateWindowExA(WS_EX_CLIENTEDGE, cls, "", 0x5031F0C4, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, dialog, reinterpret_cast<HMENU>(IDC_CALC_HISTORY),
                                   GetModuleHandleA(nullptr), nullptr);
    if (!history) return;
    SendMessageA(history, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), 0);
    SendMessageA(history, EM_EXLIMITTEXT, 0, 0x100000);
    SendMessageA(history, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
}

void AppendHistory(HWND dialog, const std::string &lines) {
    HWND history = History(dialog);
    const int end = GetWindowTextLengthA(history);
    SendMessageA(history, EM_SETSEL, end, end);
    const std::string text = (end > 0 ? "\r\n" : "") + lines;
    SendMessageA(history, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(history, EM_SCROLLCARET, 0, 0);
}

void EnableEvaluate(HWND dialog) {
    const BOOL on = gCalculator.input && gCalculator.input[0];
    EnableWindow(GetDlgItem(dialog, IDC_CALC_EVALUATE), on);
    EnableMenuItem(GetMenu(dialog), IDM_CALC_EVALUATE, on ? MF_ENABLED : MF_GRAYED);
}

void CentreOver(HWND dialog, HWND owner) {
    RECT o, d;
    if (owner) GetWindowRect(owner, &o);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &o, 0);
    GetWindowRect(dialog, &d);
    const int w = d.right - d.left, h = d.bottom - d.top;
    SetWindowPos(dialog, nullptr, o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Typing in the input or the format: keep the texts, evaluate silently.
void OnTextChanged(HWND dialog) {
    const std::string input = ControlText(GetDlgItem(dialog, IDC_CALC_INPUT));
    const std::string format = ControlText(GetDlgItem(dialog, IDC_CALC_FORMAT));
    if (!SetCalculatorInput(input.c_str())) return;  // the edit's limit keeps this from happening
    lstrcpynA(gCalculator.format, format.c_str(), sizeof gCalculator.format);
    EnableEvaluate(dialog);
    // Typing is quiet: a run-time message goes into the current value, not
    // into a box, and stays there, since a fault leaves no new value.
    SetDlgItemTextA(dialog, IDC_CALC_CURRENT, "");
    char current[1100];
    const int quiet = gQuietMessages;
    HWND quietWindow = gQuietMessageWindow;
    gQuietMessages = 1;
    gQuietMessageWindow = dialog;
    const int ok = EvaluateCalculator(kCalculatorTyping, current, sizeof current);
    gQuietMessages = quiet;
    gQuietMessageWindow = quietWindow;
    if (ok) SetDlgItemTextA(dialog, IDC_CALC_CURRENT, current);
}

void OnEvaluate(HWND dialog) {
    char current[1100];
    const int ok = EvaluateCalculator(kCalculatorEvaluate, current, sizeof current);
    SetDlgItemTextA(dialog, IDC_CALC_CURRENT, current);
    // The compile-error dialog may have corrected the input.
    HWND input = GetDlgItem(dialog, IDC_CALC_INPUT);
    SetWindowTextA(input, gCalculator.input ? gCalculator.input : "");
    const int end = GetWindowTextLengthA(input);
    SendMessageA(input, EM_SETSEL, end, end);
    if (ok && current[0]) {
        const std::string lines = RecordCalculatorResult(gCalculatorLastValue, current);
        if (!lines.empty()) AppendHistory(dialog, lines);
    }
    SetFocus(input);
}

void OnClearAll(HWND dialog) {
    ClearCalculator();
    SetDlgItemTextA(dialog, IDC_CALC_INPUT, "");
    SetDlgItemTextA(dialog, IDC_CALC_CURRENT, "");
    SetWindowTextA(History(dialog), "");
    EnableEvaluate(dialog);
}

// "Save...": exactly the history's text, through a temporary file.
void OnSave(HWND dialog) {
    HWND history = History(dialog);
    if (GetWindowTextLengthA(history) == 0) return;
    if (!AskFileName("", gFileDialogBuffer, IDS_TITLE_SAVE_AS, IDS_FILTER_TEXT, 1, dialog)) return;
    if (FileExists(gFileDialogBuffer) && !AskOkCancel(IDS_EPS_OVERWRITE)) return;
    const std::string text = ControlText(history);
    SafeSave save;
    SetLastError(0);  // the save reports by errno: no stale code in its message
    if (!BeginSafeSave(&save, gFileDialogBuffer, 0)) {
        ShowSystemError(GetLastError() ? GetLastError() : ERROR_CANNOT_MAKE);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), save.file);
    if (!CommitSafeSave(&save)) ShowSystemError(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
}

void UpdateMenu(HWND dialog, HMENU menu) {
    HWND history = History(dialog);
    const bool filled = GetWindowTextLengthA(history) > 0;
    const bool inputFilled = gCalculator.input && gCalculator.input[0];
    DWORD from = 0, to = 0;
    SendMessageA(history, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const bool selection = from != to;
    auto set = [menu](UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    set(IDM_CALC_SAVE, filled);
    set(IDM_CALC_PRINT, filled);
    set(IDM_CALC_SELECT_ALL, filled);
    set(IDM_CALC_CLEAR_ALL, filled || inputFilled);
    set(IDM_CALC_UNDO, SendMessageA(history, EM_CANUNDO, 0, 0) != 0);
    set(IDM_CALC_PASTE, SendMessageA(history, EM_CANPASTE, 0, 0) != 0 || IsClipboardFormatAvailable(CF_TEXT));
    set(IDM_CALC_CUT, selection);
    set(IDM_CALC_COPY, selection);
    set(IDM_CALC_CLEAR, selection);
}

// The Edit menu's items at the mouse point (the cursor for a keyboard request).
void ShowEditPopup(HWND dialog, LPARAM at) {
    HMENU edit = GetSubMenu(GetMenu(dialog), 1);
    if (!edit) return;
    UpdateMenu(dialog, edit);
    EnableEvaluate(dialog);
    POINT p = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (p.x == -1 && p.y == -1) GetCursorPos(&p);
    TrackPopupMenu(edit, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, dialog, nullptr);
}

void ShowCalculatorHelp(HWND dialog, UINT command, ULONG_PTR data) { ShowHelp(dialog, gHelpFile, command, data); }

}  // namespace

INT_PTR CALLBACK CalculatorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LoadRichEditControl(dialog);
        SendDlgItemMessageA(dialog, IDC_CALC_INPUT, EM_LIMITTEXT, kCalculatorInputLimit, 0);
        SendDlgItemMessageA(dialog, IDC_CALC_FORMAT, EM_LIMITTEXT, kCalculatorFormatLimit, 0);
        SetDlgItemTextA(dialog, IDC_CALC_FORMAT, gCalculator.format);
        CentreOver(dialog, GetWindow(dialog, GW_OWNER));
        EnableEvaluate(dialog);
        return TRUE;
    case WM_INITMENUPOPUP:
        UpdateMenu(dialog, reinterpret_cast<HMENU>(wParam));
        EnableEvaluate(dialog);
        return TRUE;
    case WM_ACTIVATE:
        SetInactiveTransparency(dialog, LOWORD(wParam) != WA_INACTIVE);
        return FALSE;
    case WM_CONTEXTMENU: ShowEditPopup(dialog, lParam); return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        HWND history = History(dialog);
        switch (id) {
        case IDC_CALC_INPUT:
        case IDC_CALC_FORMAT:
            if (HIWORD(wParam) == EN_CHANGE) OnTextChanged(dialog);
            return TRUE;
        case IDC_CALC_EVALUATE:
        case IDM_CALC_EVALUATE:
            if (gCalculator.input && gCalculator.input[0]) OnEvaluate(dialog);
            return TRUE;
        case IDM_CALC_CLEAR_ALL: OnClearAll(dialog); return TRUE;
        case IDM_CALC_SAVE: OnSave(dialog); return TRUE;
        case IDM_CALC_PRINT:
            if (GetWindowTextLengthA(history) > 0) PrintEditControl(history);
            return TRUE;
        case IDM_CALC_SELECT_ALL:
            SendMessageA(history, EM_SETSEL, 0, -1);
            SetFocus(history);
            return TRUE;
        case IDM_CALC_UNDO: SendMessageA(history, EM_UNDO, 0, 0); return TRUE;
        case IDM_CALC_CUT: SendMessageA(history, WM_CUT, 0, 0); return TRUE;
        case IDM_CALC_COPY: SendMessageA(history, WM_COPY, 0, 0); return TRUE;
        case IDM_CALC_PASTE: SendMessageA(history, WM_PASTE, 0, 0); return TRUE;
        case IDM_CALC_CLEAR: SendMessageA(history, WM_CLEAR, 0, 0); return TRUE;
        case IDC_CALC_HELP:
        case IDM_CALC_HELP_TOPIC: ShowCalculatorHelp(dialog, HELP_CONTEXT, kCalculatorHelpTopic); return TRUE;
        case IDM_CALC_HELP_INDEX: ShowCalculatorHelp(dialog, HELP_CONTENTS, 0); return TRUE;
        case IDM_CALC_HELP_SEARCH:
            ShowCalculatorHelp(dialog, HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>(""));
            return TRUE;
        case IDCANCEL: {
            ShowWindow(dialog, SW_HIDE);
            HWND owner = GetWindow(dialog, GW_OWNER);
            if (owner) SetFocus(owner);
            return TRUE;
        }
        }
        return FALSE;
    }
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case WM_DESTROY:
        if (gCalculatorDialog == dialog) gCalculatorDialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

HWND ShowCalculator(HWND frame) {
    if (!gCalculatorDialog) {
        gCalculatorDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CALCULATOR), frame,
                                               CalculatorDlgProc, 0);
        if (!gCalculatorDialog) return nullptr;
    }
    ShowWindow(gCalculatorDialog, SW_SHOW);
    SetForegroundWindow(gCalculatorDialog);
    SetFocus(GetDlgItem(gCalculatorDialog, IDC_CALC_INPUT));
    return gCalculatorDialog;
}

void CloseCalculator() {
    if (gCalculatorDialog) DestroyWindow(gCalculatorDialog);
    gCalculatorDialog = nullptr;
    ReleaseCalculator();
}
