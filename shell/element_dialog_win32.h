// Dialog 800 "Graphics Element" over the current graph's list, and the
// element commands of graph windows that reach it.
#pragma once
#include <windows.h>

// Runs dialog 800 modally over a copy of gCurrentGraph's list; 1 after OK
// (the edited list kept), 0 after Cancel (the old list back).
int ShowGraphicsElementDialog();
// Window procedure of the class VR_Show: the colour of the current element.
LRESULT CALLBACK ElementPreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Hands commands 605, 606, 610 and 611 of graph windows to the dialogs and
// the element clipboard, and lets data curves look in the problem's folder.
void InstallElementDialogs();
