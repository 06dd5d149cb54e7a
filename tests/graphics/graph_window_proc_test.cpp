// The graph window procedure on real windows under Wine: a graph window is
// an MDI child of a small frame of the test's own that forwards the graph
// commands as the program's frame does. Runs draw into it; screenshots of
// its client are compared with the projection of the computed points.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics_host.h"
#include "builtin_tables.h"
#include "compile_helper.h"
#include "compiler.h"
#include "display_list.h"
#include "element_dialog_win32.h"
#include "drawing_commands.h"
#include "graph_commands.h"
#include "graph_cursor.h"
#include "graph_drawing.h"
#include "compile_problem.h"
#include "graph_elements.h"
#include "graph_window_win32.h"
#include "memory.h"
#include "pick_shapes.h"
#include "plotting.h"
#include "problem_settings.h"
#include "recording_surface.h"
#include "resource_ids.h"
#include "run_engine.h"
#include "run_host.h"
#include "run_host_win32.h"
#include "settings.h"
#include "settings_files.h"
#include "solver_method.h"
#include "ui_lock.h"
#include "window_helpers.h"
#include "win32_modal.h"
#include "workspace.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

std::vector<int> gFrameCommands;
std::string gStatus[3];

LRESULT CALLBACK FrameProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        CLIENTCREATESTRUCT client = {nullptr, 9001};
        gMdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                                     w, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), &client);
        return 0;
    }
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        gFrameCommands.push_back(id);
        if (id >= IDM_REFRESH_WINDOW && id <= IDM_PREVIOUS_FRACTAL_ORDER) {
            HWND active = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0));
            if (GraphWindowState *s = GraphStateOf(active)) {
                gCurrentGraph = s;
                GraphWindowCommand(id);
            }
            return 0;
        }
    }
    return DefFrameProcA(w, gMdiClient, message, wParam, lParam);
}

// Stands in for the frame's status bar: keeps the texts of its parts.
LRESULT CALLBACK StatusProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXTA && wParam < 3) {
        gStatus[wParam] = reinterpret_cast<const char *>(lParam);
        return TRUE;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

void SetStatusZero(const char *text) { gStatus[0] = text; }

void Drain(DWORD milliseconds = 0) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds) Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// The client's pixels, read from the screen.
struct Shot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int Count(COLORREF background) const {
        return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [&](COLORREF c) { return c != background; }));
    }
    RECT Box(COLORREF background) const {
        RECT r = {width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) != background) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x);
                    r.bottom = std::max<LONG>(r.bottom, y);
                }
        return r;
    }
};

// Reads a DC's pixels through a 32-bit DIB section.
Shot Capture(HDC source, int width, int height) {
    Shot shot;
    shot.width = width;
    shot.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ before = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD *p = static_cast<const DWORD *>(bits);
    shot.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < shot.pixels.size(); ++i)
        shot.pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(memory, before);
    DeleteObject(dib);
    DeleteDC(memory);
    return shot;
}

// The client as it shows, without the cursor's caret.
Shot Screenshot(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    const bool caret = HideCaret(window) != 0;
    HDC dc = GetDC(window);
    Shot shot = Capture(dc, r.right, r.bottom);
    ReleaseDC(window, dc);
    if (caret) ShowCaret(window);
    return shot;
}

// The computed points of the display list projected by the window's range
// and client size, drawn as the polylines they form with a thin pen.
Shot Projection(const GraphWindowState *g, COLORREF color) {
    const int width = g->clientMaxX + 1, height = g->clientMaxY + 1;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ before = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HPEN pen = CreatePen(PS_SOLID, 0, color);
    HGDIOBJ oldPen = SelectObject(memory, pen);
    struct Walk {
        HDC dc;
        const GraphWindowState *g;
    } walk = {memory, g};
    WalkDisplayList(g, [](const DisplayRecord &r, void *c) {
        Walk *w = static_cast<Walk *>(c);
        const GraphWindowState *g = w->g;
        const double sx = g->clientMaxX / (g->xMax - g->xMin), sy = g->clientMaxY / (g->yMin - g->yMax);
        const int x = static_cast<int>(std::trunc(sx * (r.x - g->xMin)));
        const int y = static_cast<int>(std::trunc(sy * (r.y - g->yMax)));
        if (r.opcode == kDisplayPoint) {
            MoveToEx(w->dc, x, y, nullptr);
            LineTo(w->dc, x + 1, y + 1);
            MoveToEx(w->dc, x, y, nullptr);
        } else if (r.opcode == kDisplayLine) {
            LineTo(w->dc, x, y);
        }
        return 0;
    }, &walk);
    Shot shot = Capture(memory, width, height);
    SelectObject(memory, oldPen);
    DeleteObject(pen);
    SelectObject(memory, before);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return shot;
}

// Share of the drawn pixels of a that have a drawn pixel of b within one
// pixel.
double Agreement(const Shot &a, const Shot &b) {
    int drawn = 0, matched = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) == kWhite) continue;
            ++drawn;
            bool close = false;
            for (int dy = -1; dy <= 1 && !close; ++dy)
                for (int dx = -1; dx <= 1 && !close; ++dx) {
                    const int u = x + dx, v = y + dy;
                    close = u >= 0 && v >= 0 && u < b.width && v < b.height && b.at(u, v) != kWhite;
                }
            if (close) ++matched;
        }
    return drawn ? static_cast<double>(matched) / drawn : 0;
}

void ExpectSamePicture(const Shot &screen, const Shot &projection, const char *what) {
    ASSERT_EQ(screen.width, projection.width) << what;
    ASSERT_EQ(screen.height, projection.height) << what;
    const int drawn = screen.Count(kWhite), expected = projection.Count(kWhite);
    EXPECT_GT(expected, 1000) << what;
    EXPECT_NEAR(drawn, expected, expected * 0.03) << what;
    const RECT a = screen.Box(kWhite), b = projection.Box(kWhite);
    EXPECT_NEAR(a.left, b.left, 1) << what;
    EXPECT_NEAR(a.top, b.top, 1) << what;
    EXPECT_NEAR(a.right, b.right, 1) << what;
    EXPECT_NEAR(a.bottom, b.bottom, 1) << what;
    EXPECT_GT(Agreement(screen, projection), 0.99) << what;
    EXPECT_GT(Agreement(projection, screen), 0.99) << what;
}

