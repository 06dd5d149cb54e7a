// Graph window records on real windows and the GDI surface of the
// coordinate pipeline, under Wine.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "graph_window_win32.h"
#include "settings.h"
#include "test_heap.h"
#include "win32_modal.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Stands in for the graph window procedure: only the handlers under test.
LRESULT CALLBACK GraphProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_CREATE: return OnGraphCreate(w);
    case WM_DESTROY: OnGraphDestroy(w); break;
    case SyncStateMessage: OnSyncState(w, wp); break;
    default: break;
    }
    return DefWindowProcA(w, m, wp, lp);
}

class GraphWindow : public ::testing::Test {
protected:
    HWND client = nullptr;

    void SetUp() override {
        static bool registered;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.style = CS_OWNDC;  // as with the option "Own DC"
            wc.lpfnWndProc = GraphProc;
            wc.hInstance = Instance();
            wc.cbWndExtra = kGraphWindowExtraBytes;
            wc.lpszClassName = kGraphWindowClass;
            ASSERT_TRUE(RegisterClassA(&wc));
            wc.lpfnWndProc = DefWindowProcA;
            wc.style = 0;
            wc.cbWndExtra = 0;
            wc.lpszClassName = "VrTestClient";
            ASSERT_TRUE(RegisterClassA(&wc));
            registered = true;
        }
        client = CreateWindowA("VrTestClient", "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                               nullptr, Instance(), nullptr);
        ASSERT_TRUE(client);
        gMdiClient = client;
        gProblemKind = kOdeSystem;
        gDimension = 2;
    }
    void TearDown() override {
        DestroyWindow(client);
        gMdiClient = nullptr;
        gGraphSurface = GraphSurface{};
        gCurrentGraph = nullptr;
    }
    HWND MakeGraph(const char *caption, int x = 10) {
        return CreateWindowA(kGraphWindowClass, caption, WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME,
                             x, 20, 300, 200, client, nullptr, Instance(), nullptr);
    }
};

TEST_F(GraphWindow, RecordLivesWithTheWindow) {
    const int count = gGraphWindowCount;
    HWND w = MakeGraph("Phase plane");
    ASSERT_TRUE(w);
    GraphWindowState *s = GraphStateOf(w);
    ASSERT_TRUE(s);
    EXPECT_EQ(gCurrentGraph, s);
    EXPECT_EQ(gGraphWindowCount, count + 1);
    EXPECT_STREQ(s->title, "Phase plane");
    EXPECT_STREQ(s->axisText[0], "x[1]");
    EXPECT_EQ(s->xMin, -1);
    EXPECT_EQ(s->viewPoint.phi, 30);
    // An empty caption leaves the title unset.
    HWND untitled = MakeGraph("");
    ASSERT_TRUE(untitled);
    EXPECT_EQ(GraphStateOf(untitled)->title, nullptr);
    EXPECT_EQ(GraphStateOf(client), nullptr);
    DestroyWindow(untitled);
    DestroyWindow(w);
    EXPECT_EQ(gGraphWindowCount, count);
    EXPECT_EQ(gCurrentGraph, nullptr);
}

TEST_F(GraphWindow, CreationFailsCleanlyWithoutMemory) {
    const int count = gGraphWindowCount;
    // The record itself, then the first of its strings (each allocation is
    // tried twice).
    for (int successes : {0, 1}) {
        SCOPED_TRACE(successes);
        ModalAnswerer answer(IDOK);
        FailHeapAfter(successes, 2);
        HWND w = MakeGraph("No room");
        FailHeapAfter(-1);
        EXPECT_TRUE(answer.Result().found);
        EXPECT_EQ(w, nullptr);
        EXPECT_EQ(gGraphWindowCount, count);
        EXPECT_EQ(gCurrentGraph, nullptr);
    }
}

TEST_F(GraphWindow, SyncStateCopiesToAndFromTheWorkCopy) {
    HWND w = MakeGraph("One");
    HWND other = MakeGraph("Two", 400);
    GraphWindowState *s = GraphStateOf(w);
    GraphWindowState before = *s;
    SendMessageA(w, SyncStateMessage, 0, 0);
    EXPECT_EQ(gCurrentGraph, s);
    EXPECT_EQ(gGraphWorkCopy.title, s->title);
    SendMessageA(other, SyncStateMessage, 0, 0);
    EXPECT_EQ(gCurrentGraph, GraphStateOf(other));
    SendMessageA(w, SyncStateMessage, 0, 0);
    SendMessageA(w, SyncStateMessage, 1, 0);
    EXPECT_EQ(std::memcmp(&before, s, sizeof before), 0);
    // A change in the work copy reaches the window.
    gGraphWorkCopy.xMax = 5;
    SendMessageA(w, SyncStateMessage, 1, 0);
    EXPECT_EQ(s->xMax, 5);
    EXPECT_EQ(GraphStateOf(other)->xMax, 1);
    // A window without a record copies nothing.
    gGraphWorkCopy.xMax = 7;
    SendMessageA(client, SyncStateMessage, 1, 0);
    OnSyncState(client, 1);
    EXPECT_EQ(gCurrentGraph, nullptr);
    EXPECT_EQ(s->xMax, 5);
    DestroyWindow(other);
    DestroyWindow(w);
}

