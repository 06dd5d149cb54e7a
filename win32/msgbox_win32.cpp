#include "msgbox_win32.h"

#include <cstdio>

#include "messages.h"
#include "platform.h"
#include "string_ids.h"
#include "window_helpers.h"

int gQuietMessages;
HWND gQuietMessageWindow;

namespace {

constexpr int kLastStringIdSystemText = 10067;
constexpr int kLastStringIdMemoryExhausted = 10210;
constexpr int kButtonCount = 9;  // IDOK .. IDHELP

// One box at a time: the flag is set just before the box, cleared by the
// hook when it relabels, and the hook is removed right after the box.
int gRelabelPending;
HHOOK gMessageBoxHook;

int ShowQuiet(const char *text) {
    char line[kMessageBufferSize];
    std::snprintf(line, sizeof line, "%s", text);
    for (char *p = line; *p; ++p)
        if (*p == '\n') *p = ' ';
    const char *start = line;
    while (*start == ' ') ++start;
    return SetDlgItemTextA(gQuietMessageWindow, kQuietOutputControl, start);
}

}  // namespace

HWND GetMessageOwnerWindow() {
    HWND popup = gFrameWindow ? GetLastActivePopup(gFrameWindow) : nullptr;
    if (popup && IsWindow(popup) && popup != gFrameWindow) return popup;
    if (gMdiClient && IsWindow(gMdiClient)) return gMdiClient;
    if (gFrameWindow && IsWindow(gFrameWindow)) return gFrameWindow;
    return GetDesktopWindow();
}

void RelabelMessageBoxButtons(HWND box) {
    for (int id = 1; id <= kButtonCount; ++id) {
        if (HWND button = GetDlgItem(box, id)) SetWindowTextA(button, LoadTextResource(IDS_BUTTON_OK + id - 1));
    }
}

LRESULT CALLBACK MessageBoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && gRelabelPending) {
        RelabelMessageBoxButtons(reinterpret_cast<HWND>(wParam));
        gRelabelPending = 0;
        return 0;
    }
    return CallNextHookEx(gMessageBoxHook, code, wParam, lParam);
}

void CALLBACK MessageBoxHelpCallback(LPHELPINFO) { ShowHelpTopic(gLastStringId); }

int MessageBoxWithButtonNames(MSGBOXPARAMSA *params) {
    // A box can open inside another one's modal loop (a window procedure
    // reporting an error): each removes its own hook and restores the outer.
    HHOOK outer = gMessageBoxHook;
    gRelabelPending = 1;
    HHOOK hook = SetWindowsHookExA(WH_CBT, MessageBoxHookProc, nullptr, GetCurrentThreadId());
    gMessageBoxHook = hook;
    int result = MessageBoxIndirectA(params);
    if (hook) UnhookWindowsHookEx(hook);
    gMessageBoxHook = outer;
    gRelabelPending = 0;
    return result;
}

int ShowWin32MessageBox(const char *text, const char *caption, unsigned style, int helpId) {
    // Without its calculator a quiet message would be lost: show the box.
    if (gQuietMessages && gQuietMessageWindow && IsWindow(gQuietMessageWindow)) return ShowQuiet(text);
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = GetMessageOwnerWindow();
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style | MB_HELP;
    params.dwContextHelpId = static_cast<DWORD_PTR>(helpId);
    params.lpfnMsgBoxCallback = MessageBoxHelpCallback;
    return MessageBoxWithButtonNames(&params);
}

int ShowSystemError(DWORD code) {
    char text[kMessageBufferSize];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = 0;
    if (n > 0) {
        gLastStringId = kLastStringIdSystemText;
    } else {
        gLastStringId = IDS_UNKNOWN_SYSTEM_ERROR;
        std::snprintf(text, sizeof text, "%s", LoadTextResource(IDS_UNKNOWN_SYSTEM_ERROR));
    }
    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_ERROR_CAPTION));
    return ShowMessageBox(text, caption, kMbOk | kMbIconError);
}

int ShowMemoryExhausted() {
    gLastStringId = kLastStringIdMemoryExhausted;
    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_PROGRAM_CAPTION));
    return MessageBoxA(nullptr, "Memory exhausted", caption, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}
