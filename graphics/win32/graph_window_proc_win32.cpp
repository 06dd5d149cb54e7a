// The window procedure of VR_Graph: painting from the off-screen bitmap or
// the display list, the mapping kept in step with the size, keys, mouse,
// zoom drag, caret and status texts, context help, and the graph commands.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "display_list.h"
#include "drawing_commands.h"
#include "graph_commands.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "graph_window_win32.h"
#include "messages.h"
#include "platform.h"
#include "plotter.h"
#include "plotting.h"
#include "problem_settings.h"
#include "resource_ids.h"
#include "run_engine.h"
#include "run_host.h"
#include "settings.h"
#include "settings_files.h"
#include "solver_method.h"
#include "string_ids.h"
#include "window_helpers.h"
#include "workspace.h"

GraphWindowHooks gGraphWindowHooks;
int gContextHelpMode;
int gFullScreen;
HWND gBackToolWindow;

namespace {

constexpr int kCaretSize = 21;  // the cross-hair is centred: caret at (x - 10, y - 10)
constexpr int kHelpGraphWindow = 5105;

HBITMAP gCaretBitmap;
bool gCaretCreated;

// Zoom drag in progress.
bool gZoomDrag;
POINT gZoomStart, gZoomEnd;
double gZoomStartWorld[2];

// The window being painted holds its size until painting ends.
HWND gPaintingWindow;
RECT gPaintingRect;

RECT gSavedFrameRect;

// Keeps gCurrentGraph across a handler that makes a window's record current.
struct CurrentGraphScope {
    GraphWindowState *saved = gCurrentGraph;
    ~CurrentGraphScope() { gCurrentGraph = saved; }
};

bool Running() { return gGraphWindowHooks.running && gGraphWindowHooks.running(); }
bool ElementActionInProgress() {
    return gGraphWindowHooks.elementActionInProgress && gGraphWindowHooks.elementActionInProgress();
}

void RefreshCommandStates() {
    if (gGraphWindowHooks.refreshCommandStates) gGraphWindowHooks.refreshCommandStates();
}

void MarkChanged() { gProblemChanged = 1; }

HWND ActiveChild() {
    return gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

void SendFrameCommand(int id) {
    if (gFrameWindow) SendMessageA(gFrameWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

bool ShiftOrCtrl(WPARAM keys) { return (keys & (MK_SHIFT | MK_CONTROL)) != 0; }

HBITMAP MakeCaretBitmap() {
    // Rows of a monochrome bitmap are padded to 16 bits: 21 pixels take 4 bytes.
    constexpr int kRowBytes = 4;
    BYTE bits[kCaretSize * kRowBytes] = {};
    for (int y = 0; y < kCaretSize; ++y)
        for (int x = 0; x < kCaretSize; ++x)
            if (x == kCaretSize / 2 || y == kCaretSize / 2) bits[y * kRowBytes + x / 8] |= 0x80 >> (x % 8);
    return CreateBitmap(kCaretSize, kCaretSize, 1, 1, bits);
}

void SetStatusPart(int part, const char *text) {
    if (gStatusBar) SendMessageA(gStatusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void PlaceCaret(int32_t x, int32_t y) { SetCaretPos(x, y); }

void RefreshInitialValueRows(int columnX, int columnY) {
    if (gGraphWindowHooks.refreshInitialValueRows) gGraphWindowHooks.refreshInitialValueRows(columnX, columnY);
}

}  // namespace

void InstallCursorHost() {
    gCursorHost.placeCaret = PlaceCaret;
    gCursorHost.setStatusPart = SetStatusPart;
    gCursorHost.refreshInitialValueRows = RefreshInitialValueRows;
}

namespace {

// ---- Off-screen bitmap

HWND WindowOfState(GraphWindowState *state) {
    CurrentGraphScope scope;
    gCurrentGraph = state;
    return ToHwnd(FindGraphWindow());
}

void ClearGraphBitmap(GraphWindowState *s) {
    HDC dc = ToHdc(s->memoryDc);
    if (!dc) return;
    RECT r = {0, 0, s->clientMaxX + 1, s->clientMaxY + 1};
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(s->backgroundColor));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    s->repaintPending = 1;
}

HBITMAP BitmapOf(GraphWindowState *s) {
    return s->memoryDc && s->savedDcBitmap
               ? static_cast<HBITMAP>(GetCurrentObject(ToHdc(s->memoryDc), OBJ_BITMAP))
               : nullptr;
}

void ReleaseOwnPensOf(GraphWindowState *s) {
    if (!gOwnDc) return;
    if (HWND window = WindowOfState(s))
        if (HDC dc = GetDC(window)) {
            GdiGraphSurface().selectStockPen(FromHdc(dc));
            ReleaseDC(window, dc);
        }
}

HBITMAP CreateBitmapOfSize(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void ResizeBitmap(GraphWindowState *s, int mode) {
    HBITMAP old = BitmapOf(s);
    if (!old) return;
    BITMAP info;
    if (!GetObjectA(old, sizeof info, &info)) return;
    const int width = s->clientMaxX + 1, height = s->clientMaxY + 1;
    if (info.bmWidth == width && info.bmHeight == height) return;
    HBITMAP fresh = CreateBitmapOfSize(width, height);
    if (!fresh) return;
    HDC memory = ToHdc(s->memoryDc);
    if (mode == 2) {
        HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        HDC temporary = CreateCompatibleDC(memory);
        HGDIOBJ before = SelectObject(temporary, fresh);
        SetStretchBltMode(temporary, COLORONCOLOR);
        StretchBlt(temporary, 0, 0, width, height, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(temporary, before);
        DeleteDC(temporary);
        SelectObject(memory, fresh);
        DeleteObject(old);
        SetCursor(cursor);
    } else {
        SelectObject(memory, fresh);
        DeleteObject(old);
        ClearGraphBitmap(s);
    }
}

void UpdateWorkCopyHandles(GraphWindowState *s) {
    if (s == &gGraphWorkCopy || !s->title || gGraphWorkCopy.title != s->title) return;
    gGraphWorkCopy.memoryDc = s->memoryDc;
    gGraphWorkCopy.savedDcBitmap = s->savedDcBitmap;
}

void DropBitmap(GraphWindowState *s) {
    if (!s->memoryDc) return;
    ReleaseOwnPensOf(s);
    if (s != &gGraphWorkCopy && s->title && gGraphWorkCopy.title == s->title)
        gGraphWorkCopy.memoryDc = gGraphWorkCopy.savedDcBitmap = 0;
    HDC memory = ToHdc(s->memoryDc);
    GdiGraphSurface().selectStockPen(s->memoryDc);
    if (s->savedDcBitmap) {
        HGDIOBJ bitmap = SelectObject(memory, reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(s->savedDcBitmap)));
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    s->memoryDc = s->savedDcBitmap = 0;
}

// ---- Zoom band

void DrawBandText(HDC dc, const RECT &r, const char *text) {
    SIZE size;
    const int length = lstrlenA(text);
    if (!GetTextExtentPoint32A(dc, text, length, &size)) return;
    HDC mono = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
    HGDIOBJ before = SelectObject(mono, bitmap);
    SelectObject(mono, GetCurrentObject(dc, OBJ_FONT));
    SetTextColor(mono, RGB(255, 255, 255));
    SetBkColor(mono, RGB(0, 0, 0));
    TextOutA(mono, 0, 0, text, length);
    // White text on black: XOR inverts only the letters.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, (r.left + r.right - size.cx) / 2, (r.top + r.bottom - size.cy) / 2, size.cx, size.cy, mono, 0, 0,
           SRCINVERT);
    SelectObject(mono, before);
    DeleteObject(bitmap);
    DeleteDC(mono);
}

void CancelZoomDrag(HWND window) {
    if (!gZoomDrag) return;
    DrawZoomRectangle(window, gZoomStart.x, gZoomStart.y, gZoomEnd.x, gZoomEnd.y);
    gZoomDrag = false;
    ClipCursor(nullptr);
    ReleaseCapture();
}

// ---- Zoom commands

void FinishZoom(HWND window, int mode) {
    UpdateGraphMapping();
    UpdateCursorCaret();
    if (window) EraseGraphWindow(window, mode);
}

// ---- Messages

LRESULT OnSize(HWND window, GraphWindowState *s, WPARAM wParam, LPARAM lParam) {
    if (window == gPaintingWindow) {
        SetWindowPos(window, nullptr, 0, 0, gPaintingRect.right - gPaintingRect.left,
                     gPaintingRect.bottom - gPaintingRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (wParam == SIZE_MINIMIZED) {
        // Nothing here divides by a client that has no size.
        RefreshCommandStates();
        return DefMDIChildProcA(window, WM_SIZE, wParam, lParam);
    }
    if (!s || (gFrameWindow && IsIconic(gFrameWindow))) return DefMDIChildProcA(window, WM_SIZE, wParam, lParam);
    CurrentGraphScope scope;
    gCurrentGraph = s;
    SetClientExtent(LOWORD(lParam) - 1, HIWORD(lParam) - 1);
    UpdateGraphMapping();
    SetBackingBitmapMode(s, s->bitmapMode);
    if (ActiveChild() == window) {
        HideCaret(window);
        UpdateCursorCaret();
        ShowCaret(window);
    }
    s->hasPreviousPoint = 0;
    MarkChanged();
    ShowWindowSizeStatus(window);
    // A window that shrinks gets no paint of its own, yet its picture was
    // stretched or cleared: all of it is shown again.
    InvalidateRect(window, nullptr, FALSE);
    return DefMDIChildProcA(window, WM_SIZE, wParam, MAKELPARAM(s->clientMaxX + 1, s->clientMaxY + 1));
}

void OnPaint(HWND window, GraphWindowState *s) {
    if (!s) {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return;
    }
    const HWND outerPainting = gPaintingWindow;
    const RECT outerRect = gPaintingRect;
    gPaintingWindow = window;
    GetWindowRect(window, &gPaintingRect);
    CurrentGraphScope scope;
    const DcHandle savedDc = gDrawDc;
    gCurrentGraph = s;
    InvalidateRect(window, nullptr, FALSE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    gDrawDc = FromHdc(dc);
    if (!s->zoomed && BitmapOf(s)) {
        BitBlt(dc, 0, 0, s->clientMaxX + 1, s->clientMaxY + 1, ToHdc(s->memoryDc), 0, 0, SRCCOPY);
    } else {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(s->backgroundColor));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        s->repaintPending = 1;
        if (s->capture && s->displayFirst) ReplayDisplayList();
    }
    // The replay pumps messages: the window may have gone meanwhile.
    if (GraphStateOf(window) == s) RedrawGraphWindow(nullptr);
    EndPaint(window, &ps);
    gDrawDc = savedDc;
    if (GraphStateOf(window) == s) s->hasPreviousPoint = 0;
    gPaintingWindow = outerPainting;
    gPaintingRect = outerRect;
}

void OnKeyDown(HWND window, GraphWindowState *s, WPARAM key) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_F1 && GetKeyState(VK_SHIFT) < 0) {
        gContextHelpMode = 1;
        SetCursor(LoadCursor(nullptr, IDC_HELP));
        return;
    }
    if (key == VK_ESCAPE) {
        if (gContextHelpMode) {
            gContextHelpMode = 0;
            SetCursor(reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)));
        } else if (Running()) {
            if (gFrameWindow) PostMessageA(gFrameWindow, WM_COMMAND, IDM_STOP, 0);
        }
        return;
    }
    if (gRunState.pauseArmed) EndPause();
    if (Running() || !s) return;
    static const struct {
        char letter;
        int command;
    } kLetters[] = {
        {'A', IDM_ELEMENT_TO_CLIPBOARD}, {'B', IDM_ELEMENT_FROM_CLIPBOARD}, {'C', IDM_COPY_ELEMENT},
        {'D', IDM_REFRESH_WINDOW}, {'E', IDM_EDIT_ELEMENT}, {'F', IDM_MODE_FIRST}, {'I', IDM_ZOOM_IN},
        {'L', IDM_MODE_LAST}, {'M', IDM_MODE_MOVE}, {'N', IDM_NEW_ELEMENT}, {'O', IDM_MODE_ORIGIN},
        {'P', IDM_MODE_POINT}, {'R', IDM_MODE_ROTATE}, {'S', IDM_MODE_SELECT}, {'T', IDM_MODE_THIRD},
        {'W', IDM_ZOOM_OUT}, {'X', IDM_MODE_INITIAL_CONDITIONS}, {'Z', IDM_ACTUAL_SIZE},
    };
    if (!ctrl)
        for (const auto &l : kLetters)
            if (key == static_cast<WPARAM>(l.letter)) {
                SendFrameCommand(l.command);
                return;
            }
    int dx = 0, dy = 0;
    switch (key) {
    case VK_LEFT: dx = -1; break;
    case VK_UP: dy = -1; break;
    case VK_RIGHT: dx = 1; break;
    case VK_DOWN: dy = 1; break;
    default: return;
    }
    const int steps = ctrl ? 10 : 1;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    MoveCursorByKeys(dx * steps, dy * steps);
    MarkChanged();
}

void OnDoubleClick(HWND window, GraphWindowState *s, int x, int y) {
    CurrentGraphScope scope;
    gCurrentGraph = s;
    s->mouseX = x;
    s->mouseY = y;
    switch (gMouseMode) {
    case kModeInitialConditions: {
        // Column indexes may come from a file: only cells that exist change.
        double *cx = ColumnCell(s->selectX), *cy = ColumnCell(s->selectY);
        if (cx) *cx = MouseToWorldX();
        if (cy) *cy = MouseToWorldY();
        if (cx || cy) MarkChanged();
        break;
    }
    case kModeSelect:
        if (PickElementAt(x, y) >= 0) SetMouseMode(gMouseMode);
        break;
    case kModeMove:
    case kModeOrigin:
    case kModePoint:
        gClickWorldX = MouseToWorldX();
        gClickWorldY = MouseToWorldY();
        if (gElementEditHooks.clickAt) gElementEditHooks.clickAt(gMouseMode, gClickWorldX, gClickWorldY);
        MarkChanged();
        break;
    default:
        break;
    }
    if (GraphStateOf(window) == s) UpdateCursorCaret();
}

void OnButtonDown(HWND window, GraphWindowState *s, WPARAM keys, int x, int y) {
    if (gContextHelpMode) {
        gContextHelpMode = 0;
        ShowHelpTopic(kHelpGraphWindow);
        return;
    }
    if (Running() || !s) return;
    if (ShiftOrCtrl(keys)) {
        CurrentGraphScope scope;
        gCurrentGraph = s;
        gZoomDrag = true;
        gZoomStart.x = gZoomEnd.x = x;
        gZoomStart.y = gZoomEnd.y = y;
        SetCapture(window);
        RECT r;
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&r), 2);
        ClipCursor(&r);
        s->mouseX = x;
        s->mouseY = y;
        gZoomStartWorld[0] = MouseToWorldX();
        gZoomStartWorld[1] = MouseToWorldY();
        UpdateMouseStatus();
        // A drag is not a click on the graph.
        return;
    }
    if (!gDoubleClick) OnDoubleClick(window, s, x, y);
}

void OnButtonUp(HWND window, GraphWindowState *s, WPARAM keys, int x, int y) {
    if (!gZoomDrag || Running() || !s) return;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    DrawZoomRectangle(window, gZoomStart.x, gZoomStart.y, gZoomEnd.x, gZoomEnd.y);
    gZoomDrag = false;
    ClipCursor(nullptr);
    ReleaseCapture();
    if (!ShiftOrCtrl(keys)) return;
    const double x1 = PixelToWorldX(gZoomStart.x), y1 = PixelToWorldY(gZoomStart.y);
    const double x2 = PixelToWorldX(x), y2 = PixelToWorldY(y);
    if (!ZoomToRectangle(x1, y1, x2, y2)) return;
    UpdateGraphMapping();
    MarkChanged();
    if (s->bitmapMode == 1 || s->bitmapMode == 2) {
        const int mode = s->bitmapMode;
        SetBackingBitmapMode(s, 0);
        SetBackingBitmapMode(s, mode);
    }
    UpdateCursorCaret();
    InvalidateRect(window, nullptr, TRUE);
}

void OnMouseMove(HWND window, GraphWindowState *s, WPARAM keys, int x, int y) {
    if (gGraphWindowHooks.clearStatusReadout) gGraphWindowHooks.clearStatusReadout();
    if (!s) return;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    s->mouseX = x;
    s->mouseY = y;
    UpdateMouseStatus();
    if (gZoomDrag && !Running() && ShiftOrCtrl(keys)) {
        DrawZoomRectangle(window, gZoomStart.x, gZoomStart.y, gZoomEnd.x, gZoomEnd.y);
        gZoomEnd.x = x;
        gZoomEnd.y = y;
        DrawZoomRectangle(window, gZoomStart.x, gZoomStart.y, gZoomEnd.x, gZoomEnd.y);
    }
}

void OnGainActivation(HWND window, GraphWindowState *s) {
    RefreshCommandStates();
    CurrentGraphScope scope;
    gCurrentGraph = s;
    SetMouseMode(gMouseMode);
    if (!Running()) {
        ShowCursorCaret(window);
        CancelZoomDrag(window);
    }
}

LRESULT OnNcButtonDown(HWND window, WPARAM hitTest, LPARAM lParam) {
    if (ShowWindowPartHelp(&gContextHelpMode, static_cast<int>(hitTest), kHelpGraphWindow)) return 0;
    if (!gContextHelpMode) ShowWindowSizeStatus(window);
    return DefMDIChildProcA(window, WM_NCLBUTTONDOWN, hitTest, lParam);
}

// ---- Drawing commands of the axis expressions

HWND OutputWindow() { return ToHwnd(gOutputWindow); }

void TargetErase(int fullRedraw) {
    HWND window = OutputWindow();
    if (!GraphStateOf(window)) return;
    if (fullRedraw)
        RefreshGraphWindow(window);
    else
        EraseGraphWindow(window, 0);
    UpdateWindow(window);
    PlatformPumpMessages();
    gCurrentGraph = GraphStateOf(window);
}

double TargetBound(int which) {
    const GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    switch (which) {
    case kBoundXMin: return g->xMin;
    case kBoundXMax: return g->xMax;
    case kBoundYMin: return g->yMin;
    default: return g->yMax;
    }
}

void TargetPenColor(PackedColor color) {
    if (gCurrentGraph) gCurrentGraph->drawingColor = static_cast<int32_t>(color);
}

void TargetPenWidth(int width) {
    if (gCurrentGraph) gCurrentGraph->drawingWidth = width;
}

void TargetClearPrevious() {
    if (gCurrentGraph) gCurrentGraph->hasPreviousPoint = 0;
}

void TargetPlot(double x, double y, int forceLine) {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    const double point[2] = {x, y};
    const int32_t continuous = g->continuousLine;
    if (forceLine) g->continuousLine = 1;
    PlotSolutionStep(gOutputWindow, point);
    if (gCurrentGraph == g) g->continuousLine = continuous;
}

// Animation draws into the off-screen bitmap only, so it needs one.
bool Animates(const GraphWindowState *g) { return g && g->memoryDc && g->bitmapMode; }

void TargetStartAnimation() {
    if (Animates(gCurrentGraph)) gCurrentGraph->animating = 1;
}

void TargetEndAnimation() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return;
    g->animating = 0;
    if (Animates(g)) TargetErase(1);
}

const DrawingTarget kWindowTarget = {TargetErase,        TargetBound,         TargetPenColor,
                                     TargetPenWidth,     TargetClearPrevious, TargetPlot,
                                     TargetStartAnimation, TargetEndAnimation};

BOOL CALLBACK ForEachGraphProc(HWND window, LPARAM proc) {
    if (!GetWindow(window, GW_OWNER) && GraphStateOf(window))
        reinterpret_cast<void (*)(HWND)>(proc)(window);
    return TRUE;
}


void RefreshIfGraph(HWND window) { RefreshGraphWindow(window); }

void RedrawPlotterGraph(HWND window) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s || !s->plotterOutput) return;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    RedrawGraphWindow(window);
}

}  // namespace

