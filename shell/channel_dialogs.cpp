// Dialogs of the file channels: 840 "Output File", 850 "Input File" and
// 855 "BMP Files" ask for a file (folder) and a format (pattern); 860
// "Input value" asks for the number that INPUT returns. Cancel in any of them
// asks the frame to stop a run, which may be going on behind the dialog.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "file_channels.h"
#include "file_dialogs.h"
#include "platform.h"
#include "platform_win32.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "messages.h"
#include "ui_lock.h"

namespace {

constexpr int kChannelHelpTopic = 2800;
constexpr int kInputHelpTopic = 2820;

// Control ids of one channel dialog: 840 and 850 share theirs.
struct ChannelControls {
    int number, name, browse, format;
};

int ResourceOfChannelDialog(int dialogId) {
    if (dialogId == kDialogOutputFile) return IDD_OUTPUT_FILE;
    return dialogId == kDialogBmpFiles ? IDD_BMP_FILES : IDD_INPUT_FILE;
}

ChannelControls ControlsOf(int dialogId) {
    if (dialogId == kDialogBmpFiles) return {IDC_BMP_NUMBER, IDC_BMP_FOLDER, IDC_BMP_BROWSE, IDC_BMP_PATTERN};
    return {IDC_CHANNEL_NUMBER, IDC_CHANNEL_FILE, IDC_CHANNEL_BROWSE, IDC_CHANNEL_FORMAT};
}

ChannelDialogRequest *RequestOf(HWND dialog) {
    return reinterpret_cast<ChannelDialogRequest *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void CancelAndStop(HWND dialog, INT_PTR result) {
    if (gFrameWindow) PostMessageA(gFrameWindow, WM_COMMAND, kCmdStop, 0);
    EndDialog(dialog, result);
}

// An empty field takes the focus with a warning beep; false then.
bool Filled(HWND dialog, int id) {
    if (GetWindowTextLengthA(GetDlgItem(dialog, id)) > 0) return true;
    SetFocus(GetDlgItem(dialog, id));
    MessageBeep(MB_ICONEXCLAMATION);
    return false;
}

// The open or save dialog for a text file, starting from the field's text.
void BrowseFile(HWND dialog, const ChannelDialogRequest *request, int field) {
    char file[kFileNameSize] = {};
    GetDlgItemTextA(dialog, field, file, sizeof file);
    if (AskChannelFileName(dialog, file, request->dialogId == kDialogOutputFile))
        SetDlgItemTextA(dialog, field, file);
}

int CALLBACK PreselectFolder(HWND browser, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED && folder && *reinterpret_cast<const char *>(folder))
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);
    return 0;
}

// The shell's folder browser, file-system folders only.
void BrowseFolder(HWND dialog, int field) {
    char folder[MAX_PATH + 1] = {};
    GetDlgItemTextA(dialog, field, folder, sizeof folder);
    char title[kMessageBufferSize] = {};
    PlatformLoadString(IDS_SELECT_OUTPUT_DIRECTORY, title, sizeof title);
    BROWSEINFOA info = {};
    info.hwndOwner = dialog;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = PreselectFolder;
    info.lParam = reinterpret_cast<LPARAM>(folder);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen) return;
    char path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(dialog, field, path);
    CoTaskMemFree(chosen);
}

BOOL OnChannelInit(HWND dialog, ChannelDialogRequest *request) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(request));
    const ChannelControls ids = ControlsOf(request->dialogId);
    SetDlgItemInt(dialog, ids.number, static_cast<UINT>(request->channel), TRUE);
    SendDlgItemMessageA(dialog, ids.name, EM_LIMITTEXT, kChannelTextSize, 0);
    SendDlgItemMessageA(dialog, ids.format, EM_LIMITTEXT, kChannelTextSize, 0);
    SetDlgItemTextA(dialog, ids.name, request->name);
    SetDlgItemTextA(dialog, ids.format, request->format);
    if (request->dialogId != kDialogBmpFiles) EnableAutoComplete(dialog, ids.name);
    return TRUE;
}

void OnChannelOk(HWND dialog, ChannelDialogRequest *request) {
    const ChannelControls ids = ControlsOf(request->dialogId);
    if (!Filled(dialog, ids.name) || !Filled(dialog, ids.format)) return;
    GetDlgItemTextA(dialog, ids.name, request->name, sizeof request->name);
    GetDlgItemTextA(dialog, ids.format, request->format, sizeof request->format);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ChannelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ChannelDialogRequest *request = RequestOf(dialog);
    switch (message) {
    case WM_INITDIALOG: return OnChannelInit(dialog, reinterpret_cast<ChannelDialogRequest *>(lParam));
    case WM_COMMAND: {
        if (!request) return FALSE;
        const int id = LOWORD(wParam);
        const ChannelControls ids = ControlsOf(request->dialogId);
        if (id == IDOK) OnChannelOk(dialog, request);
        else if (id == IDCANCEL) CancelAndStop(dialog, IDCANCEL);
        else if (id == IDHELP) ShowHelpTopic(kChannelHelpTopic);
        else if (id == ids.browse && request->dialogId == kDialogBmpFiles) BrowseFolder(dialog, ids.name);
        else if (id == ids.browse) BrowseFile(dialog, request, ids.name);
        else return FALSE;
        return TRUE;
    }
    case WM_HELP: OnDialogHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam)); return TRUE;
    }
    return FALSE;
}

struct InputDialog {
    const char *prompt;
    double *value;
};

INT_PTR CALLBACK InputDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    InputDialog *state = reinterpret_cast<InputDialog *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<InputDialog *>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        SetDlgItemTextA(dialog, IDC_INPUT_PROMPT, state->prompt);
        SendDlgItemMessageA(dialog, IDC_INPUT_VALUE, EM_LIMITTEXT, kChannelTextSize, 0);
        return TRUE;
    case WM_COMMAND:
        if (!state) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: {
            char text[kChannelTextSize + 1] = {};
            GetDlgItemTextA(dialog, IDC_INPUT_VALUE, text, sizeof text);
            if (ParseInputValue(text, state->value)) {
                EndDialog(dialog, IDOK);
            } else {
                SetFocus(GetDlgItem(dialog, IDC_INPUT_VALUE));
                MessageBeep(MB_ICONEXCLAMATION);
            }
            return TRUE;
        }
        case IDCANCEL: CancelAndStop(dialog, 0); return TRUE;
        case IDHELP: ShowHelpTopic(kInputHelpTopic); return TRUE;
        }
        return FALSE;
    case WM_HELP: OnDialogHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam)); return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowChannelDialog(ChannelDialogRequest *request) {
    const int resource = ResourceOfChannelDialog(request->dialogId);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), gFrameWindow,
                                           ChannelDlgProc, reinterpret_cast<LPARAM>(request));
    return result == IDOK ? kIdOk : kIdCancel;
}

int ShowInputValueDialog(const char *prompt, double *value) {
    InputDialog state = {prompt, value};
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INPUT_VALUE),
                                           gFrameWindow, InputDlgProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? kIdOk : kIdCancel;
}