int gTestRunning;


HWND gSuiteFrame, gSuiteClient, gSuiteStatus;

class GraphWindowProc : public ::testing::Test {
protected:
    HWND graph = nullptr;

    static void TearDownTestSuite() {
        DestroyWindow(gSuiteFrame);
        gFrameWindow = gMdiClient = gSuiteStatus = gSuiteFrame = gSuiteClient = nullptr;
    }
    unsigned used = 0;
    int doubleClick = 0, ownDc = 0;

    void SetUp() override {
        doubleClick = gDoubleClick;
        ownDc = gOwnDc;
        gOwnDc = 0;
        gFrameCommands.clear();
        for (std::string &s : gStatus) s.clear();
        HINSTANCE instance = GetModuleHandleA(nullptr);
        // Other suites of this program register the class with stand-ins.
        UnregisterClassA(kGraphWindowClass, instance);
        ASSERT_TRUE(RegisterGraphWindowClass(instance));
        InstallCursorHost();  // as the platform installs it
        WNDCLASSA c = {};
        c.hInstance = instance;
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        // One frame for the suite: Wine shows a top-level window slowly.
        if (!gSuiteStatus) {
            c.lpfnWndProc = FrameProc;
            c.lpszClassName = "VR_TestGraphFrame";
            RegisterClassA(&c);
            c.lpfnWndProc = StatusProc;
            c.lpszClassName = "VR_TestStatus";
            RegisterClassA(&c);
            gFrameWindow = CreateWindowExA(0, "VR_TestGraphFrame", "Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN |
                                           WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr, instance, nullptr);
            ASSERT_TRUE(gFrameWindow);
            ASSERT_TRUE(gMdiClient);
            gSuiteStatus = CreateWindowA("VR_TestStatus", "", WS_CHILD, 0, 0, 10, 10, gFrameWindow, nullptr,
                                         instance, nullptr);
            gSuiteFrame = gFrameWindow;
            gSuiteClient = gMdiClient;
        }
        gFrameWindow = gSuiteFrame;
        gMdiClient = gSuiteClient;
        gStatusBar = gSuiteStatus;

        gProblemKind = kOdeSystem;
        gDimension = 2;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
        ResetProblemSettings();
        gRunHost = RunHost{};
        InstallWin32RunHost(nullptr, nullptr);
        gRunHost.setStatusText = SetStatusZero;
        gRunState = RunState{};
        gTestRunning = 0;
        gGraphWindowHooks = GraphWindowHooks{};
        gGraphWindowHooks.running = [] { return gTestRunning; };
        gMouseMode = gPreviousMouseMode = 0;
    }
    void TearDown() override {
        gGraphicsHost.drawElements = nullptr;
        gShapes.clear();
        if (graph) SendMessageA(gMdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(graph), 0);
        Drain();
        gStatusBar = nullptr;
        UnregisterClassA(kGraphWindowClass, GetModuleHandleA(nullptr));
        gRunHost = RunHost{};
        gPlotHost = PlotHost{};
        gGraphSurface = GraphSurface{};
        gCurrentGraph = nullptr;
        gGraphWindowHooks = GraphWindowHooks{};
        ResetSolverMethod(1);
        gRunState = RunState{};
        FreeProblemWorkspace();
        ResetProblemSettings();
        gProblemKind = kSingleOde;
        gDimension = 2;
        gDoubleClick = doubleClick;
        gOwnDc = ownDc;
        SetDrawingCommandsEnabled(0);
    }