void ForEachGraphWindow(void (*proc)(HWND)) {
    if (gMdiClient) EnumChildWindows(gMdiClient, ForEachGraphProc, reinterpret_cast<LPARAM>(proc));
}

const DrawingTarget *GraphDrawingTarget() { return &kWindowTarget; }

bool RegisterGraphWindowClass(HINSTANCE instance) {
    if (!gCaretBitmap) gCaretBitmap = MakeCaretBitmap();
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | (gOwnDc ? CS_OWNDC : 0);
    wc.lpfnWndProc = GraphWndProc;
    wc.cbWndExtra = kGraphWindowExtraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
    wc.lpszClassName = kGraphWindowClass;
    return RegisterClassA(&wc) != 0;
}

LRESULT CALLBACK GraphWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    GraphWindowState *s = GraphStateOf(window);
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE:
        return OnGraphCreate(window);
    case WM_DESTROY:
        if (s) {
            MarkChanged();
            if (gPlotterOutputOn && s->plotterOutput) {
                CurrentGraphScope scope;
                gCurrentGraph = s;
                ClosePlotterJob();
            }
            SetBackingBitmapMode(s, 0);
            if (gZoomDrag) CancelZoomDrag(window);
        }
        OnGraphDestroy(window);
        break;
    case WM_SIZE: return OnSize(window, s, wParam, lParam);
    case WM_PAINT: OnPaint(window, s); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE:
        if (ElementActionInProgress() || gReplayInProgress || Running()) return 0;
        break;
    case WM_QUERYOPEN: RefreshCommandStates(); return 1;
    case WM_SETCURSOR:
        if (gContextHelpMode) {
            SetCursor(LoadCursor(nullptr, IDC_HELP));
            return TRUE;
        }
        break;
    case WM_GETMINMAXINFO:
        if (gFullScreen) {
            // The default gives the maximised size and place within the
            // client; only the tracking size grows.
            DefMDIChildProcA(window, message, wParam, lParam);
            MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
            info->ptMaxTrackSize.x = 2 * GetSystemMetrics(SM_CXSCREEN);
            info->ptMaxTrackSize.y = 2 * GetSystemMetrics(SM_CYSCREEN);
            return 0;
        }
        break;
    case WM_CONTEXTMENU: {
        POINT p = {x, y};
        ScreenToClient(window, &p);
        if (gGraphWindowHooks.showPopupMenu) gGraphWindowHooks.showPopupMenu(window, p.x, p.y);
        return 1;
    }
    case WM_NCACTIVATE:
        if (wParam && IsIconic(window)) PostMessageA(window, WM_SETFOCUS, 0, 0);
        break;
    case WM_NCLBUTTONDOWN: return OnNcButtonDown(window, wParam, lParam);
    case WM_KEYDOWN: OnKeyDown(window, s, wParam); return 0;
    case WM_TIMER: EndPause(); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, s, wParam, x, y); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(window, s, wParam, x, y); return 0;
    case WM_LBUTTONDBLCLK:
        if (s && !Running()) OnDoubleClick(window, s, x, y);
        return 0;
    case WM_LBUTTONUP: OnButtonUp(window, s, wParam, x, y); return 0;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == window) {
            if (s) OnGainActivation(window, s);
        } else {
            RefreshCommandStates();
            if (!Running()) HideCursorCaret(window);
        }
        break;
    case WM_SETFOCUS:
        if (s) OnGainActivation(window, s);
        break;
    case WM_KILLFOCUS:
        RefreshCommandStates();
        if (!Running()) HideCursorCaret(window);
        break;
    case SyncStateMessage: OnSyncState(window, wParam); break;
    case WM_COMMAND: return 0;
    default: break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

