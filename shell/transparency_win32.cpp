#include "transparency_win32.h"

#include "settings.h"

int InactiveAlpha(int transparency) {
    if (transparency <= 0) return 255;
    if (transparency > 100) transparency = 100;
    return (100 - transparency) * 255 / 100;
}

void SetInactiveTransparency(HWND window, bool active) {
    if (!window) return;
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    if (active || gTransparency <= 0) {
        if (!(style & WS_EX_LAYERED)) return;
        SetWindowLongA(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        // Dropping the layered style leaves the window unpainted until asked.
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }
    if (!(style & WS_EX_LAYERED)) SetWindowLongA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(InactiveAlpha(gTransparency)), LWA_ALPHA);
}
