#include "picture_commands.h"

#include <richedit.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "described_dialog_win32.h"
#include "file_dialogs.h"
#include "graph_window_win32.h"
#include "msgbox_win32.h"
#include "resource_ids.h"
#include "run_host_win32.h"
#include "safe_save.h"
#include "save_points.h"
#include "settings_tables.h"
#include "window_helpers.h"

namespace {

constexpr int kModeHelpTopic = 2100;
constexpr int kSavePointsHelpTopic = 2860;
// The rich-edit control of a text window is its child 1.
constexpr int kTextControlId = 1;

HWND ActiveChild() {
    return gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

bool IsTextWindow(HWND window) {
    char cls[16];
    return window && GetClassNameA(window, cls, sizeof cls) && std::strcmp(cls, kTextWindowClass) == 0;
}

void Beep() { MessageBeep(MB_ICONEXCLAMATION); }

DWORD ErrnoToSystemError(int error) {
    switch (error) {
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    case EACCES: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC: return ERROR_DISK_FULL;
    default: return ERROR_WRITE_FAULT;
    }
}

// ---- Dialog 880

// The dialog's own copy of what OK stores, filled only when every field
// reads, so that a refused OK changes nothing.
struct SavePointsAnswer {
    char name[kFileNameSize];
    double distance;
    int clip;
    double rect[4];
};

const int kRectangleIds[4] = {IDC_SAVE_POINTS_X_MIN, IDC_SAVE_POINTS_X_MAX, IDC_SAVE_POINTS_Y_MIN,
                              IDC_SAVE_POINTS_Y_MAX};

void SetDouble(HWND dialog, int id, double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.15lg", v);
    SetDlgItemTextA(dialog, id, text);
}

// The whole text of an edit read with "%lg"; false when it holds no number.
bool ReadDouble(HWND dialog, int id, double *out) {
    HWND edit = GetDlgItem(dialog, id);
    const int length = edit ? GetWindowTextLengthA(edit) : 0;
    char *text = static_cast<char *>(std::calloc(static_cast<size_t>(length) + 1, 1));
    if (!text) return false;
    GetWindowTextA(edit, text, length + 1);
    const bool ok = std::sscanf(text, "%lg", out) == 1;
    std::free(text);
    return ok;
}

void RefuseField(HWND dialog, int id) {
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    Beep();
}

// 0 when every field reads (then answer holds them), else the failing id.
int ReadSavePointsFields(HWND dialog, SavePointsAnswer *answer) {
    // A name too long for the buffer is refused rather than cut.
    const int length = GetWindowTextLengthA(GetDlgItem(dialog, IDC_SAVE_POINTS_FILE));
    if (length <= 0 || length >= kFileNameSize) return IDC_SAVE_POINTS_FILE;
    GetDlgItemTextA(dialog, IDC_SAVE_POINTS_FILE, answer->name, sizeof answer->name);
    if (!ReadDouble(dialog, IDC_SAVE_POINTS_DISTANCE, &answer->distance)) return IDC_SAVE_POINTS_DISTANCE;
    answer->clip = IsDlgButtonChecked(dialog, IDC_SAVE_POINTS_CLIP) == BST_CHECKED;
    for (int i = 0; i < 4; ++i) {
        answer->rect[i] = 0;
        if (answer->clip && !ReadDouble(dialog, kRectangleIds[i], &answer->rect[i])) return kRectangleIds[i];
    }
    return 0;
}

void StoreSavePoints(const SavePointsAnswer &answer) {
    std::snprintf(gFileDialogBuffer, sizeof gFileDialogBuffer, "%s", answer.name);
    std::snprintf(gSavePoints.fileName, sizeof gSavePoints.fileName, "%s", answer.name);
    gSavePoints.minDistance = answer.distance;
    gSavePoints.clip = answer.clip;
    if (answer.clip) {
        gSavePoints.xMin = answer.rect[0];
        gSavePoints.xMax = answer.rect[1];
        gSavePoints.yMin = answer.rect[2];
        gSavePoints.yMax = answer.rect[3];
    }
}

void InitSavePointsDialog(HWND dialog, const GraphWindowState *graph) {
    CenterDialogInFrame(dialog);
    SendDlgItemMessageA(dialog, IDC_SAVE_POINTS_FILE, EM_LIMITTEXT, kFileNameSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_SAVE_POINTS_FILE, gFileDialogBuffer);
    EnableAutoComplete(dialog, IDC_SAVE_POINTS_FILE);
    SetDouble(dialog, IDC_SAVE_POINTS_DISTANCE, gSavePoints.minDistance);
    CheckDlgButton(dialog, IDC_SAVE_POINTS_CLIP, gSavePoints.clip ? BST_CHECKED : BST_UNCHECKED);
    const double rect[4] = {graph ? graph->xMin : 0, graph ? graph->xMax : 0, graph ? graph->yMin : 0,
                            graph ? graph->yMax : 0};
    for (int i = 0; i < 4; ++i) SetDouble(dialog, kRectangleIds[i], rect[i]);
}

}  // namespace

INT_PTR CALLBACK SavePointsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitSavePointsDialog(dialog, reinterpret_cast<const GraphWindowState *>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            SavePointsAnswer answer;
            if (const int failed = ReadSavePointsFields(dialog, &answer)) {
                RefuseField(dialog, failed);
                return TRUE;
            }
            StoreSavePoints(answer);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_SAVE_POINTS_HELP: ShowHelpTopic(kSavePointsHelpTopic); return TRUE;
        case IDC_SAVE_POINTS_BROWSE:
            if (AskOutputFileName(dialog)) SetDlgItemTextA(dialog, IDC_SAVE_POINTS_FILE, gFileDialogBuffer);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    }
    return FALSE;
}

