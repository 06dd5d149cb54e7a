// Dialogs of one's own procedure: running a template of the resources and
// the help of their controls.
#pragma once
#include <windows.h>

// Finds the template in the resources and runs it modally; an owner that is
// the frame is replaced by the frame's last active popup.
INT_PTR RunModalDialog(int resourceId, HWND owner, DLGPROC procedure, LPARAM param = 0);
HWND CreateModelessDialog(int resourceId, HWND owner, DLGPROC procedure, LPARAM param = 0);

// WM_HELP and WM_CONTEXTMENU of a dialog: the help of the control; true
// when the message was one of them.
bool OnDialogHelpMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