// ---- Commands

bool GraphCommandAvailable(int id) {
    switch (id) {
    case IDM_NEW_ELEMENT:
    case IDM_EDIT_ELEMENT:
    case IDM_NEXT_ELEMENT:
    case IDM_PREVIOUS_ELEMENT:
    case IDM_ELEMENT_TO_CLIPBOARD:
    case IDM_ELEMENT_FROM_CLIPBOARD:
    case IDM_REMOVE_ELEMENT:
        return gGraphWindowHooks.elementCommand != nullptr &&
               (!gGraphWindowHooks.elementCommandAvailable || gGraphWindowHooks.elementCommandAvailable(id));
    default:
        return id >= IDM_REFRESH_WINDOW && id <= IDM_PREVIOUS_FRACTAL_ORDER;
    }
}

LRESULT GraphWindowCommand(int id) {
    if (ElementActionInProgress() || !GraphCommandAvailable(id)) return 0;
    GraphWindowState *s = gCurrentGraph;
    HWND window = ActiveChild();
    if (GraphStateOf(window) != s) window = s ? WindowOfState(s) : nullptr;
    switch (id) {
    case IDM_REFRESH_WINDOW:
        if (window) RefreshGraphWindow(window);
        break;
    case IDM_REFRESH_ALL: ForEachGraphWindow(RefreshIfGraph); break;
    case IDM_FULL_SCREEN: ToggleFullScreen(); break;
    case IDM_COPY_ELEMENT:
        if (s && s->currentElement && AddGraphicsElement(1)) {
            SetMouseMode(gMouseMode);
            MarkChanged();
        }
        break;
    case IDM_REMOVE_ALL_ELEMENTS:
        if (s) {
            FreeGraphicsElements(s);
            s->currentElement = nullptr;
            s->currentElementIndex = -1;
            SetMouseMode(gMouseMode);
            if (window) RefreshGraphWindow(window);
        }
        break;
    case IDM_ZOOM_IN:
    case IDM_ZOOM_OUT:
        if (s) {
            ZoomAroundCaret(id == IDM_ZOOM_IN);
            FinishZoom(window, 1);
        }
        break;
    case IDM_ACTUAL_SIZE:
        if (RestoreActualSize()) FinishZoom(window, 2);
        break;
    case IDM_LARGER_STEP:
    case IDM_SMALLER_STEP: ChangeStep(id == IDM_LARGER_STEP); break;
    case IDM_NEXT_FRACTAL_ORDER:
    case IDM_PREVIOUS_FRACTAL_ORDER:
        if (ChangeFractalOrder(id == IDM_NEXT_FRACTAL_ORDER)) {
            if (window) RefreshGraphWindow(window);
            MarkChanged();
        }
        break;
    default:
        if (id >= IDM_MODE_INITIAL_CONDITIONS && id <= IDM_MODE_ROTATE) {
            gPreviousMouseMode = gMouseMode;
            SetMouseMode(id - IDM_MODE_INITIAL_CONDITIONS);
        } else if (gGraphWindowHooks.elementCommand) {
            gGraphWindowHooks.elementCommand(window, id);
        }
        break;
    }
    return 0;
}