// ---- Dialog 500

int RunModeDialog(HWND, PasteOptions *options, unsigned enabledFormats) {
    gPasteFormat = options->format;
    gPasteRasterOp = options->colors;
    gPasteResize = options->resize;
    gPastePriority = options->priority;
    gPictureFormatsOffered = static_cast<int>(enabledFormats & 7);
    const int ok = RunDescribedDialog(kPasteModeTable, kDialogPasteMode, kModeHelpTopic);
    gPictureFormatsOffered = -1;
    if (!ok) return IDCANCEL;
    // Radio groups store a byte index.
    *options = {gPasteFormat & 0xFF, gPasteRasterOp & 0xFF, gPasteResize & 0xFF, gPastePriority & 0xFF};
    return IDOK;
}

void InstallPictureCommands() { gGraphWindowHooks.pasteDialog = RunModeDialog; }

// ---- Text windows

int CopyTextWindow(HWND window, int toFile, const char *path) {
    HWND control = GetDlgItem(window, kTextControlId);
    if (!control) return 0;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    int result = 0;
    if (!toFile) {
        // All of it, and the user's selection back afterwards.
        CHARRANGE selection = {0, 0};
        SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        SendMessageA(control, EM_SETSEL, 0, -1);
        SendMessageA(control, WM_COPY, 0, 0);
        SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        result = 1;
    } else {
        const int length = GetWindowTextLengthA(control);
        char *text = static_cast<char *>(std::calloc(static_cast<size_t>(length) + 32, 1));
        SafeSave save;
        int error = ENOMEM;
        if (text && BeginSafeSave(&save, path, 0)) {
            const int n = GetWindowTextA(control, text, length + 32);
            std::fwrite(text, 1, static_cast<size_t>(n), save.file);
            errno = 0;
            result = CommitSafeSave(&save);
            error = errno;
        } else if (text) {
            error = errno;
        }
        std::free(text);
        if (!result) ShowSystemError(ErrnoToSystemError(error));
    }
    SetCursor(previous);
    return result;
}

// ---- Commands

void CopyActiveWindow() {
    HWND child = ActiveChild();
    if (!child || IsIconic(child)) {
        if (!child) Beep();
        return;
    }
    if (GraphStateOf(child)) CopyGraphPicture(child);
    else if (IsTextWindow(child)) CopyTextWindow(child, 0);
    else Beep();
}

void PastePicture() {
    HWND child = ActiveChild();
    if (!child || !GraphStateOf(child)) {
        Beep();
        return;
    }
    PasteGraphPicture(child);
}

void SaveScreenCommand() {
    HWND child = ActiveChild();
    if (child && GraphStateOf(child)) {
        if (const int format = AskPictureFileName(gFrameWindow, 1)) SaveGraphPicture(child, gFileDialogBuffer, format);
    } else if (IsTextWindow(child)) {
        if (AskOutputFileName(gFrameWindow)) CopyTextWindow(child, 1, gFileDialogBuffer);
    } else {
        Beep();
    }
}

void LoadScreenCommand() {
    HWND child = ActiveChild();
    if (!child || !GraphStateOf(child)) {
        Beep();
        return;
    }
    if (const int format = AskPictureFileName(gFrameWindow, 0)) LoadGraphPicture(child, gFileDialogBuffer, format);
}

void SavePointsCommand() {
    HWND child = ActiveChild();
    GraphWindowState *graph = child ? GraphStateOf(child) : nullptr;
    if (!graph) {
        Beep();
        return;
    }
    gCurrentGraph = graph;
    if (!graph->displayFirst) return;
    if (RunModalDialog(IDD_SAVE_POINTS, gFrameWindow, SavePointsDlgProc, reinterpret_cast<LPARAM>(graph)) != IDOK)
        return;
    // The window may have gone while the dialog was open.
    if (IsWindow(child)) SaveGraphPoints(child, gSavePoints.fileName);
}