TEST_F(GraphWindow, FindsTheWindowOfTheCurrentRecordAndResizesItsClient) {
    gGraphSurface = GdiGraphSurface();
    HWND w = MakeGraph("One");
    HWND other = MakeGraph("Two", 400);
    gCurrentGraph = GraphStateOf(w);
    EXPECT_EQ(ToHwnd(FindGraphWindow()), w);
    gCurrentGraph = GraphStateOf(other);
    EXPECT_EQ(ToHwnd(FindGraphWindow()), other);
    GraphWindowState loose{};
    gCurrentGraph = &loose;
    EXPECT_EQ(FindGraphWindow(), 0u);

    RECT before, after, place;
    GetClientRect(w, &before);
    GetWindowRect(w, &place);
    ResizeClient(FromHwnd(w), before.right + 40, before.bottom - 30, before.right, before.bottom);
    GetClientRect(w, &after);
    EXPECT_EQ(after.right, before.right + 40);
    EXPECT_EQ(after.bottom, before.bottom - 30);
    RECT moved;
    GetWindowRect(w, &moved);
    EXPECT_EQ(moved.left, place.left);
    EXPECT_EQ(moved.top, place.top);

    int ax = 0, ay = 0;
    gGraphSurface.screenAspect(&ax, &ay);
    EXPECT_GT(ax, 0);
    EXPECT_GT(ay, 0);
    DestroyWindow(other);
    DestroyWindow(w);
}

TEST_F(GraphWindow, OwnContextGivesBackItsPenOnDestruction) {
    const int ownDc = gOwnDc;
    gOwnDc = 1;
    gGraphSurface = GdiGraphSurface();
    HWND w = MakeGraph("Own");
    HDC dc = GetDC(w);
    gCurrentGraph = GraphStateOf(w);
    gDrawDc = FromHdc(dc);
    SetPen(RGB(0, 0, 255), 2);
    gDrawDc = 0;
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    ReleaseDC(w, dc);
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
    DestroyWindow(w);
    EXPECT_EQ(GetObjectType(pen), 0u);
    gOwnDc = ownDc;
}

// A 41 x 41 white bitmap in a memory context as the pass's context.
class GdiDrawing : public ::testing::Test {
protected:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ savedBitmap = nullptr;
    GraphWindowState g{};
    int ownDc = 0;

    void SetUp() override {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 41, 41);
        ReleaseDC(nullptr, screen);
        savedBitmap = SelectObject(dc, bitmap);
        RECT all = {0, 0, 41, 41};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        g.xMin = g.yMin = -1;
        g.xMax = g.yMax = 1;
        g.clientMaxX = g.clientMaxY = 40;
        g.penWidth = -1;
        gCurrentGraph = &g;
        gGraphSurface = GdiGraphSurface();
        gDrawDc = FromHdc(dc);
        ownDc = gOwnDc;
        gOwnDc = 0;
        UpdateGraphMapping();
    }
    void TearDown() override {
        ReleasePens();
        SelectObject(dc, savedBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
        gDrawDc = 0;
        gCurrentGraph = nullptr;
        gGraphSurface = GraphSurface{};
        gOwnDc = ownDc;
    }
    COLORREF Pixel(int x, int y) { return GetPixel(dc, x, y) & 0xFFFFFF; }
    LOGPEN CurrentPen() {
        LOGPEN pen = {};
        GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
        return pen;
    }
};

TEST_F(GdiDrawing, ThinDotIsOnePixelAndLinesJoinMappedPoints) {
    constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255);
    SetPen(kRed, 0);
    PlotPoint(0, 0);
    EXPECT_EQ(Pixel(20, 20), kRed);
    for (auto [x, y] : {std::pair{19, 20}, {21, 20}, {20, 19}, {20, 21}, {21, 21}})
        EXPECT_EQ(Pixel(x, y), kWhite) << x << "," << y;
    // From the dot to the world's right edge along y = 0.5: row 10.
    PlotSegment(-1, 0.5, 1, 0.5);
    EXPECT_EQ(Pixel(0, 10), kRed);
    EXPECT_EQ(Pixel(39, 10), kRed);
    EXPECT_EQ(Pixel(20, 11), kWhite);
}

TEST_F(GdiDrawing, PensAreReplacedAndReleasedWithoutLeaks) {
    SetPen(RGB(0, 0, 255), 3);
    HGDIOBJ first = GetCurrentObject(dc, OBJ_PEN);
    EXPECT_EQ(CurrentPen().lopnColor, RGB(0, 0, 255));
    EXPECT_EQ(CurrentPen().lopnWidth.x, 3);
    SetPen(RGB(0, 128, 0), 1);
    EXPECT_EQ(CurrentPen().lopnColor, RGB(0, 128, 0));
    EXPECT_EQ(GetObjectType(first), 0u);  // the replaced pen is deleted
    HGDIOBJ second = GetCurrentObject(dc, OBJ_PEN);
    ReleasePens();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetObjectType(second), 0u);
    EXPECT_EQ(g.penWidth, -1);
    // Releasing again leaves the stock pen alone.
    ReleasePens();
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
}

}  // namespace