void SetMouseMode(int mode) {
    if (mode < 0 || mode >= kMouseModeCount) mode = kModeInitialConditions;
    if (gGraphWindowHooks.adjustMouseMode) mode = gGraphWindowHooks.adjustMouseMode(mode);
    gMouseMode = mode;
    if (HMENU menu = gFrameWindow ? GetMenu(gFrameWindow) : nullptr)
        CheckMenuRadioItem(menu, IDM_MODE_INITIAL_CONDITIONS, IDM_MODE_ROTATE, IDM_MODE_INITIAL_CONDITIONS + mode,
                           MF_BYCOMMAND);
    // The mode's buttons and the popup menu check the new mode.
    RefreshCommandStates();
    if (gCurrentGraph) {
        if (gGraphWindowHooks.placeElementCursor) gGraphWindowHooks.placeElementCursor();
        UpdateCursorCaret();
        UpdateMouseStatus();
    }
}

// ---- Drawing

void RedrawGraphWindow(HWND window) {
    GraphWindowState *s = gCurrentGraph;
    if (!s) return;
    const DcHandle savedDc = gDrawDc;
    HDC dc = nullptr;
    bool plotterBegun = false;
    if (window) {
        if (!IsIconic(window)) dc = GetDC(window);
        gDrawDc = FromHdc(dc);
        if (gPlotterOutputOn && s->plotterOutput && !s->plotter.recording) {
            StartPlotterStream();
            plotterBegun = true;
        }
    }
    RedrawGraphContents(Running());
    if (plotterBegun) StopPlotterStream();
    if (dc) ReleaseDC(window, dc);
    gDrawDc = savedDc;
}

