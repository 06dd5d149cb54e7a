// The platform services of engine/platform.h on real Win32 calls.
#include "platform_win32.h"

#include "command_state.h"  // CommandOfChoice
#include "msgbox_win32.h"
#include "platform.h"
#include "run_host.h"

namespace {

int MessageBoxOnScreen(const char *text, const char *caption, unsigned style, int helpId) {
    // A box in a run shows over everything the run gave the windows so far.
    if (gRunHost.flushRunOutput) gRunHost.flushRunOutput(1);
    return ShowWin32MessageBox(text, caption, style, helpId);
}

void PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SetChoiceOnMenu(RunChoice choice, bool enabled) {
    if (!gFrameWindow) return;
    if (HMENU menu = GetMenu(gFrameWindow))
        EnableMenuItem(menu, static_cast<UINT>(CommandOfChoice(choice)),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

int LoadStringResource(int id, char *buffer, int size) {
    if (size <= 0) return 0;
    int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, size);
    if (length <= 0) buffer[0] = 0;
    return length;
}

}  // namespace

void InstallWin32PlatformHost() {
    gPlatformHost.messageBox = MessageBoxOnScreen;
    gPlatformHost.pumpMessages = PumpWaitingMessages;
    gPlatformHost.setChoiceState = SetChoiceOnMenu;
    gPlatformHost.loadString = LoadStringResource;
    gPlatformHost.compilerErrorDialog = ShowCompilerErrorDialog;
    gPlatformHost.channelDialog = ShowChannelDialog;
    gPlatformHost.inputDialog = ShowInputValueDialog;
}
