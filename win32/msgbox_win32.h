// The message box on Win32: owner, Help button, button texts from the string
// table, quiet mode, and the boxes that need the system itself.
#pragma once
#include <windows.h>

// Quiet mode (the calculator evaluating silently): messages go into control
// 31006 of gQuietMessageWindow instead of a box, line breaks as blanks.
extern int gQuietMessages;
extern HWND gQuietMessageWindow;
constexpr int kQuietOutputControl = 31006;

// Shows the box for ShowMessageBox (the platform's PlatformMessageBox).
int ShowWin32MessageBox(const char *text, const char *caption, unsigned style, int helpId);

// Frame's last active popup, else the multi-document client, else the
// frame, else the desktop.
HWND GetMessageOwnerWindow();

// Shows params through MessageBoxIndirect with the buttons relabelled from
// strings 10400-10408 by a one-shot CBT hook of this thread.
int MessageBoxWithButtonNames(MSGBOXPARAMSA *params);
// Controls 1-9 of box (OK, Cancel, Abort, Retry, Ignore, Yes, No, Close,
// Help) get strings 10400-10408.
void RelabelMessageBoxButtons(HWND box);
LRESULT CALLBACK MessageBoxHookProc(int code, WPARAM wParam, LPARAM lParam);
void CALLBACK MessageBoxHelpCallback(LPHELPINFO info);

// The system's text for an error code (string 10066 when it has none), in
// an error box.
int ShowSystemError(DWORD code);

// A plain system-modal box that needs no string table, hook or help.
int ShowMemoryExhausted();
