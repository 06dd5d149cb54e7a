// The Win32 side of graphics elements: the structured fault guard around
// their drawing, a context of the element's window for drawing outside a
// redraw, the element commands and the mode hooks of mouse editing.
#include "graphics_host.h"
#include <cstring>

#include "resource_ids.h"
#include "fault_guard.h"
#include "graph_cursor.h"
#include "graph_elements.h"
#include "graph_window_win32.h"
#include "problem_clipboard_win32.h"
#include "problem_settings.h"

ElementClipboardHooks gElementClipboard;
const char *gElementProblemPath;

const char *ElementProblemFolder() {
    static char folder[MAX_PATH];
    folder[0] = 0;
    if (!gElementProblemPath) return folder;
    const size_t n = std::strlen(gElementProblemPath);
    if (n >= sizeof folder) return folder;  // no such path: no folder
    std::memcpy(folder, gElementProblemPath, n + 1);
    char *cut = std::strrchr(folder, '\\');
    if (char *slash = std::strrchr(folder, '/'))
        if (!cut || slash > cut) cut = slash;
    if (cut) {
        cut[1] = 0;
    } else {
        folder[0] = 0;  // an unnamed problem or a bare name: the current folder was tried first
    }
    return folder;
}

namespace {

HWND gElementDcWindow;

uint32_t TakeElementDc() {
    gElementDcWindow = ToHwnd(FindGraphWindow());
    if (!gElementDcWindow || IsIconic(gElementDcWindow)) return 0;
    return FromHdc(GetDC(gElementDcWindow));
}

void GiveElementDc(uint32_t dc) {
    if (gElementDcWindow) ReleaseDC(gElementDcWindow, ToHdc(dc));
    gElementDcWindow = nullptr;
}

void (*gVisitState)(GraphWindowState *state);

void VisitGraphWindow(HWND window) {
    if (GraphWindowState *s = GraphStateOf(window)) {
        // The code of each window is compiled with that window current.
        GraphWindowState *saved = gCurrentGraph;
        gCurrentGraph = s;
        gVisitState(s);
        gCurrentGraph = saved;
    }
}

void ForEachGraphState(void (*visit)(GraphWindowState *state)) {
    gVisitState = visit;
    ForEachGraphWindow(VisitGraphWindow);
}

// The dialogs (605, 606) count when the shell has installed them.
int ElementCommandAvailable(int id) {
    switch (id) {
    case IDM_NEW_ELEMENT:
    case IDM_EDIT_ELEMENT: return gGraphWindowHooks.elementDialogCommand != nullptr;
    default:
        return id == IDM_NEXT_ELEMENT || id == IDM_PREVIOUS_ELEMENT || id == IDM_REMOVE_ELEMENT ||
               id == IDM_ELEMENT_TO_CLIPBOARD || id == IDM_ELEMENT_FROM_CLIPBOARD;
    }
}

// The element clipboard; a paste goes after the current element and is
// refused during a run, whose drawing walks the list.
void ElementClipboardCommand(HWND window, int id) {
    GraphWindowState *g = gCurrentGraph;
    if (id == IDM_ELEMENT_TO_CLIPBOARD) {
        CopyElementToClipboard(g->currentElement);
        return;
    }
    if (gGraphWindowHooks.running && gGraphWindowHooks.running()) return;
    const int before = g->elementCount;
    PasteElementFromClipboard();
    if (g->elementCount > before) {
        gProblemChanged = 1;
        SetMouseMode(gMouseMode);
        if (window) RefreshGraphWindow(window);
    }
}

void ElementCommand(HWND window, int id) {
    if (!gCurrentGraph) return;
    switch (id) {
    case IDM_NEXT_ELEMENT:
        if (SelectNextElement()) SetMouseMode(gMouseMode);
        break;
    case IDM_PREVIOUS_ELEMENT:
        if (SelectPreviousElement()) SetMouseMode(gMouseMode);
        break;
    case IDM_REMOVE_ELEMENT:
        if (RemoveCurrentElement()) {
            SetMouseMode(gMouseMode);
            if (window) RefreshGraphWindow(window);
        }
        break;
    case IDM_ELEMENT_TO_CLIPBOARD:
    case IDM_ELEMENT_FROM_CLIPBOARD: ElementClipboardCommand(window, id); break;
    default:
        if (gGraphWindowHooks.elementDialogCommand) gGraphWindowHooks.elementDialogCommand(window, id);
        break;
    }
}

int ElementActionInProgress() { return gElementActionInProgress; }

void PlaceCursorOnHandle() { PlaceElementCursor(0); }

}  // namespace

void InstallGraphElementsWin32() {
    InstallGraphicsElements();
    gGraphicsHost.elementFaultGuard = RunFaultGuarded;
    gElementDcHooks.take = TakeElementDc;
    gElementDcHooks.give = GiveElementDc;
    gGraphicsHost.forEachGraphState = ForEachGraphState;
    gGraphWindowHooks.elementCommand = ElementCommand;
    gGraphWindowHooks.elementCommandAvailable = ElementCommandAvailable;
    gGraphWindowHooks.elementActionInProgress = ElementActionInProgress;
    gGraphWindowHooks.adjustMouseMode = AdjustMouseMode;
    gGraphWindowHooks.placeElementCursor = PlaceCursorOnHandle;
}
