// Win32 side of the platform services: the windows they act on.
#pragma once
#include <windows.h>

// The frame window, once created; menus and message owners refer to it.
extern HWND gFrameWindow;
