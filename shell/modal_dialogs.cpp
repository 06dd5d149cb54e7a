#include "modal_dialogs.h"

#include "window_helpers.h"  // gFrameWindow, OnDialogHelp, OnDialogContextMenu

bool OnDialogHelpMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        OnDialogHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam));
        return true;
    }
    if (message != WM_CONTEXTMENU) return false;
    OnDialogContextMenu(dialog, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                        reinterpret_cast<HWND>(wParam));
    return true;
}

namespace {

HWND OwnerFor(HWND owner) {
    if (owner && owner == gFrameWindow) return GetLastActivePopup(owner);
    return owner;
}

}  // namespace

INT_PTR RunModalDialog(int resourceId, HWND owner, DLGPROC procedure, LPARAM param) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return -1;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded) return -1;
    const INT_PTR result = DialogBoxIndirectParamA(
        instance, static_cast<LPCDLGTEMPLATEA>(LockResource(loaded)), OwnerFor(owner), procedure, param);
    FreeResource(loaded);
    return result;
}

HWND CreateModelessDialog(int resourceId, HWND owner, DLGPROC procedure, LPARAM param) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), OwnerFor(owner), procedure,
                              param);
}
