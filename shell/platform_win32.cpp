// The platform services of engine/platform.h on real Win32 calls.
#include "platform_win32.h"

#include "platform.h"

HWND gFrameWindow;

int PlatformMessageBox(const char *text, const char *caption, unsigned style, int helpId) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = gFrameWindow ? GetLastActivePopup(gFrameWindow) : GetActiveWindow();
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style;
    params.dwContextHelpId = static_cast<DWORD_PTR>(helpId);
    return MessageBoxIndirectA(&params);
}

void PlatformPumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PlatformSetCommandState(int command, bool enabled) {
    if (!gFrameWindow) return;
    if (HMENU menu = GetMenu(gFrameWindow))
        EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

int PlatformLoadString(int id, char *buffer, int size) {
    if (size <= 0) return 0;
    int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, size);
    if (length <= 0) buffer[0] = 0;
    return length;
}