HBITMAP CreateClientBitmap() {
    const GraphWindowState *s = gCurrentGraph;
    return s ? CreateBitmapOfSize(s->clientMaxX + 1, s->clientMaxY + 1) : nullptr;
}

void SetBackingBitmapMode(GraphWindowState *s, int mode) {
    if (!s) return;
    s->bitmapMode = mode;
    if (mode == 0) {
        DropBitmap(s);
        return;
    }
    CurrentGraphScope scope;
    gCurrentGraph = s;
    if (s->memoryDc) ResizeBitmap(s, mode);
    if (!s->memoryDc) {
        ReleaseOwnPensOf(s);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (!memory) return;
        s->memoryDc = FromHdc(memory);
        s->savedDcBitmap = 0;
        s->repaintPending = 1;
    }
    if (!s->savedDcBitmap) {
        if (HBITMAP bitmap = CreateClientBitmap()) {
            HGDIOBJ before = SelectObject(ToHdc(s->memoryDc), bitmap);
            s->savedDcBitmap = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(before));
            ClearGraphBitmap(s);
        }
    }
    UpdateWorkCopyHandles(s);
}

void DrawZoomRectangle(HWND window, int x1, int y1, int x2, int y2) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s) return;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    s->mouseX = x1;
    s->mouseY = y1;
    const double wx1 = MouseToWorldX(), wy1 = MouseToWorldY();
    s->mouseX = x2;
    s->mouseY = y2;
    const double wx2 = MouseToWorldX(), wy2 = MouseToWorldY();
    RECT r = {x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
    if (r.left == r.right || r.top == r.bottom) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    PatBlt(dc, r.left, r.top, r.right - r.left, 1, DSTINVERT);
    PatBlt(dc, r.right, r.top, 1, r.bottom - r.top, DSTINVERT);
    PatBlt(dc, r.left + 1, r.bottom, r.right - r.left, 1, DSTINVERT);
    PatBlt(dc, r.left, r.top + 1, 1, r.bottom - r.top, DSTINVERT);
    char text[128];
    std::snprintf(text, sizeof text, "(%lg,%lg)-(%lg,%lg)", wx1, wy1, wx2, wy2);
    DrawBandText(dc, r, text);
    ReleaseDC(window, dc);
}

