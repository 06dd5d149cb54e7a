// Win32 side of the platform services: the windows they act on.
#pragma once
#include <windows.h>

#include "window_helpers.h"  // gFrameWindow, gMdiClient
