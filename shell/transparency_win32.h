// Windows that turn see-through while inactive (the calculator and the
// browsers), by the option "Transparency".
#pragma once
#include <windows.h>

// Active, or "Transparency" 0: an opaque window. Inactive with t > 0: a
// layered window with alpha (100 - t) * 255 / 100.
void SetInactiveTransparency(HWND window, bool active);

// The alpha that "Transparency" t gives an inactive window (255: opaque).
int InactiveAlpha(int transparency);