void EraseGraphWindow(HWND window, int mode) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s) return;
    gCurrentGraph = s;
    if (mode == 0) {
        FreeDisplayList(s);
        if (BitmapOf(s)) ClearGraphBitmap(s);
    }
    if (!s->animating && (mode == 0 || mode == 1)) s->repaintPending = 1;
    InvalidateRect(window, nullptr, FALSE);
}

void RefreshGraphWindow(HWND window) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s) return;
    s->repaintPending = 1;
    if (!(gCurrentGraph && gCurrentGraph->animating)) InvalidateRect(window, nullptr, FALSE);
}

// ---- Caret and status

void ShowCursorCaret(HWND window) {
    if (!gCaretCreated) CreateCaret(window, gCaretBitmap, 0, 0);
    gCaretCreated = true;
    UpdateCursorCaret();
    ShowCaret(window);
}

void HideCursorCaret(HWND window) {
    HideCaret(window);
    if (gCaretCreated) DestroyCaret();
    gCaretCreated = false;
}

void ShowWindowSizeStatus(HWND window) {
    const GraphWindowState *s = GraphStateOf(window);
    if (!s || !gRunHost.setStatusText) return;
    char text[32];
    std::snprintf(text, sizeof text, "%d x %d", s->clientMaxX + 1, s->clientMaxY + 1);
    gRunHost.setStatusText(text);
}

