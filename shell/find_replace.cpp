#include "find_replace.h"

#include <richedit.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "app.h"
#include "ui_lock.h"  // gFindReplaceDialog
#include "window_helpers.h"

namespace {

constexpr int kFindHelpTopic = 3003;
constexpr int kReplaceHelpTopic = 3004;

FINDREPLACEA gRequest;
char gFindText[kFindTextSize];
char gReplaceText[kFindTextSize];
HWND gOwner;
int gKind;
UINT gFindMessage, gHelpMessage;
// The last hit, so that searching again moves on.
HWND gLastHitControl;
LONG gLastHitPosition = -1;

void RegisterMessages() {
    if (!gFindMessage) gFindMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
    if (!gHelpMessage) gHelpMessage = RegisterWindowMessageA(HELPMSGSTRINGA);
}

void ActivateOwner(HWND owner, HWND control) {
    if (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_MDICHILD) SendMessageA(gMdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(owner), 0);
    else SetActiveWindow(owner);
    SetFocus(control);
}

}  // namespace

void SetFindReplaceTexts(const char *find, const char *replace) {
    std::snprintf(gFindText, sizeof gFindText, "%s", find ? find : "");
    std::snprintf(gReplaceText, sizeof gReplaceText, "%s", replace ? replace : "");
}

bool FindReplaceAvailable(HWND owner, int kind) {
    return !gFindReplaceDialog || (gOwner == owner && gKind == kind);
}

void OpenFindReplaceDialog(HWND owner, int kind) {
    if (gFindReplaceDialog) {
        if (gOwner == owner && gKind == kind) {
            SetActiveWindow(gFindReplaceDialog);
            SetFocus(gFindReplaceDialog);
        }
        return;
    }
    RegisterMessages();
    gOwner = owner;
    gKind = kind;
    gRequest = FINDREPLACEA{};
    gRequest.lStructSize = sizeof gRequest;
    gRequest.hwndOwner = owner;
    gRequest.hInstance = gInstance;
    gRequest.Flags = FR_SHOWHELP | FR_HIDEUPDOWN | FR_DOWN;
    gRequest.lpstrFindWhat = gFindText;
    gRequest.wFindWhatLen = sizeof gFindText;
    gRequest.lpstrReplaceWith = gReplaceText;
    gRequest.wReplaceWithLen = sizeof gReplaceText;
    gFindReplaceDialog = kind == kReplaceKind ? ReplaceTextA(&gRequest) : FindTextA(&gRequest);
    if (!gFindReplaceDialog) gOwner = nullptr;
}

void ForgetFindReplaceOwner(HWND owner) {
    if (!gFindReplaceDialog || gOwner != owner) return;
    HWND dialog = gFindReplaceDialog;
    gFindReplaceDialog = nullptr;
    gOwner = nullptr;
    DestroyWindow(dialog);
}

bool FindNextInRichEdit(HWND control, bool beep, bool matchCase, bool wholeWord) {
    if (!gFindText[0]) {
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    CHARRANGE selection = {0, 0};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    LONG start = selection.cpMin;
    if (control == gLastHitControl && start == gLastHitPosition) ++start;
    FINDTEXTEXA find = {};
    find.chrg.cpMin = start;
    find.chrg.cpMax = -1;
    find.lpstrText = gFindText;
    const WPARAM flags = FR_DOWN | (matchCase ? FR_MATCHCASE : 0) | (wholeWord ? FR_WHOLEWORD : 0);
    const LRESULT at = SendMessageA(control, EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&find));
    if (at < 0) {
        if (beep) MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    gLastHitControl = control;
    gLastHitPosition = find.chrgText.cpMin;
    return true;
}

// With match case off the search finds a hit whatever its case; the test
// must accept what the search found, or Replace would stop at every such
// hit without replacing it.
bool IsSelectionMatch(HWND control, bool matchCase) {
    CHARRANGE selection = {0, 0};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG length = selection.cpMax - selection.cpMin;
    if (length <= 0 || length != static_cast<LONG>(std::strlen(gFindText))) return false;
    char selected[kFindTextSize + 1] = "";
    SendMessageA(control, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected));
    return matchCase ? std::strcmp(selected, gFindText) == 0 : lstrcmpiA(selected, gFindText) == 0;
}

bool ReplaceSelectionMatch(HWND control, bool matchCase, bool wholeWord) {
    if (!IsSelectionMatch(control, matchCase)) {
        if (!FindNextInRichEdit(control, true, matchCase, wholeWord) || !IsSelectionMatch(control, matchCase))
            return false;
    }
    SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(gReplaceText));
    // The hit is gone: the next search starts right at the caret, or an
    // empty replacement would skip the hit that follows it.
    gLastHitControl = nullptr;
    return FindNextInRichEdit(control, false, matchCase, wholeWord);
}

bool HandleFindReplaceMessage(HWND owner, HWND control, UINT message, LPARAM lParam) {
    if (!message || (message != gFindMessage && message != gHelpMessage) || owner != gOwner) return false;
    if (message == gHelpMessage) {
        ShowHelpTopic(gKind == kReplaceKind ? kReplaceHelpTopic : kFindHelpTopic);
        return true;
    }
    const auto *request = reinterpret_cast<const FINDREPLACEA *>(lParam);
    const DWORD flags = request->Flags;
    if (flags & FR_DIALOGTERM) {
        gFindReplaceDialog = nullptr;
        gOwner = nullptr;
        return true;
    }
    if (!control) return true;
    ActivateOwner(owner, control);
    const bool matchCase = (flags & FR_MATCHCASE) != 0, wholeWord = (flags & FR_WHOLEWORD) != 0;
    if (flags & FR_REPLACEALL) {
        while (ReplaceSelectionMatch(control, matchCase, wholeWord)) {
        }
    } else if (flags & FR_REPLACE) {
        ReplaceSelectionMatch(control, matchCase, wholeWord);
    } else if (flags & FR_FINDNEXT) {
        FindNextInRichEdit(control, true, matchCase, wholeWord);
    }
    return true;
}