    // A graph child whose client is width x height pixels.
    HWND CreateGraph(int width, int height) {
        MDICREATESTRUCTA create = {};
        create.szClass = kGraphWindowClass;
        create.szTitle = "Graph";
        create.hOwner = GetModuleHandleA(nullptr);
        create.cx = width + 40;
        create.cy = height + 60;
        HWND w = reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
        if (!w) return nullptr;
        SetClientSize(w, width, height);
        Drain(300);  // Wine's first exposures arrive late
        gFrameCommands.clear();  // "Erase window" for the new window
        return w;
    }
    static void SetClientSize(HWND w, int width, int height) {
        RECT window, client;
        GetWindowRect(w, &window);
        GetClientRect(w, &client);
        SetWindowPos(w, nullptr, 0, 0, window.right - window.left + width - client.right,
                     window.bottom - window.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
    GraphWindowState *State() { return GraphStateOf(graph); }
    PcodeProgram *Compile(const char *text) { return CompileIntoBuffer(text, &used); }
    unsigned char *CompileCode(const char *text) { return reinterpret_cast<unsigned char *>(Compile(text)); }
    // An ODE system of equations from the initial values given, already
    // compiled, output every step up to last.
    void SetUpRun(const std::vector<const char *> &equations, const std::vector<double> &initial, double last,
                  double step) {
        gDimension = static_cast<unsigned>(equations.size());
        ASSERT_EQ(NewProblemWorkspace(), 1);
        used = 0;
        char text[32];
        for (size_t i = 0; i < equations.size(); ++i) {
            gEquationCode[i] = CompileCode(equations[i]);
            std::snprintf(text, sizeof text, "%.17g", initial[i]);
            gInitialFunctionCode[i] = CompileCode(text);
            gInitialValues[i] = initial[i];
        }
        gShootingIterations = 0;
        gStatusFrequency = 0;
        gLastValue = last;
        gOutputStep = step;
        gInterpolate = 1;
        gRetardedPoints = 10;
        gTolerance = 1e-8;
        gRunHost.compileProblem = [] { return 1; };
    }
    void Repaint() {
        InvalidateRect(graph, nullptr, FALSE);
        UpdateWindow(graph);
        Drain(100);
    }
    // The window's range and a fresh mapping.
    void SetRange(double x0, double x1, double y0, double y1) {
        GraphWindowState *g = State();
        g->xMin = x0;
        g->xMax = x1;
        g->yMin = y0;
        g->yMax = y1;
        gCurrentGraph = g;
        UpdateGraphMapping();
    }
    void Command(int id) { SendMessageA(gFrameWindow, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    static void HoldControl(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
};

TEST_F(GraphWindowProc, TheLorenzAttractorIsDrawnAndRedrawnFromTheDisplayList) {
    // The example problem: sigma 10, rho 28, beta 8/3 from (1, 1, 1), x
    // across and z up over -25..25 and 0..50.
    SetUpRun({"10*(x[2]-x[1])", "x[1]*(28-x[3])-x[2]", "x[1]*x[2]-2.66666666666667*x[3]"}, {1, 1, 1}, 20, 0.01);

    graph = CreateGraph(300, 300);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    ASSERT_TRUE(g);
    g->aspectMode = 0;
    g->capture = -1;
    SetBackingBitmapMode(g, 0);
    g->drawingColor = 0xC00000;
    g->drawingWidth = 0;
    g->axisCode[0] = Compile("x[1]");
    g->axisCode[1] = Compile("x[3]");
    SetRange(-25, 25, 0, 50);
    Repaint();
    EXPECT_EQ(Screenshot(graph).Count(kWhite), 0);

    StartSolving();
    Drain(100);
    ASSERT_TRUE(g->displayFirst);
    ExpectSamePicture(Screenshot(graph), Projection(g, RGB(0, 0, 0xC0)), "after the run");

    // A new size and a forced repaint: the same picture from the list.
    SetClientSize(graph, 420, 260);
    Drain(100);
    EXPECT_EQ(g->clientMaxX, 419);
    EXPECT_EQ(g->clientMaxY, 259);
    Repaint();
    ExpectSamePicture(Screenshot(graph), Projection(g, RGB(0, 0, 0xC0)), "after resizing");
}

TEST_F(GraphWindowProc, ZoomCommandsAroundTheCaret) {
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    gInitialValues[0] = 0.5;  // the cursor, and so the caret, on (0.5, 0)
    gInitialValues[1] = 0;
    SendMessageA(graph, WM_SETFOCUS, 0, 0);
    GraphWindowState *g = State();
    EXPECT_EQ(g->caretX, 150);
    EXPECT_EQ(g->caretY, 100);

    Command(IDM_ZOOM_IN);
    EXPECT_DOUBLE_EQ(g->xMin, 0.4);
    EXPECT_DOUBLE_EQ(g->xMax, 0.6);
    EXPECT_DOUBLE_EQ(g->yMin, -0.1);
    EXPECT_DOUBLE_EQ(g->yMax, 0.1);
    Command(IDM_ZOOM_IN);  // the second zoom keeps the first range
    EXPECT_NEAR(g->xMax - g->xMin, 0.02, 1e-12);
    Command(IDM_ACTUAL_SIZE);
    EXPECT_EQ(g->xMin, -1);
    EXPECT_EQ(g->xMax, 1);
    EXPECT_EQ(g->yMin, -1);
    EXPECT_EQ(g->yMax, 1);
    EXPECT_EQ(g->zoomed, 0);

    // Zoom out doubles ... by the factor, around the caret.
    Command(IDM_ZOOM_OUT);
    EXPECT_DOUBLE_EQ(g->xMin, 0.5 - 10);
    EXPECT_DOUBLE_EQ(g->xMax, 0.5 + 10);
    Command(IDM_ACTUAL_SIZE);

    // A dragged rectangle on a reversed x range keeps the direction.
    SetRange(1, -1, -1, 1);
    const WPARAM shift = MK_SHIFT | MK_LBUTTON;
    SendMessageA(graph, WM_LBUTTONDOWN, shift, MAKELPARAM(50, 50));    // x 0.5, y 0.5
    SendMessageA(graph, WM_MOUSEMOVE, shift, MAKELPARAM(150, 150));
    SendMessageA(graph, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(150, 150));  // x -0.5, y -0.5
    EXPECT_DOUBLE_EQ(g->xMin, 0.5);
    EXPECT_DOUBLE_EQ(g->xMax, -0.5);
    EXPECT_DOUBLE_EQ(g->yMin, -0.5);
    EXPECT_DOUBLE_EQ(g->yMax, 0.5);
    // A band without height changes nothing.
    SendMessageA(graph, WM_LBUTTONDOWN, shift, MAKELPARAM(20, 70));
    SendMessageA(graph, WM_MOUSEMOVE, shift, MAKELPARAM(180, 70));
    SendMessageA(graph, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(180, 70));
    EXPECT_DOUBLE_EQ(g->xMin, 0.5);
    EXPECT_DOUBLE_EQ(g->yMax, 0.5);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GraphWindowProc, DirectionFieldInTheWindow) {
    // x' = 0, y' = 1: vertical marks.
    gEquationCode[0] = CompileCode("0");
    gEquationCode[1] = CompileCode("1");
    graph = CreateGraph(240, 240);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 0);
    g->directionField = 1;
    SetRange(-1, 1, -1, 1);
    Repaint();
    const Shot shot = Screenshot(graph);
    // Eleven columns of marks, the middle one on the centre of the range.
    std::vector<int> columns;
    for (int x = 0; x < shot.width; ++x) {
        int dark = 0;
        for (int y = 0; y < shot.height; ++y) dark += shot.at(x, y) != kWhite;
        if (dark > 0) columns.push_back(x);
    }
    ASSERT_EQ(columns.size(), 11u);
    EXPECT_EQ(columns[5], 119);
    EXPECT_EQ(columns.front(), 0);
    EXPECT_EQ(columns.back(), 239);

    // A cell length of 0 draws no field and paints without a fault.
    g->cellLength = 0;
    Repaint();
    EXPECT_EQ(Screenshot(graph).Count(kWhite), 0);
}

TEST_F(GraphWindowProc, CursorRoundingAndArrowKeys) {
    graph = CreateGraph(501, 501);  // 250 pixels per unit over -1..1
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    SendMessageA(graph, WM_MOUSEMOVE, 0, MAKELPARAM(137, 363));
    EXPECT_EQ(gStatus[2], "-0.45 + -0.45");

    gInitialValues[0] = 0.03;
    gInitialValues[1] = 0;
    SendMessageA(graph, WM_SETFOCUS, 0, 0);
    for (int i = 0; i < 3; ++i) SendMessageA(graph, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(gInitialValues[0], 0.0);  // exactly
    EXPECT_EQ(gStatus[1], "(0 + 0)");
    HoldControl(true);
    SendMessageA(graph, WM_KEYDOWN, VK_UP, 0);  // ten steps up
    HoldControl(false);
    EXPECT_DOUBLE_EQ(gInitialValues[1], 0.1);
    EXPECT_EQ(gProblemChanged, 1);

    // During a run the keys move nothing.
    gTestRunning = 1;
    SendMessageA(graph, WM_KEYDOWN, VK_RIGHT, 0);
    gTestRunning = 0;
    EXPECT_EQ(gInitialValues[0], 0.0);
}

TEST_F(GraphWindowProc, DoubleClickInModeZeroSetsTheInitialValues) {
    graph = CreateGraph(501, 501);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    gDoubleClick = 1;
    SendMessageA(graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(137, 100));
    EXPECT_EQ(gInitialValues[0], 0);  // a single click does nothing
    SendMessageA(graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(137, 100));
    EXPECT_DOUBLE_EQ(gInitialValues[0], -0.45);
    EXPECT_DOUBLE_EQ(gInitialValues[1], 0.6);

    gDoubleClick = 0;  // single clicks act too
    SendMessageA(graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 250));
    EXPECT_DOUBLE_EQ(gInitialValues[0], 0);
    EXPECT_DOUBLE_EQ(gInitialValues[1], 0);

    // A column index from a file that names no column writes nothing.
    State()->selectX = 7;
    SendMessageA(graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(400, 400));
    EXPECT_DOUBLE_EQ(gInitialValues[0], 0);
    EXPECT_DOUBLE_EQ(gInitialValues[1], -0.6);
}

TEST_F(GraphWindowProc, LettersSendCommandsOnlyWithoutControl) {
    graph = CreateGraph(200, 200);
    ASSERT_TRUE(graph);
    SendMessageA(graph, WM_KEYDOWN, 'D', 0);
    SendMessageA(graph, WM_KEYDOWN, 'A', 0);
    HoldControl(true);
    SendMessageA(graph, WM_KEYDOWN, 'A', 0);
    SendMessageA(graph, WM_KEYDOWN, 'I', 0);
    HoldControl(false);
    EXPECT_EQ(gFrameCommands, (std::vector<int>{IDM_REFRESH_WINDOW, IDM_ELEMENT_TO_CLIPBOARD}));

    SendMessageA(graph, WM_KEYDOWN, 'S', 0);
    EXPECT_EQ(gMouseMode, kModeSelect);
    EXPECT_EQ(gStatus[0], "(Select)");
    SendMessageA(graph, WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(gMouseMode, kModeInitialConditions);
    EXPECT_EQ(gPreviousMouseMode, kModeSelect);

    // Escape during a run asks the frame to stop.
    gFrameCommands.clear();
    gTestRunning = 1;
    SendMessageA(graph, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(graph, WM_KEYDOWN, 'D', 0);
    Drain();
    gTestRunning = 0;
    EXPECT_EQ(gFrameCommands, std::vector<int>{IDM_STOP});
}

TEST_F(GraphWindowProc, PickingPrefersTheNearElement) {
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    GraphWindowState *g = State();
    gCurrentGraph = g;
    gNewElementKind = kElementSegment;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddGraphicsElement(0));
    gGraphicsHost.drawElements = DrawShapes;
    // 0: far beyond the client, clamped near 2^26; 1: a short segment; 2: a point.
    gShapes = {{1e9, 1e9}, {0.2, 0.2, 0.4, 0.2}, {-0.9, -0.9}};
    Command(IDM_MODE_SELECT);
    SendMessageA(graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(130, 78));
    EXPECT_EQ(g->currentElementIndex, 1);
    EXPECT_EQ(gMouseMode, kModeOrigin);
    Command(IDM_MODE_SELECT);
    SendMessageA(graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(12, 188));
    EXPECT_EQ(g->currentElementIndex, 2);
    // Repaints draw the shapes through the same primitives.
    Repaint();
    // The point lands on column 9: -0.9 maps to 9.999... and is truncated.
    const RECT box = Screenshot(graph).Box(kWhite);
    EXPECT_EQ(box.left, 9);
    EXPECT_EQ(box.bottom, 190);
    EXPECT_EQ(box.right, 139);  // the segment's end column is not drawn
}

TEST_F(GraphWindowProc, DrawingCommandsActOnTheWindowBeingServed) {
    SetUpRun({"x[2]", "-x[1]"}, {1, 0}, 1, 0.1);
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    SetRange(-2, 2, -3, 3);
    SetDrawingCommandsEnabled(1);
    g->axisCode[0] = Compile("x[1] + 0*PENCOLOR(-2) + 0*PENWIDTH(3)");
    g->axisCode[1] = Compile("x[2] + 0*MOVETO(MINX(), -1) + 0*LINETO(1, MAXY())");
    SetDrawingCommandsEnabled(0);
    g->capture = -1;
    StartSolving();
    // Each point drew a line from (-2, -1) to (1, 3) first.
    struct Count {
        int moves = 0, lines = 0;
    } count;
    WalkDisplayList(g, [](const DisplayRecord &r, void *c) {
        Count *n = static_cast<Count *>(c);
        if (r.opcode == kDisplayPoint && r.x == -2 && r.y == -1) ++n->moves;
        if (r.opcode == kDisplayLine && r.x == 1 && r.y == 3) ++n->lines;
        return 0;
    }, &count);
    EXPECT_GE(count.moves, 10);
    EXPECT_EQ(count.lines, count.moves);
    EXPECT_EQ(g->drawingColor, 0x0000FF);  // palette entry 2: red
    EXPECT_EQ(g->drawingWidth, 3);
    EXPECT_EQ(gDrawingTarget, nullptr);  // only while a point is served
    EXPECT_EQ(DrawMaxY(), 0);
}

TEST_F(GraphWindowProc, BackingBitmapOnResize) {
    graph = CreateGraph(200, 100);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 2);
    ASSERT_TRUE(g->memoryDc);
    // A red square in the bitmap; stretching to twice the width keeps it.
    RECT square = {50, 25, 150, 75};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(reinterpret_cast<HDC>(static_cast<UINT_PTR>(g->memoryDc)), &square, red);
    SetClientSize(graph, 400, 100);
    Drain(50);
    EXPECT_EQ(g->clientMaxX, 399);
    EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(static_cast<UINT_PTR>(g->memoryDc)), 200, 50), RGB(255, 0, 0));
    Repaint();
    EXPECT_EQ(Screenshot(graph).at(200, 50), RGB(255, 0, 0));  // painted from the bitmap

    // Copy mode: a new size gets a cleared bitmap marked for redraw.
    SetBackingBitmapMode(g, 1);
    FillRect(reinterpret_cast<HDC>(static_cast<UINT_PTR>(g->memoryDc)), &square, red);
    g->repaintPending = 0;
    SetClientSize(graph, 300, 100);
    EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(static_cast<UINT_PTR>(g->memoryDc)), 100, 50), kWhite);
    EXPECT_EQ(g->repaintPending, 1);
    Drain(50);
    DeleteObject(red);