int HitTestHelpTopic(int hitTest) { return WindowPartHelpTopic(hitTest, kHelpGraphWindow); }

// ---- Full screen

namespace {

// The graph window that full screen maximised, to be restored after it.
HWND gFullScreenGraph;

// The frame grows so that its client covers the desktop.
RECT FullScreenFrameRect() {
    RECT client, desktop;
    GetClientRect(gMdiClient, &client);
    MapWindowPoints(gMdiClient, nullptr, reinterpret_cast<POINT *>(&client), 2);
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT r = gSavedFrameRect;
    r.left += desktop.left - client.left;
    r.top += desktop.top - client.top;
    r.right += desktop.right - client.right;
    r.bottom += desktop.bottom - client.bottom;
    return r;
}

// A graph is what full screen is for: the active one fills the client.
void MaximizeActiveGraph() {
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    gFullScreenGraph = nullptr;
    if (!GraphStateOf(active) || maximized) return;
    gFullScreenGraph = active;
    SendMessageA(gMdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
}

void RestoreFullScreenGraph() {
    if (gFullScreenGraph && GraphStateOf(gFullScreenGraph) && IsZoomed(gFullScreenGraph))
        SendMessageA(gMdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(gFullScreenGraph), 0);
    gFullScreenGraph = nullptr;
}

}  // namespace

int gFullScreenResizing;

void ToggleFullScreen() {
    if (!gFrameWindow || !gMdiClient) return;
    gFullScreen = !gFullScreen;
    if (gFullScreen) GetWindowRect(gFrameWindow, &gSavedFrameRect);
    const RECT r = gFullScreen ? FullScreenFrameRect() : gSavedFrameRect;
    if (HMENU menu = GetMenu(gFrameWindow))
        CheckMenuItem(menu, IDM_FULL_SCREEN, MF_BYCOMMAND | (gFullScreen ? MF_CHECKED : MF_UNCHECKED));
    RefreshCommandStates();
    if (!gFullScreen) RestoreFullScreenGraph();
    gFullScreenResizing = 1;
    MoveWindow(gFrameWindow, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    gFullScreenResizing = 0;
    if (gFullScreen) {
        MaximizeActiveGraph();
        if (!gBackToolWindow)
            gBackToolWindow = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BACK_TOOL),
                                                 gFrameWindow, BackToolDlgProc, 0);
        if (gBackToolWindow) ShowWindow(gBackToolWindow, SW_SHOW);
    } else if (gBackToolWindow) {
        ShowWindow(gBackToolWindow, SW_HIDE);
    }
}

