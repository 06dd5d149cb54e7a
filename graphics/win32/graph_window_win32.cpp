#include "graph_window_win32.h"

#include <cstring>

#include "display_list.h"
#include "memory.h"
#include "settings.h"
#include "window_helpers.h"

int gGraphWindowCount;

namespace {

void RefreshCommandStates() {
    if (gGraphWindowHooks.refreshCommandStates) gGraphWindowHooks.refreshCommandStates();
}

// Copies the non-empty caption into the record's title.
void TakeCaption(HWND window, GraphWindowState *s) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return;
    char *text = AllocTextBuffer(static_cast<size_t>(length));
    if (!text) return;
    GetWindowTextA(window, text, length + 1);
    AdoptStringBuffer(s->title, text);
}

// Our pens go back out of the window's class context ("Own DC"), which keeps
// them selected between passes; the off-screen bitmap's context goes with
// the bitmap.
void ReleaseOwnDcPens(HWND window) {
    if (HDC dc = GetDC(window)) {
        GdiGraphSurface().selectStockPen(FromHdc(dc));
        ReleaseDC(window, dc);
    }
}

bool IsStockPen(HGDIOBJ pen) {
    return pen == GetStockObject(BLACK_PEN) || pen == GetStockObject(WHITE_PEN) ||
           pen == GetStockObject(NULL_PEN) || pen == GetStockObject(DC_PEN);
}

void SelectDeletingOld(HDC dc, HGDIOBJ pen) {
    HGDIOBJ old = SelectObject(dc, pen);
    if (old && old != HGDI_ERROR && old != pen && !IsStockPen(old)) DeleteObject(old);
}

struct FindRequest {
    const GraphWindowState *record;
    HWND found;
};

bool IsGraphWindow(HWND window) {
    char name[sizeof kGraphWindowClass + 1];
    return GetClassNameA(window, name, sizeof name) && std::strcmp(name, kGraphWindowClass) == 0;
}

BOOL CALLBACK FindGraphProc(HWND window, LPARAM data) {
    FindRequest *request = reinterpret_cast<FindRequest *>(data);
    if (!GetWindow(window, GW_OWNER) && IsGraphWindow(window) &&
        GraphStateOf(window) == request->record) {
        request->found = window;
        return FALSE;
    }
    return TRUE;
}

// ---- The GDI graph surface.
void GdiMoveTo(DcHandle dc, int32_t x, int32_t y) { MoveToEx(ToHdc(dc), x, y, nullptr); }
void GdiLineTo(DcHandle dc, int32_t x, int32_t y) { LineTo(ToHdc(dc), x, y); }
void GdiSelectSolidPen(DcHandle dc, int32_t color, int32_t width) {
    if (HPEN pen = CreatePen(PS_SOLID, width, static_cast<COLORREF>(color)))
        SelectDeletingOld(ToHdc(dc), pen);
}
void GdiSelectStockPen(DcHandle dc) { SelectDeletingOld(ToHdc(dc), GetStockObject(BLACK_PEN)); }
void GdiScreenAspect(int *ax, int *ay) {
    HDC screen = GetDC(nullptr);
    *ax = GetDeviceCaps(screen, ASPECTX);
    *ay = GetDeviceCaps(screen, ASPECTY);
    ReleaseDC(nullptr, screen);
}
WindowId GdiFindGraphWindow() {
    FindRequest request = {gCurrentGraph, nullptr};
    if (gMdiClient && gCurrentGraph)
        EnumChildWindows(gMdiClient, FindGraphProc, reinterpret_cast<LPARAM>(&request));
    return FromHwnd(request.found);
}
void GdiResizeClient(WindowId w, int32_t newMaxX, int32_t newMaxY, int32_t oldMaxX, int32_t oldMaxY) {
    HWND window = ToHwnd(w);
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + newMaxX - oldMaxX,
                 r.bottom - r.top + newMaxY - oldMaxY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

GraphWindowState *GraphStateOf(HWND window) {
    if (!window || !IsGraphWindow(window)) return nullptr;
    return reinterpret_cast<GraphWindowState *>(GetWindowLongPtrA(window, 0));
}

namespace {

// Everything the window's record holds goes, with the record.
void DropRecord(HWND window, GraphWindowState *s) {
    if (gOwnDc) ReleaseOwnDcPens(window);
    FreeGraphState(s);
    SetWindowLongPtrA(window, 0, 0);
    if (gCurrentGraph == s) gCurrentGraph = nullptr;
    FreeAndNull(s);
}

}  // namespace

// Whether WM_DESTROY follows a failed WM_CREATE differs between Windows
// versions, so a failed creation cleans up at once and the count covers
// only windows that got their record.
LRESULT OnGraphCreate(HWND window) {
    GraphWindowState *s = static_cast<GraphWindowState *>(AllocZeroed(sizeof(GraphWindowState)));
    if (!s) return -1;
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(s));
    gCurrentGraph = s;
    if (!InitGraphState(s)) {
        DropRecord(window, s);
        return -1;
    }
    ++gGraphWindowCount;
    TakeCaption(window, s);
    RefreshCommandStates();
    if (gFrameWindow)
        PostMessageA(gFrameWindow, WM_COMMAND, kEraseWindowCommand, reinterpret_cast<LPARAM>(window));
    return 0;
}

void OnGraphDestroy(HWND window) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s) return;
    --gGraphWindowCount;
    // A replay of this window's display list stops at its next record (the
    // window procedure has closed the plotter session and dropped the
    // off-screen bitmap before).
    EndReplayOf(s);
    DropRecord(window, s);
    RefreshCommandStates();
}

void OnSyncState(HWND window, WPARAM wParam) {
    GraphWindowState *s = GraphStateOf(window);
    gCurrentGraph = s;
    if (!s) return;
    if (wParam == 0)
        gGraphWorkCopy = *s;
    else
        *s = gGraphWorkCopy;
}

GraphSurface GdiGraphSurface() {
    return {GdiMoveTo,          GdiLineTo,          GdiSelectSolidPen, GdiSelectStockPen,
            GdiScreenAspect,    GdiFindGraphWindow, GdiResizeClient};
}
