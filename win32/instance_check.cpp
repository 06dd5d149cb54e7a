#include "instance_check.h"

#include <cstdio>
#include <cstring>

#include "help_engine.h"
#include "messages.h"
#include "settings.h"
#include "string_ids.h"
#include "window_helpers.h"

int gOtherFrameSeen;

namespace {

constexpr int kListBox = IDC_INSTANCE_LIST;
constexpr int kOpenSelected = IDC_OPEN_SELECTED;
constexpr int kNewCopy = IDC_NEW_COPY;
constexpr int kDialogText = IDC_INSTANCE_TEXT;
constexpr int kHelpButton = 9;
constexpr int kDialogHelpTopic = 2830;
constexpr UINT kHelpQuit = 2;
// A hung instance must not hold up this one's start.
constexpr UINT kQueryTimeoutMs = 3000;

const char *gAskingPath = "";

// The caption, copied: LoadTextResource's buffer is shared.
void Caption(char *out, size_t size) { std::snprintf(out, size, "%s", LoadTextResource(IDS_PROGRAM_CAPTION)); }

// Short form of path when the file exists, else the path as written.
void ShortForm(const char *path, char *out, DWORD size) {
    DWORD n = GetShortPathNameA(path, out, size);
    if (n == 0 || n >= size) std::snprintf(out, size, "%s", path);
}

bool IsProgramFrame(HWND window, char *title, int size) {
    char cls[32];
    if (!GetClassNameA(window, cls, sizeof cls) || lstrcmpiA(cls, "VR_Frame") != 0) return false;
    char caption[MAX_PATH];
    Caption(caption, sizeof caption);
    GetWindowTextA(window, title, size);
    size_t n = std::strlen(caption);
    return std::strncmp(title, caption, n) == 0;
}

void CloseHelpIfUsed(HWND dialog) {
    if (gHelpUsed) ShowHelp(dialog, gHelpFile, kHelpQuit, 0);
}

void InitAlreadyRunning(HWND dialog) {
    if (*gAskingPath) {
        char text[kMessageBufferSize];
        std::snprintf(text, sizeof text, "%s", LoadTextResource(IDS_PROBLEM_ALREADY_OPEN));
        SetWindowTextA(dialog, text);
        std::snprintf(text, sizeof text, "%s", LoadTextResource(IDS_SELECT_OR_NEW_COPY));
        SetDlgItemTextA(dialog, kDialogText, text);
    }
    if (CollectRunningInstances(dialog, gAskingPath) == 0) {
        EndDialog(dialog, 0);
        return;
    }
    SendDlgItemMessageA(dialog, kListBox, LB_SETCURSEL, 0, 0);
    SetFocus(GetDlgItem(dialog, kOpenSelected));
}

}  // namespace

LRESULT AnswerInstanceQuery(WPARAM wParam, LPARAM lParam, const char *problemPath) {
    if (wParam != kInstanceQueryWParam || lParam != kInstanceQueryLParam || !*problemPath) return 0;
    return GlobalAddAtomA(problemPath);
}

bool InstanceHasSameProblem(const char *path, HWND frame) {
    if (!*path) return true;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(frame, kInstanceQueryMessage, kInstanceQueryWParam, kInstanceQueryLParam,
                             SMTO_ABORTIFHUNG, kQueryTimeoutMs, &answer))
        return false;
    ATOM atom = LOWORD(answer);
    if (!atom) return false;
    char theirs[MAX_PATH + 1] = "";
    GlobalGetAtomNameA(atom, theirs, sizeof theirs);
    GlobalDeleteAtom(atom);
    char a[MAX_PATH + 1], b[MAX_PATH + 1];
    ShortForm(path, a, sizeof a);
    ShortForm(theirs, b, sizeof b);
    return lstrcmpiA(a, b) == 0;
}

BOOL CALLBACK CollectInstanceProc(HWND window, LPARAM dialog) {
    char title[MAX_PATH];
    if (!IsProgramFrame(window, title, sizeof title)) return TRUE;
    gOtherFrameSeen = 1;
    if (!InstanceHasSameProblem(gAskingPath, window)) return TRUE;
    const char *dash = std::strstr(title, " - ");
    char entry[MAX_PATH];
    if (dash) std::snprintf(entry, sizeof entry, "%s", dash + 3);
    else std::snprintf(entry, sizeof entry, "%s", LoadTextResource(IDS_UNTITLED_PROBLEM_FILE));
    SendDlgItemMessageA(reinterpret_cast<HWND>(dialog), kListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    return TRUE;
}

int CollectRunningInstances(HWND dialog, const char *problemPath) {
    gAskingPath = problemPath ? problemPath : "";
    EnumWindows(CollectInstanceProc, reinterpret_cast<LPARAM>(dialog));
    return static_cast<int>(SendDlgItemMessageA(dialog, kListBox, LB_GETCOUNT, 0, 0));
}

bool ActivateChosenInstance(HWND dialog) {
    char wanted[2 * MAX_PATH];
    Caption(wanted, sizeof wanted);
    char selected[MAX_PATH] = "";
    LRESULT index = SendDlgItemMessageA(dialog, kListBox, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR &&
        SendDlgItemMessageA(dialog, kListBox, LB_GETTEXTLEN, index, 0) < static_cast<LRESULT>(sizeof selected))
        SendDlgItemMessageA(dialog, kListBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(selected));
    if (*selected && lstrcmpA(selected, LoadTextResource(IDS_UNTITLED_PROBLEM_FILE)) != 0) {
        size_t n = std::strlen(wanted);
        std::snprintf(wanted + n, sizeof wanted - n, " - %s", selected);
    }
    HWND frame = FindWindowA("VR_Frame", wanted);
    if (!frame) return false;
    HWND popup = GetLastActivePopup(frame);
    HWND target = popup ? popup : frame;
    BringWindowToTop(target);
    SetForegroundWindow(target);
    if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
    CloseHelpIfUsed(dialog);
    return true;
}

INT_PTR CALLBACK AlreadyRunningDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitAlreadyRunning(dialog);
        return FALSE;  // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kOpenSelected: EndDialog(dialog, ActivateChosenInstance(dialog) ? 1 : 0); return TRUE;
        case kNewCopy: EndDialog(dialog, 0); return TRUE;
        case IDCANCEL:
            CloseHelpIfUsed(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case kHelpButton: ShowHelpTopic(kDialogHelpTopic); return TRUE;
        }
        return FALSE;
    case WM_HELP: OnDialogHelp(dialog, reinterpret_cast<HELPINFO *>(lParam)); return TRUE;
    case WM_CONTEXTMENU:
        OnDialogContextMenu(dialog, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), reinterpret_cast<HWND>(wParam));
        return TRUE;
    }
    return FALSE;
}

int CheckPreviousInstance(const char *problemPath) {
    if (!gCheckPrevious) return 0;
    gAskingPath = problemPath ? problemPath : "";
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAlreadyRunningDialog), nullptr,
                                     AlreadyRunningDlgProc, 0);
    // A dialog that cannot be shown must not end the start.
    return result == -1 ? 0 : static_cast<int>(result);
}