namespace {
constexpr int kHelpBackTool = 2910;
constexpr const char *kFullXKey = "Full X";
constexpr const char *kFullYKey = "Full Y";
constexpr int kFullDefaultPosition = 10;
}  // namespace

INT_PTR CALLBACK BackToolDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_BACK));
        SendDlgItemMessageA(dialog, IDC_BACK_TOOL_BUTTON, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        if (gSavePosition) {
            const char *section = LoadTextResource(IDS_SECTION_OPTIONS);
            const int x = ReadSettingInt(section, kFullXKey, kFullDefaultPosition, kSettingsUser);
            const int y = ReadSettingInt(section, kFullYKey, kFullDefaultPosition, kSettingsUser);
            SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BACK_TOOL_BUTTON:
            if (gFrameWindow) PostMessageA(gFrameWindow, WM_COMMAND, IDM_FULL_SCREEN, 0);
            return TRUE;
        case IDHELP: ShowHelpTopic(kHelpBackTool); return TRUE;
        case IDCANCEL: ShowWindow(dialog, SW_HIDE); return TRUE;
        default: return FALSE;
        }
    case WM_CLOSE: ShowWindow(dialog, SW_HIDE); return TRUE;
    case WM_DESTROY: {
        RECT r;
        if (GetWindowRect(dialog, &r)) {
            const char *section = LoadTextResource(IDS_SECTION_OPTIONS);
            char text[16];
            std::snprintf(text, sizeof text, "%ld", static_cast<long>(r.left));
            WriteSettingString(section, kFullXKey, text, kSettingsUser);
            std::snprintf(text, sizeof text, "%ld", static_cast<long>(r.top));
            WriteSettingString(section, kFullYKey, text, kSettingsUser);
        }
        if (gBackToolWindow == dialog) gBackToolWindow = nullptr;
        return FALSE;
    }
    default: return FALSE;
    }
}

// ---- Plotter output of all graph windows

BOOL CALLBACK PlotterEnumProc(HWND window, LPARAM action) {
    GraphWindowState *s = GraphStateOf(window);
    if (!s || !s->plotterOutput || GetWindow(window, GW_OWNER)) return TRUE;
    CurrentGraphScope scope;
    gCurrentGraph = s;
    switch (action) {
    case -1: ClosePlotterJob(); break;
    case 0: StopPlotterStream(); break;
    case 1: StartPlotterStream(); break;
    case 2: PlotterEjectPage(); break;
    default: break;
    }
    return TRUE;
}

namespace {
void EnumeratePlotters(LPARAM action) {
    if (gMdiClient) EnumChildWindows(gMdiClient, PlotterEnumProc, action);
}
}  // namespace

void BeginPlotterOutput() {
    if (gPlotterOutputOn) EnumeratePlotters(1);
}

void EndPlotterOutput() {
    if (gPlotterOutputOn) EnumeratePlotters(0);
}

void FinishPlotterOutput(int close) { EnumeratePlotters(close ? -1 : 2); }

void RedrawPlotterGraphs() { ForEachGraphWindow(RedrawPlotterGraph); }