    SetBackingBitmapMode(g, 0);
    EXPECT_EQ(g->memoryDc, 0u);
    EXPECT_EQ(g->savedDcBitmap, 0u);
}

TEST_F(GraphWindowProc, CloseIsRefusedDuringARun) {
    graph = CreateGraph(100, 100);
    ASSERT_TRUE(graph);
    gTestRunning = 1;
    SendMessageA(graph, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(graph));
    gTestRunning = 0;
    EXPECT_TRUE(GraphCommandAvailable(IDM_FULL_SCREEN));
    EXPECT_FALSE(GraphCommandAvailable(IDM_NEW_ELEMENT));
    EXPECT_TRUE(GraphCommandAvailable(IDM_ZOOM_IN));
    EXPECT_EQ(HitTestHelpTopic(HTCAPTION), 5006);
    EXPECT_EQ(HitTestHelpTopic(HTBOTTOMRIGHT), 5007);
    EXPECT_EQ(HitTestHelpTopic(HTCLOSE), 0);
    EXPECT_EQ(HitTestHelpTopic(HTHELP), 0);
}

TEST_F(GraphWindowProc, FullScreenShowsTheBackToolWhoseButtonLeavesIt) {
    const SettingsLocations savedLocations = gSettingsLocations;
    const int savePosition = gSavePosition;
    char folder[MAX_PATH], ini[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::snprintf(ini, sizeof ini, "%svr_back_tool_test.ini", folder);
    DeleteFileA(ini);
    std::snprintf(gSettingsLocations.file[kSettingsUser], kSettingsPathSize, "%s", ini);
    gSavePosition = 1;
    graph = CreateGraph(100, 100);
    ASSERT_TRUE(graph);
    RECT before, frame, tool;
    GetWindowRect(gFrameWindow, &before);

    Command(IDM_FULL_SCREEN);
    EXPECT_EQ(gFullScreen, 1);
    ASSERT_TRUE(gBackToolWindow);
    HWND back = gBackToolWindow;
    EXPECT_TRUE(IsWindowVisible(back));
    EXPECT_NE(SendDlgItemMessageA(back, IDC_BACK_TOOL_BUTTON, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    GetWindowRect(back, &tool);
    EXPECT_EQ(tool.left, 10);  // "Full X"/"Full Y" not stored yet
    EXPECT_EQ(tool.top, 10);
    GetWindowRect(gFrameWindow, &frame);
    EXPECT_GT(frame.right - frame.left, before.right - before.left);

    // The button posts 603 to the frame: full screen ends, the tool hides.
    SendDlgItemMessageA(back, IDC_BACK_TOOL_BUTTON, BM_CLICK, 0, 0);
    Drain(100);
    EXPECT_EQ(gFullScreen, 0);
    EXPECT_FALSE(IsWindowVisible(back));
    GetWindowRect(gFrameWindow, &frame);
    EXPECT_EQ(frame.left, before.left);
    EXPECT_EQ(frame.right, before.right);
    EXPECT_EQ(frame.bottom, before.bottom);

    // Shown again, the same window; closing only hides it.
    Command(IDM_FULL_SCREEN);
    EXPECT_EQ(gBackToolWindow, back);
    EXPECT_TRUE(IsWindowVisible(back));
    SendMessageA(back, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(back));
    EXPECT_FALSE(IsWindowVisible(back));
    Command(IDM_FULL_SCREEN);
    EXPECT_EQ(gFullScreen, 0);

    // Destroyed, it stores its place, and the next one starts there.
    SetWindowPos(back, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DestroyWindow(back);
    EXPECT_EQ(gBackToolWindow, nullptr);
    EXPECT_EQ(ReadSettingInt("Options", "Full X", 0, kSettingsUser), 40);
    EXPECT_EQ(ReadSettingInt("Options", "Full Y", 0, kSettingsUser), 50);
    Command(IDM_FULL_SCREEN);
    ASSERT_TRUE(gBackToolWindow);
    GetWindowRect(gBackToolWindow, &tool);
    EXPECT_EQ(tool.left, 40);
    EXPECT_EQ(tool.top, 50);
    Command(IDM_FULL_SCREEN);
    EXPECT_EQ(gFullScreen, 0);
    DestroyWindow(gBackToolWindow);

    gSavePosition = savePosition;
    gSettingsLocations = savedLocations;
    DeleteFileA(ini);
}

TEST_F(GraphWindowProc, AMinimisedWindowKeepsItsMapping) {
    gEquationCode[0] = CompileCode("0");
    gEquationCode[1] = CompileCode("1");
    graph = CreateGraph(240, 120);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    g->directionField = 1;
    SetRange(-1, 1, -1, 1);
    const double scaleX = g->scaleX, scaleY = g->scaleY;
    ShowWindow(graph, SW_MINIMIZE);
    Drain(50);
    ASSERT_TRUE(IsIconic(graph));
    EXPECT_EQ(g->clientMaxX, 239);
    EXPECT_EQ(g->clientMaxY, 119);
    EXPECT_EQ(g->scaleX, scaleX);
    EXPECT_EQ(g->scaleY, scaleY);
    // A redraw of the minimised window has no context and draws nothing.
    gCurrentGraph = g;
    RedrawGraphWindow(graph);
    ShowWindow(graph, SW_RESTORE);
    Drain(50);
    EXPECT_EQ(g->clientMaxX, 239);
}

TEST_F(GraphWindowProc, ContextHelpModeEndsWithATopicOrEscape) {
    graph = CreateGraph(100, 100);
    ASSERT_TRUE(graph);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(graph, WM_KEYDOWN, VK_F1, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(gContextHelpMode, 1);
    SendMessageA(graph, WM_NCLBUTTONDOWN, HTHELP, 0);  // no topic: still asking
    EXPECT_EQ(gContextHelpMode, 1);
    SendMessageA(graph, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    EXPECT_EQ(gContextHelpMode, 0);
    EXPECT_TRUE(IsWindow(graph));

    gContextHelpMode = 1;
    SendMessageA(graph, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(gContextHelpMode, 0);
    EXPECT_TRUE(gFrameCommands.empty());  // not a stop request
}

TEST_F(GraphWindowProc, TheWorkCopyFollowsTheBitmapOfItsWindow) {
    graph = CreateGraph(100, 100);
    ASSERT_TRUE(graph);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 1);
    SendMessageA(graph, SyncStateMessage, 0, 0);
    EXPECT_EQ(gGraphWorkCopy.memoryDc, g->memoryDc);
    SetBackingBitmapMode(g, 0);
    EXPECT_EQ(gGraphWorkCopy.memoryDc, 0u);
    EXPECT_EQ(gGraphWorkCopy.savedDcBitmap, 0u);
    SetBackingBitmapMode(g, 2);
    const uint32_t memoryDc = g->memoryDc, bitmap = g->savedDcBitmap;
    EXPECT_NE(memoryDc, 0u);
    EXPECT_EQ(gGraphWorkCopy.memoryDc, memoryDc);
    // Copied back (a dialog's OK), the record keeps the live handles.
    SendMessageA(graph, SyncStateMessage, 1, 0);
    EXPECT_EQ(g->memoryDc, memoryDc);
    EXPECT_EQ(g->savedDcBitmap, bitmap);
    gGraphWorkCopy = GraphWindowState{};
}

// ---- Graphics elements in a real window

// Puts back what installing the element code set.
struct ElementsInstalled {
    ElementsInstalled() { InstallGraphElementsWin32(); }
    ~ElementsInstalled() {
        gGraphicsHost.drawElements = nullptr;
        gCompileHooks.elements = nullptr;
        gElementEditHooks = ElementEditHooks{};
        gElementDcHooks = ElementDcHooks{};
        gGraphicsHost.forEachGraphState = nullptr;
        gGraphWindowHooks = GraphWindowHooks{};
    }
};

TEST_F(GraphWindowProc, ElementsDrawRemoveAndMoveUnderTheMouse) {
    ElementsInstalled installed;
    gGraphWindowHooks.running = [] { return gTestRunning; };
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 0);
    // Only the commands with a handler are offered.
    EXPECT_TRUE(GraphCommandAvailable(IDM_NEXT_ELEMENT));
    EXPECT_TRUE(GraphCommandAvailable(IDM_REMOVE_ELEMENT));
    EXPECT_FALSE(GraphCommandAvailable(IDM_NEW_ELEMENT));
    EXPECT_TRUE(GraphCommandAvailable(IDM_ELEMENT_FROM_CLIPBOARD));

    gCurrentGraph = g;
    gElementCursorX = gElementCursorY = 0;
    gNewElementKind = kElementCircle;
    GraphicsElement *circle = AddGraphicsElement(0);
    ASSERT_TRUE(circle);
    circle->radius = 0.5;
    circle->color = RGB(0xC0, 0, 0);
    gNewElementKind = kElementSegment;
    GraphicsElement *segment = AddGraphicsElement(0);
    segment->x = -0.9;
    segment->y = -0.9;
    segment->size = 0.2;
    Repaint();
    Shot shot = Screenshot(graph);
    RECT box = shot.Box(kWhite);
    EXPECT_NEAR(box.left, 10, 1);  // the segment from x = -0.9
    EXPECT_NEAR(box.right, 150, 1);
    EXPECT_NEAR(box.top, 50, 1);
    EXPECT_NEAR(box.bottom, 190, 1);
    EXPECT_EQ(shot.at(150, 100), RGB(0xC0, 0, 0));

    // The segment goes; the circle is current again.
    Command(IDM_REMOVE_ELEMENT);
    EXPECT_EQ(g->elementCount, 1);
    EXPECT_EQ(g->currentElement, circle);
    Repaint();
    box = Screenshot(graph).Box(kWhite);
    EXPECT_NEAR(box.left, 50, 1);
    EXPECT_NEAR(box.bottom, 150, 1);

    // Origin mode: a click puts the circle's centre there.
    Command(IDM_MODE_ORIGIN);
    EXPECT_EQ(gMouseMode, kModeOrigin);
    SendMessageA(graph, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(130, 70));
    EXPECT_NEAR(circle->x, 0.3, 0.011);
    EXPECT_NEAR(circle->y, 0.3, 0.011);
    Repaint();
    box = Screenshot(graph).Box(kWhite);
    EXPECT_NEAR(box.left, 80, 1);
    EXPECT_NEAR(box.right, 180, 1);
    EXPECT_NEAR(box.top, 20, 1);

    // Rotate: Right adds the angular step; Special and no element fall back.
    Command(IDM_MODE_ROTATE);
    EXPECT_EQ(gMouseMode, kModeRotate);
    SendMessageA(graph, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(circle->direction, 15);
    Command(IDM_REMOVE_ELEMENT);
    EXPECT_EQ(g->currentElementIndex, -1);
    EXPECT_EQ(gMouseMode, kModeInitialConditions);
    Repaint();
    EXPECT_EQ(Screenshot(graph).Count(kWhite), 0);
}

TEST_F(GraphWindowProc, EveryKindDrawsOnTheScreenWhatTheRecordingSurfaceReceives) {
    ElementsInstalled installed;
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 0);
    gCurrentGraph = g;
    const std::string data = ::testing::TempDir() + "window_elements.txt";
    FILE *f = std::fopen(data.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("-0.8 -0.8\n-0.6 -0.4\n", f);
    std::fclose(f);
    const char *texts[kElementKindCount][2] = {
        {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
        {"AB", nullptr}, {"0.3*cos(t)", "0.2*sin(t)"}, {"t", "0"}, {"IN;", nullptr},
        {data.c_str(), nullptr}, {"3 -3 3", "60 -120 60"}, {"x", "y"}, {nullptr, nullptr}, {nullptr, nullptr},
    };
    for (int k = 0; k < kElementKindCount; ++k) {
        gNewElementKind = k;
        GraphicsElement *e = AddGraphicsElement(0);
        ASSERT_TRUE(e);
        e->x = 0.05 * k - 0.5;
        e->y = 0.04 * k - 0.3;
        e->size = 0.3;
        e->radius = 0.2;
        e->begin = k == kElementFractal ? 2 : 0;
        e->end = k == kElementFractal ? 2 : k == kElement3Curve ? 0.5 : 270;
        e->direction = k == kElementAxes ? 0 : 30;
        e->steps = k == kElementFractal ? 0 : 40;
        e->color = RGB(0, 0, 0x80);
        SetNonEmptyStringCopy(e->text1, texts[k][0]);
        SetNonEmptyStringCopy(e->text2, texts[k][1]);
        if (k == kElement3Curve) SetNonEmptyStringCopy(e->text3, "0");
    }
    // The same pass into the recording surface, then on the screen.
    RecordingSurface recorder;
    const GraphSurface gdi = gGraphSurface;
    gGraphSurface = SurfaceRecord(&recorder);
    gDrawDc = 1;
    DrawAllGraphicsElements();
    gDrawDc = 0;
    gGraphSurface = gdi;
    ASSERT_GT(recorder.Count('L'), 100);
    RECT want = {1 << 20, 1 << 20, -(1 << 20), -(1 << 20)};
    for (const DevicePrimitive &p : recorder.prims)
        for (int32_t x : {p.x1, p.x2}) want.left = std::min<LONG>(want.left, x), want.right = std::max<LONG>(want.right, x);
    for (const DevicePrimitive &p : recorder.prims)
        for (int32_t y : {p.y1, p.y2}) want.top = std::min<LONG>(want.top, y), want.bottom = std::max<LONG>(want.bottom, y);
    Repaint();
    const Shot shot = Screenshot(graph);
    const RECT box = shot.Box(kWhite);
    // The axes span the client; GDI leaves out a line's last pixel.
    // Far points (the perspective of the 3-curve) are clipped by the client.
    EXPECT_NEAR(box.left, std::max<LONG>(want.left, 0), 1);
    EXPECT_NEAR(box.top, std::max<LONG>(want.top, 0), 1);
    EXPECT_NEAR(box.right, std::min<LONG>(want.right, 200), 1);
    EXPECT_NEAR(box.bottom, std::min<LONG>(want.bottom, 200), 1);
    EXPECT_GT(shot.Count(kWhite), 600);
    // Every recorded line's start is on the screen (a line of no length
    // sets no pixel in GDI).
    int missing = 0;
    for (const DevicePrimitive &p : recorder.prims)
        if ((p.x1 != p.x2 || p.y1 != p.y2) && p.x1 >= 0 && p.x1 <= 200 && p.y1 >= 0 && p.y1 <= 200 && shot.at(p.x1, p.y1) == kWhite) {
            ++missing;
            ADD_FAILURE() << p.kind << " " << p.x1 << "," << p.y1 << " -> " << p.x2 << "," << p.y2;
        }
    EXPECT_EQ(missing, 0);
    std::remove(data.c_str());
}

// Dialogs 830 and 800 reached by the commands of the window: an edit goes
// into the element and onto the screen, Cancel leaves the list as it was,
// and a New cancelled in dialog 800 leaves no element behind.
TEST_F(GraphWindowProc, ElementDialogsEditTheWindowsListAndCancelLeavesNoTrace) {
    ElementsInstalled installed;
    InstallElementDialogs();
    struct Uninstall {
        ~Uninstall() { gGraphWindowHooks.elementDialogCommand = nullptr, gGraphicsHost.elementDataFolder = nullptr; }
    } uninstall;
    graph = CreateGraph(201, 201);
    ASSERT_TRUE(graph);
    SetRange(-1, 1, -1, 1);
    GraphWindowState *g = State();
    SetBackingBitmapMode(g, 0);
    EXPECT_TRUE(GraphCommandAvailable(IDM_NEW_ELEMENT));
    EXPECT_TRUE(GraphCommandAvailable(IDM_EDIT_ELEMENT));
    EXPECT_TRUE(GraphCommandAvailable(IDM_ELEMENT_TO_CLIPBOARD));  // the graph windows' own

    gCurrentGraph = g;
    gElementCursorX = gElementCursorY = 0;
    gNewElementKind = kElementCircle;
    GraphicsElement *circle = AddGraphicsElement(0);
    ASSERT_TRUE(circle);
    circle->radius = 0.25;
    gProblemChanged = 0;
    {
        ModalScript script({ModalStep(IDOK, {{IDC_ELEMENT_RADIUS, "0.5"}, {IDC_ELEMENT_Y, "0.1"}})});
        Command(IDM_EDIT_ELEMENT);
        const std::vector<ModalCapture> &seen = script.Results();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Graphics Element");
        EXPECT_EQ(seen[0].controlTexts.at(IDC_ELEMENT_RADIUS_LABEL), "&Radius:");
        EXPECT_EQ(seen[0].controlTexts.at(IDC_ELEMENT_COUNT), "of 1");
        EXPECT_EQ(seen[0].controlTexts.at(IDC_ELEMENT_END), "360");
    }
    ASSERT_EQ(g->elementCount, 1);
    GraphicsElement *edited = g->currentElement;
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->radius, 0.5);
    EXPECT_EQ(edited->y, 0.1);
    EXPECT_EQ(gProblemChanged, 1);
    Repaint();
    RECT box = Screenshot(graph).Box(kWhite);
    EXPECT_NEAR(box.left, 50, 1);
    EXPECT_NEAR(box.right, 150, 1);
    EXPECT_NEAR(box.top, 40, 1);

    // Cancel: the same record, the old values, the changed flag as it was.
    gProblemChanged = 0;
    {
        ModalScript script({ModalStep(IDCANCEL, {{IDC_ELEMENT_X, "0.7"}})});
        Command(IDM_EDIT_ELEMENT);
        EXPECT_EQ(script.Results().size(), 1u);
    }
    EXPECT_EQ(g->currentElement, edited);
    EXPECT_EQ(edited->x, 0);
    EXPECT_EQ(gProblemChanged, 0);

    // New: the kind asked in dialog 830, then dialog 800 on the new element;
    // Cancel there takes the new element away again.
    gNewElementKind = kElementSegment;
    {
        ModalScript script({ModalStep(IDOK), ModalStep(IDCANCEL)});
        Command(IDM_NEW_ELEMENT);
        const std::vector<ModalCapture> &seen = script.Results();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].caption, "New Graphics Element");
        EXPECT_EQ(seen[1].controlTexts.at(IDC_ELEMENT_SIZE_LABEL), "L&ength:");
        EXPECT_EQ(seen[1].controlTexts.at(IDC_ELEMENT_COUNT), "of 2");
    }
    EXPECT_EQ(g->elementCount, 1);
    EXPECT_EQ(g->currentElement, edited);
    EXPECT_EQ(gProblemChanged, 0);
    {
        ModalScript script({ModalStep(IDOK), ModalStep(IDOK, {{IDC_ELEMENT_SIZE, "0.75"}})});
        Command(IDM_NEW_ELEMENT);
        EXPECT_EQ(script.Results().size(), 2u);
    }
    ASSERT_EQ(g->elementCount, 2);
    EXPECT_EQ(g->currentElementIndex, 1);
    EXPECT_EQ(g->currentElement->kind, kElementSegment);
    EXPECT_EQ(g->currentElement->size, 0.75);
    Repaint();
    box = Screenshot(graph).Box(kWhite);
    EXPECT_NEAR(box.right, 175, 1) << "the segment of length 0.75 from the centre";
}

// A data curve whose file is not in the current folder is looked for in
// the problem file's folder.
TEST_F(GraphWindowProc, DataCurvesAreLookedForInTheProblemsFolder) {
    ElementsInstalled installed;
    InstallElementDialogs();
    struct Uninstall {
        ~Uninstall() { gGraphWindowHooks.elementDialogCommand = nullptr, gGraphicsHost.elementDataFolder = nullptr, gElementProblemPath = nullptr; }
    } uninstall;
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    const std::string folder = std::string(temp) + "vr_element_folder\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string data = folder + "folder_curve.txt";
    FILE *f = std::fopen(data.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("0 0\n0.5 0.5\n", f);
    std::fclose(f);
    const std::string problem = folder + "problem.vr";
    struct Case {
        const char *path;
        const char *folder;
        int lines;
    };
    const Case cases[] = {
        {problem.c_str(), folder.c_str(), 1},
        {"problem.vr", "", 0},  // a bare name: no folder of its own
        {nullptr, "", 0},
    };
    GraphWindowState g{};
    g.xMin = g.yMin = -1;
    g.xMax = g.yMax = 1;
    g.currentElementIndex = -1;
    gCurrentGraph = &g;
    SetClientExtent(200, 200);
    UpdateGraphMapping();
    gNewElementKind = kElementData;
    GraphicsElement *e = AddGraphicsElement(0);
    ASSERT_TRUE(e);
    SetNonEmptyStringCopy(e->text1, "folder_curve.txt");
    RecordingSurface recorder;
    const GraphSurface gdi = gGraphSurface;
    gGraphSurface = SurfaceRecord(&recorder);
    gDrawDc = 1;
    for (const Case &c : cases) {
        gElementProblemPath = c.path;
        EXPECT_EQ(std::string(ElementProblemFolder()), c.folder);
        recorder.prims.clear();
        DrawAllGraphicsElements();
        EXPECT_EQ(recorder.Count('L'), c.lines) << (c.path ? c.path : "(none)");
    }
    gDrawDc = 0;
    gGraphSurface = gdi;
    FreeGraphState(&g);
    gCurrentGraph = nullptr;
    std::remove(data.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
