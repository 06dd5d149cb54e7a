// Dialog 800 "Graphics Element" and dialog 830 "New Graphics Element" on
// real windows, the VR_Show colour preview, and the element commands of a
// graph window that open them or use the element clipboard.
#include "element_dialog_win32.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "described_dialog_win32.h"
#include "element_dialog_logic.h"
#include "file_dialogs.h"
#include "graph_cursor.h"
#include "graph_elements.h"
#include "graphics_host.h"
#include "graph_window_win32.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "settings_tables.h"
#include "window_helpers.h"

namespace {

constexpr char kPreviewClass[] = "VR_Show";

ElementDialog gDialog;
HWND gDialogWindow;
std::unique_ptr<DialogControls> gControls;

GraphicsElement *CurrentElement() { return gCurrentGraph ? gCurrentGraph->currentElement : nullptr; }

// ---- Hooks of the dialog

int AskNewKind() { return RunDescribedDialog(kNewElementTable, kDialogNewElement, kNewElementHelp); }

int AskDataFileName(std::string *name) {
    std::snprintf(gFileDialogBuffer, kFileNameSize, "%s", name->c_str());
    if (!AskInputFileName(gDialogWindow)) return 0;
    *name = gFileDialogBuffer;
    return 1;
}

int ChooseElementColor(int32_t *color) {
    static COLORREF custom[16];
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = gDialogWindow;
    choose.rgbResult = static_cast<COLORREF>(*color);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choose)) return 0;
    *color = static_cast<int32_t>(choose.rgbResult);
    return 1;
}

void RepaintPreview() {
    if (!gDialogWindow) return;
    HWND button = GetDlgItem(gDialogWindow, IDC_ELEMENT_COLOR);
    if (button && IsWindowVisible(button)) InvalidateRect(GetDlgItem(gDialogWindow, IDC_ELEMENT_PREVIEW), nullptr, TRUE);
}

ElementDialogHooks DialogHooks() {
    return {AskNewKind, AskDataFileName, ChooseElementColor, gElementClipboard.copy, gElementClipboard.paste,
            ShowHelpTopic, RepaintPreview};
}

// A control that went away or was disabled loses the focus to the dialog.
void KeepFocusAlive(HWND dialog) {
    HWND focus = GetFocus();
    if (!focus || (IsChild(dialog, focus) && (!IsWindowVisible(focus) || !IsWindowEnabled(focus))))
        SetFocus(dialog);
}

INT_PTR CALLBACK GraphicsElementDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        gDialogWindow = dialog;
        CenterDialogInFrame(dialog);
        gControls.reset(NewDialogControls(dialog));
        if (!BeginElementDialog(gDialog, gControls.get(), DialogHooks())) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        EnableAutoComplete(dialog, IDC_ELEMENT_FILE_NAME);
        return TRUE;
    case WM_COMMAND: {
        if (!gDialog.open) break;
        const int result = ElementDialogCommand(gDialog, LOWORD(wParam), HIWORD(wParam));
        if (result >= 0) {
            EndDialog(dialog, result);
        } else {
            KeepFocusAlive(dialog);
        }
        return TRUE;
    }
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    case WM_DESTROY: gDialogWindow = nullptr; break;
    case WM_HELP:
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    default: break;
    }
    return FALSE;
}

void PaintPreview(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    if (GetFocus() == window) DrawFocusRect(dc, &r);
    RECT in = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    FrameRect(dc, &in, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&in, -1, -1);
    const GraphicsElement *e = CurrentElement();
    HBRUSH fill = CreateSolidBrush(e ? static_cast<COLORREF>(e->color) : RGB(255, 255, 255));
    FillRect(dc, &in, fill);
    DeleteObject(fill);
    EndPaint(window, &ps);
}

void FocusColorButton(HWND window) {
    if (HWND button = GetDlgItem(GetParent(window), IDC_ELEMENT_COLOR)) SetFocus(button);
}

void RegisterPreviewClass() {
    static bool done;
    if (done) return;
    done = true;
    WNDCLASSA c = {};
    c.style = CS_DBLCLKS;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.lpfnWndProc = ElementPreviewWndProc;
    c.lpszClassName = kPreviewClass;
    RegisterClassA(&c);
}

// ---- Commands

void AfterEdit(HWND window) {
    SetMouseMode(gMouseMode);
    int32_t dx = 0, dy = 0;
    MoveElementCursor(&dx, &dy, 1);
    if (window) RefreshGraphWindow(window);
}

void OnElementCommand(HWND window, int id) {
    if (!gCurrentGraph) return;
    switch (id) {
    case IDM_NEW_ELEMENT: {
        // Kind, insertion and dialog are one step: Cancel leaves no element.
        const int changed = gProblemChanged;
        if (AskNewKind() != 1) return;
        if (!AddGraphicsElement(0)) return;
        if (ShowGraphicsElementDialog()) {
            AfterEdit(window);
        } else {
            RemoveCurrentElement();
            gProblemChanged = changed;
            SetMouseMode(gMouseMode);
        }
        break;
    }
    case IDM_EDIT_ELEMENT:
        if (ShowGraphicsElementDialog()) AfterEdit(window);
        break;
    case IDM_ELEMENT_TO_CLIPBOARD:
        if (GraphicsElement *e = CurrentElement())
            if (gElementClipboard.copy) gElementClipboard.copy(e);
        break;
    case IDM_ELEMENT_FROM_CLIPBOARD:
        if (gElementClipboard.paste && gElementClipboard.paste()) {
            gProblemChanged = 1;
            if (window) RefreshGraphWindow(window);
            SetMouseMode(gMouseMode);
        }
        break;
    default: break;
    }
}

}  // namespace

LRESULT CALLBACK ElementPreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintPreview(window); return 0;
    case WM_LBUTTONDBLCLK:
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(IDC_ELEMENT_COLOR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(GetParent(window), IDC_ELEMENT_COLOR)));
        FocusColorButton(window);
        return 0;
    case WM_SETFOCUS: FocusColorButton(window); return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int ShowGraphicsElementDialog() {
    GraphWindowState *graph = gCurrentGraph;
    if (!graph || gDialog.open) return 0;
    RegisterPreviewClass();
    const INT_PTR result = RunModalDialog(IDD_GRAPHICS_ELEMENT, gFrameWindow, GraphicsElementDlgProc);
    gCurrentGraph = graph;
    EndElementDialog(gDialog, result == 1);
    gControls.reset();
    return result == 1 ? 1 : 0;
}

void InstallElementDialogs() {
    gGraphWindowHooks.elementDialogCommand = OnElementCommand;
    gGraphicsHost.elementDataFolder = ElementProblemFolder;
}
